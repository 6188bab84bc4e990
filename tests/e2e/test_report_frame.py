"""The frame around every report as the user meets it: the web link from the
program's name, the notice for a name without one, and a report that cannot
be created or written."""

import contextlib

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


@pytest.mark.parametrize(
    "full, failure",
    [
        pytest.param(False, "could not be written: Is a directory", id="a folder in the report's place"),
        # Inodes: the root directory, the program and the two check files.
        pytest.param(True, "cannot be created: No space left on device", id="no inode left"),
    ],
)
def test_a_report_that_cannot_be_written_is_reported_after_the_questions(tmp_path, full, failure):
    with contextlib.ExitStack() as stack:
        directory = stack.enter_context(mounted_tmpfs(tmp_path / "tiny", "size=16m,nr_inodes=4")) if full else tmp_path
        if not full:
            (directory / "swr_sumif_01.htm").mkdir()
        run = run_piped(directory, dialogue("2", ["B", "D", "2", "F"]))
        assert run.status == 1
        assert run.errors == f"Error: report file swr_sumif_01.htm {failure}\n"
        lines = run.console_lines()
        assert lines.count("Output file = swr_sumif_01.htm") == 1, "the opening line, and no closing notice"
        assert lines[-4:] == ["", "", "<Any key> to continue and end", ""]
        assert (directory / "swr_sumif_01.htm").is_dir() != full
        assert run.leftovers() == []
