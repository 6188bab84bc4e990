"""The frame around every report as the user meets it: the web link from the
program's name, the notice for a name without one, and a report that cannot
be created or written."""

import pytest

from harness import REPORT_NAMES, dialogue, mounted_tmpfs, run_piped

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
    assert f"Useful link added by the program {link_program_name}:" in lines
    assert f'<a href="{web_link}">{web_link}</a>' in lines


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


def test_a_report_that_cannot_be_created_is_reported_after_the_questions(tmp_path):
    # Inodes: the root directory, the program and the two check files.
    with mounted_tmpfs(tmp_path / "tiny", "size=16m,nr_inodes=4") as tiny:
        run = run_piped(tiny, dialogue("2", ["B", "D", "2", "F"]))
    assert run.status == 1
    assert run.console_lines()[-4:] == ["", "", "<Any key> to continue and end", ""]
    assert run.errors == "Error: report file swr_sumif_01.htm cannot be created: No space left on device\n"
