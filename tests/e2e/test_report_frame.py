"""The frame around every report as the user meets it: the web link from the
program's name, the console lines that announce the report, and a previous
report that survives any run that does not finish a new one."""

import subprocess

import pytest

from harness import REPORT_NAMES, TO_MENU, dialogue, run_piped

# Menu key, answers, report name, console lines of the opening and the close.
GENERATORS = [
    pytest.param(
        "1", ["A", "2", "D", "2", "F"], "swr_subtotal.htm",
        ["----- selecting cells for multilevel sum -----", "Output file = swr_subtotal.htm", ""],
        ["", "-" * 30, "Output file = swr_subtotal.htm", "", "<Any key> to continue and end"],
        id="subtotal",
    ),
    pytest.param(
        "2", ["B", "D", "2", "F"], "swr_sumif_01.htm",
        ["----- selecting cells for sumif()_01 -----", "Output file = swr_sumif_01.htm", ""],
        ["", "-" * 31, "Output files = swr_sumif_01.htm", "", "<Any key> to continue and end"],
        id="sumif_01",
    ),
    pytest.param(
        "3", ["B", "D", "2", "F"], "swr_sumif_02.htm",
        ["----- selecting cells for sumif()_02 -----", "Output files = swr_sumif_02.htm", ""],
        ["", "-" * 31, "Output files = swr_sumif_02.htm", "", "<Any key> to continue and end"],
        id="sumif_02",
    ),
]

RENAME_NOTICE = [
    "",
    "-" * 28,
    "The program creates web link to (your) website, which is summarized from the program name.",
    "Therefore, you must rename the program according to the name of (your) website, but the condition is that the",
    "new program name begins with www...(like www.example.com), http...(like http.example.org, or "
    "https...(like https.example.net)",
    "BE CAREFUL AND COPY AND RENAME THE PROGRAM ACCORDING TO THE INSTRUCTIONS!",
    "Info: https://www.sumwright.example.com",
    "-" * 28,
    "",
    "<1> = continue and end",
    "",
]


@pytest.mark.parametrize("menu_key, answers, report, opening, closing", GENERATORS)
def test_every_generator_announces_and_replaces_only_its_own_report(tmp_path, menu_key, answers, report, opening,
                                                                    closing):
    others = {name: b"keep me\r\n" for name in REPORT_NAMES if name != report}
    for name, content in others.items():
        (tmp_path / name).write_bytes(content)
    (tmp_path / report).write_bytes(b"old report " * 10000)

    run = run_piped(tmp_path, dialogue(menu_key, answers))

    assert run.status == 0
    lines = run.console_lines()
    preamble = lines.index("sumwright_01_012.cpp", 2)
    assert lines[preamble:preamble + 5] == [
        "sumwright_01_012.cpp", "", "./www.example.com.exe", "http://www.example.com", "www.example.com.exe"]
    assert lines[preamble + 6:preamble + 9] == opening
    assert lines[-len(closing) - 1:] == closing + [""]
    content = run.report(report)
    assert content.startswith(b"<html>\r\n") and content.endswith(b"</body>\r\n</html>\r\n")
    assert b"old report" not in content
    assert b"Useful link added by the program www.example.com.exe:\r\n" in content
    assert b'<a href="http://www.example.com">http://www.example.com</a>\r\n' in content
    for name, content in others.items():
        assert run.file(name) == content
    assert run.leftovers() == []


@pytest.mark.parametrize(
    "program_name, web_link, link_program_name",
    [
        ("WWW.Abc.Def.exe", "http://www.abc.def", "www.abc.def.exe"),
        ("https.first.www.second.exe", "http://www.second", "www.second.exe"),
        ("https.shop.example.exe", "https://shop.example", "https.shop.example.exe"),
        ("www.abc.www.def.exe", "http://www.def", "www.def.exe"),
        ("site www.my shop.exe", "http://www.my shop", "www.my shop.exe"),
        # A Linux program under its natural name, alone in its folder: the
        # find check passes on the program's own name, quoted for the shell.
        ("www.mysite.com", "http://www.mysite.com", "www.mysite.com.exe"),
        ("www.it's $(exit 1) `x`.com", "http://www.it's $(exit 1) `x`.com", "www.it's $(exit 1) `x`.com.exe"),
    ],
)
def test_the_report_links_to_the_site_in_the_program_name(tmp_path, program_name, web_link, link_program_name):
    run = run_piped(tmp_path, dialogue("2", ["B", "D", "2", "F"]), program_name=program_name)
    assert run.status == 0
    assert f"{web_link}\n{link_program_name}\n" in run.console
    lines = run.report_lines("swr_sumif_01.htm")
    assert lines[26] == f"Useful link added by the program {link_program_name}:"
    assert lines[28] == f'<a href="{web_link}">{web_link}</a>'


def test_a_program_name_without_site_marker_shows_the_rename_notice_and_ends(tmp_path):
    run = run_piped(tmp_path, ["1", "1", "2", "x", "9", "", "1"], program_name="sumwright.exe")
    assert run.status == 0
    lines = run.console_lines()
    preamble = lines.index("sumwright_01_012.cpp", 2)
    assert lines[preamble:] == ["sumwright_01_012.cpp", "", "./sumwright.exe"] + RENAME_NOTICE
    assert not any(run.has(name) for name in REPORT_NAMES)


def test_a_report_that_cannot_be_written_is_reported_as_such(tmp_path):
    (tmp_path / "swr_sumif_01.htm").mkdir()
    run = run_piped(tmp_path, dialogue("2", ["B", "D", "2", "F"]))
    assert run.status == 1
    assert run.errors.startswith("Error: report file swr_sumif_01.htm could not be written: ")
    assert run.errors.count("\n") == 1, run.errors
    lines = run.console_lines()
    assert "Output files = swr_sumif_01.htm" not in lines, "no notice claims the file"
    assert lines[-2:] == ["<Any key> to continue and end", ""]
    assert (tmp_path / "swr_sumif_01.htm").is_dir()
    assert run.leftovers() == []


def test_an_existing_report_survives_a_run_that_ends_during_the_questions(tmp_path):
    (tmp_path / "swr_subtotal.htm").write_bytes(b"previous report")
    run = run_piped(tmp_path, dialogue("1", ["A", "2"])[:-1])
    assert run.status == 1
    assert "input ended" in run.errors
    assert run.file("swr_subtotal.htm") == b"previous report"
    assert run.leftovers() == []


@pytest.fixture
def tiny_filesystem(tmp_path):
    """A file system with room for the program and the check files only."""
    mount_point = tmp_path / "tiny"
    mount_point.mkdir()
    # Inodes: the root directory, the program and the two check files.
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=16m,nr_inodes=4", "tmpfs", str(mount_point)],
                             capture_output=True, check=False)
    if mounted.returncode != 0:
        pytest.skip(f"cannot mount a tmpfs here: {mounted.stderr.decode().strip()}")
    try:
        yield mount_point
    finally:
        subprocess.run(["umount", "-l", str(mount_point)], check=False)


def test_a_report_that_cannot_be_created_skips_the_questions(tiny_filesystem):
    run = run_piped(tiny_filesystem, [*TO_MENU, "2", "x"])
    assert run.status == 1
    lines = run.console_lines()
    title = lines.index("----- selecting cells for sumif()_01 -----")
    assert lines[title + 1:] == ["", "<Any key> to continue and end", ""]
    assert run.errors.startswith("Error: report file swr_sumif_01.htm cannot be created: ")
    assert run.errors.count("\n") == 1, run.errors
