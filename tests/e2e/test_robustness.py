"""Extreme answers, interruptions, a full disk and missing standard streams,
through the real binary: the program keeps to its conventions or ends in an
orderly way, never hangs, never crashes, and never leaves a broken report."""

from __future__ import annotations

import contextlib
import os
import resource
import shutil
import signal
import subprocess
import time
from pathlib import Path

import pytest

from harness import (DEFAULT_PROGRAM_NAME, TO_MENU, Run, dialogue, input_bytes, install_program, leftovers,
                     mounted_tmpfs, run_piped)

MIB = 1 << 20
TEXT_LIMIT = 4096
NUMBER_LIMIT = 67
FRAME_LINES = 31 + 2  # report head, advertising and product blocks; report end
RUN_TIMEOUT = 120  # seconds; generous for the sanitizer build

REPORTS = {"1": "swr_subtotal.htm", "2": "swr_sumif_01.htm", "3": "swr_sumif_02.htm"}


def start(directory: Path, **popen) -> subprocess.Popen:
    """Starts the program in `directory` for a test that acts while it runs;
    the standard streams come as Popen arguments."""
    install_program(directory)
    return subprocess.Popen([str(directory / DEFAULT_PROGRAM_NAME)], cwd=directory, **popen)


def no_sanitizer_report(run: Run) -> None:
    assert "Sanitizer" not in run.errors and "runtime error" not in run.errors, run.errors


# ---------------------------------------------------------------- long lines

def long_text(letter: str) -> str:
    """A 1 MiB answer whose first 4096 characters are the letter and digits
    (more letters would name a column past XFD), and the rest a character
    that must never reach the report."""
    return kept(letter) + "q" * (MIB - TEXT_LIMIT)


def kept(letter: str) -> str:
    return letter + "1" * (TEXT_LIMIT - 1)


def long_number(value: int) -> str:
    """A 1 MiB number line whose first 67 characters read as `value`; one
    character more would make it a huge number."""
    digits = str(value).rjust(NUMBER_LIMIT, "0")
    return digits + "9" * (MIB - NUMBER_LIMIT)


LONG_KEY = "x" * MIB  # a key line that offers nothing
EVERY_BYTE = "".join(chr(b) for b in range(1, 256) if b != 10)  # a line feed ends the line
QUOTED_EVERY_BYTE = '"' + EVERY_BYTE.replace('"', "") + '"'
UPPER_EVERY_BYTE = "".join(c.upper() if "a" <= c <= "z" else c for c in QUOTED_EVERY_BYTE[1:-1])

# What the report says before each answer it echoes.
ECHO = {
    "1": ["Column name                  for start sort = ", "The number of columns in the group for sort = ",
          "Column name with data (subtotal)    = ", "Row number (start) with data cell   = ",
          "Column name with start of free area = "],
    "2": ["Column name for creating group = ", "Column name with data = ", "Row number start with data cell = ",
          "Column name start with free area = "],
    "3": ["Column name for creating group    = ", "Column name      with data        = ",
          "Row number start with data cell   = ", "Column name start with free area  = "],
}
LONG_TEXTS = [long_text("b"), long_text("d"), long_number(3), long_text("f")]
KEPT_TEXTS = [kept("B"), kept("D"), " 3", kept("F")]


@pytest.mark.parametrize(
    "menu_key, noise, answers, echoed, body_lines",
    [
        pytest.param("1", LONG_KEY, [long_text("b"), long_number(2), long_text("d"), long_number(3), long_text("f")],
                     [kept("B"), " 2", kept("D"), " 3", kept("F")], 15 + 33 * 2 + 2, id="subtotal-mebibyte"),
        pytest.param("2", LONG_KEY, LONG_TEXTS, KEPT_TEXTS, 111, id="sumif_01-mebibyte"),
        pytest.param("3", LONG_KEY, LONG_TEXTS, KEPT_TEXTS, 197, id="sumif_02-mebibyte"),
        # Every byte value but the line feed; the level count reads as 0.
        pytest.param("1", EVERY_BYTE, [QUOTED_EVERY_BYTE, EVERY_BYTE, EVERY_BYTE, EVERY_BYTE, EVERY_BYTE[::-1]],
                     [UPPER_EVERY_BYTE], 15 + 2, id="subtotal-every-byte"),
        pytest.param("2", EVERY_BYTE, [QUOTED_EVERY_BYTE, EVERY_BYTE, EVERY_BYTE, EVERY_BYTE[::-1]],
                     [UPPER_EVERY_BYTE], 111, id="sumif_01-every-byte"),
        pytest.param("3", EVERY_BYTE, [EVERY_BYTE[::-1], QUOTED_EVERY_BYTE, EVERY_BYTE, EVERY_BYTE],
                     [None, UPPER_EVERY_BYTE], 197, id="sumif_02-every-byte"),
    ],
)
def test_mebibyte_lines_and_every_byte_value_keep_the_report_whole(tmp_path, menu_key, noise, answers, echoed,
                                                                   body_lines):
    """Each key line carries the noise after its key; answers count only up
    to the limit and reach the report byte for byte, upper-cased."""
    run = run_piped(tmp_path, [f"1{noise}", f"1{noise}", menu_key + noise, *answers, noise], timeout=RUN_TIMEOUT)
    assert run.status == 0, run.errors
    no_sanitizer_report(run)
    lines = run.report_lines(REPORTS[menu_key])
    assert len(lines) == FRAME_LINES + body_lines and lines[-2:] == ["</body>", "</html>"]
    report = run.report(REPORTS[menu_key])
    assert report.count(b"\n") == report.count(b"\r\n"), "every line feed follows a carriage return"
    for label, value in zip(ECHO[menu_key], echoed):
        assert value is None or label + value in lines
    if noise == LONG_KEY:
        assert b"Q" not in report, "nothing past the limit reaches the report"
    assert len(run.console) < 16 * 1024, "answers are not echoed from a pipe"


# ------------------------------------------------------ numbers past 32 bits

@pytest.mark.parametrize(
    "typed, value",
    [
        ("99999999999999999999", 2147483647),
        ("-99999999999999999999", -2147483648),
        ("4294967298", 2147483647),  # not 2, as a 32-bit wrap would give
        ("+2147483648", 2147483647),
        ("-2147483649", -2147483648),
        ("1e300", 2147483647),
        ("-1D300", -2147483648),
        ("2147483647.5", 2147483647),
        ("&HFFFFFFFFFFFF", 2147483647),
        ("&B" + "1" * 64, 2147483647),
    ],
)
def test_numbers_past_32_bits_saturate(tmp_path, typed, value):
    run = run_piped(tmp_path, dialogue("2", ["b", "d", typed, "f"]))
    assert run.status == 0, run.errors
    no_sanitizer_report(run)
    lines = run.report_lines("swr_sumif_01.htm")
    field = f" {value}" if value >= 0 else str(value)
    assert f"Row number start with data cell = {field}" in lines
    assert f"=SUMIF(B:B;B{value};D:D)" in lines
    assert f"Copy formula in cell F{value}." in lines


def test_a_level_count_far_below_zero_writes_no_step(tmp_path):
    run = run_piped(tmp_path, dialogue("1", ["a", "-99999999999999999999", "d", "2", "f"]))
    assert run.status == 0, run.errors
    lines = run.report_lines("swr_subtotal.htm")
    assert "The number of columns in the group for sort = -2147483648" in lines
    assert len(lines) == FRAME_LINES + 15 + 2


PAST_XFD = "lies past the sheet's last column XFD (16384)\n"


def as_nobody_owning(*paths: Path) -> list[str]:
    """The command prefix that runs the program as nobody, given the paths."""
    if os.geteuid() != 0:
        pytest.skip("only root can run the program as nobody")
    for path in paths:
        shutil.chown(path, "nobody")
    return ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]


@pytest.mark.parametrize(
    "menu_key, answers, reason",
    [
        ("1", ["a", "5462", "d", "2", "f"], "5462 columns in the group need 16386 free columns, but a sheet has at "
                                            "most 16384 (limit: 5461 columns in the group)\n"),
        ("1", ["XFE\t", "1", "d", "2", "f"], "column XFE " + PAST_XFD),  # formulas hold these three as typed
        ("2", ["XFE1", "d", "2", "f"], "column XFE " + PAST_XFD),
        ("3", ["b", "xfe.", "2", "f"], "column XFE " + PAST_XFD),
        # For the reason, the owner and mode of a report its user may not
        # write, run as nobody in a folder of his: refused before the questions.
        ("1", ["a", "2", "d", "2", "f"], ("nobody", 0o444)),
        ("3", ["b", "d", "2", "f"], ("root", 0o644)),
    ],
)
def test_a_report_that_cannot_be_written_leaves_the_old_one(tmp_path, menu_key, answers, reason):
    report = REPORTS[menu_key]
    (tmp_path / report).write_bytes(b"previous report")
    protected = isinstance(reason, tuple)
    prefix = as_nobody_owning(tmp_path) if protected else []
    if protected:
        shutil.chown(tmp_path / report, reason[0])
        (tmp_path / report).chmod(reason[1])
    run = run_piped(tmp_path, dialogue(menu_key, answers), command_prefix=prefix, timeout=10)
    assert run.status == 1
    failure = "cannot be written: Permission denied\n" if protected else f"not written: {reason}"
    assert run.errors.startswith(f"Error: report file {report} {failure}"), run.errors
    assert run.errors.count("\n") == 1
    assert run.console_lines()[-4:] == ["", "", "<Any key> to continue and end", ""]
    assert run.console_lines()[-6].endswith(report) == protected, "refused before the questions, else after them"
    assert run.file(report) == b"previous report"
    assert leftovers(tmp_path) == []


def test_a_report_made_read_only_during_the_questions_is_kept(tmp_path):
    """Asked again as the report is put in place: nobody's own report, which
    he may write at the opening, made read-only while he answers."""
    report = tmp_path / "swr_subtotal.htm"
    report.write_bytes(b"previous report")
    install_program(tmp_path)
    keys = dialogue("1", ["a", "2", "d", "2", "f"])
    process = subprocess.Popen([*as_nobody_owning(tmp_path, report), f"./{DEFAULT_PROGRAM_NAME}"], cwd=tmp_path,
                               stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    process.stdin.write(input_bytes(keys[:4]))  # the three keys and the first answer
    process.stdin.flush()
    deadline = time.monotonic() + RUN_TIMEOUT
    # Asleep in a read of its input: all that came is taken, the opening included.
    while not (Path(f"/proc/{process.pid}/stat").read_text().rsplit(") ", 1)[1].startswith("S")
               and Path(f"/proc/{process.pid}/syscall").read_text().startswith("0 0x0 ")):
        assert time.monotonic() < deadline, "the program did not wait for the second answer"
        time.sleep(0.01)
    report.chmod(0o444)
    _, errors = process.communicate(input_bytes(keys[4:]), timeout=RUN_TIMEOUT)
    assert (process.returncode, errors) == (1, b"Error: report file swr_subtotal.htm could not be written: "
                                                b"Permission denied\n")
    assert report.read_bytes() == b"previous report" and leftovers(tmp_path) == []


# ----------------------------------------------------------- interruptions

@pytest.mark.parametrize("interruption", [signal.SIGTERM, signal.SIGINT, signal.SIGHUP])
def test_an_interruption_while_the_report_is_written_leaves_the_earlier_report(tmp_path, interruption):
    earlier = run_piped(tmp_path, dialogue("1", ["a", "1", "d", "2", "f"])).report("swr_subtotal.htm")
    # The most levels a report may have, from free column B: it would grow to
    # some 316 MB.
    process = start(tmp_path, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    process.stdin.write(input_bytes(dialogue("1", ["a", "5461", "d", "2", "b"])))
    process.stdin.close()
    deadline = time.monotonic() + RUN_TIMEOUT
    while not any((tmp_path / name).stat().st_size > 256 * 1024 for name in leftovers(tmp_path)):
        assert process.poll() is None, "the program ended before it wrote much"
        assert time.monotonic() < deadline, "the report was not being written"
        time.sleep(0.01)
    process.send_signal(interruption)
    try:
        process.wait(timeout=30)
    finally:
        process.kill()
    errors = process.stderr.read().decode("latin-1")
    assert process.returncode == -interruption, errors
    assert leftovers(tmp_path) == []
    assert (tmp_path / "swr_subtotal.htm").read_bytes() == earlier


# -------------------------------------------------------------- full disk

SMALL_REPORT = Path(__file__).resolve().parent.parent / "data" / "subtotal_example_1.htm"


def file_size_limit(limit: int):
    """The shell's `ulimit -f`: the system sends SIGXFSZ at the limit."""
    return lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))


def fsync_shim(**settings: str) -> dict[str, str]:
    """The environment that preloads the fsync shim of tests/preload; the
    shim comes before a sanitizer runtime, which must be told to allow it."""
    shim = os.environ.get("SUMWRIGHT_FSYNC_SHIM")
    if not shim:
        pytest.skip("SUMWRIGHT_FSYNC_SHIM does not name the fsync shim (CTest sets it)")
    options = os.environ.get("ASAN_OPTIONS", "")
    return {"LD_PRELOAD": shim, "ASAN_OPTIONS": f"{options}:verify_asan_link_order=0".lstrip(":"), **settings}


@pytest.mark.parametrize(
    "limit, levels",
    [
        pytest.param(None, "300", id="small tmpfs"),
        pytest.param("fsync", "2", id="the disk refuses the sync"),  # several megabytes into 256 KiB
        pytest.param(256 * 1024, "300", id="file size limit"),
        # The worked example fits in the stream's buffer: only the final
        # flush meets the limit.
        pytest.param(SMALL_REPORT.stat().st_size - 1, "2", id="file size limit one byte below a small report"),
    ],
)
def test_a_report_that_fills_the_disk_is_reported_and_not_left_in_part(tmp_path, limit, levels):
    directory, programs = tmp_path / "disk", tmp_path / "programs"
    directory.mkdir()
    with contextlib.ExitStack() as stack:
        if limit is None:
            stack.enter_context(mounted_tmpfs(directory, f"size={256 * 1024}"))
        (directory / "listed.exe").touch()  # the find check wants an .exe in the listing
        earlier = run_piped(directory, dialogue("1", ["a", "1", "d", "2", "f"]), program_dir=programs)
        assert earlier.status == 0, earlier.errors
        earlier_report = earlier.report("swr_subtotal.htm")
        refused_sync = fsync_shim(SUMWRIGHT_FSYNC_FAIL="1") if limit == "fsync" else None
        run = run_piped(directory, dialogue("1", ["A", levels, "D", "2", "F"]), program_dir=programs, env=refused_sync,
                        preexec_fn=file_size_limit(limit) if isinstance(limit, int) else None, timeout=RUN_TIMEOUT)
        no_sanitizer_report(run)
        assert run.status == 1, run.errors
        failure = "Error: report file swr_subtotal.htm could not be written: "
        assert run.errors.startswith(failure) and run.errors.count("\n") == 1, run.errors
        assert run.errors.endswith(("No space left on device\n", "File too large\n", "Input/output error\n"))
        lines = run.console_lines()
        assert lines.count("Output file = swr_subtotal.htm") == 1, "the opening line, and no closing notice"
        assert lines[-2:] == ["<Any key> to continue and end", ""]
        assert run.report("swr_subtotal.htm") == earlier_report
        assert leftovers(directory) == []


def test_the_report_goes_to_the_disk_and_then_the_folder_that_holds_it(tmp_path):
    log = tmp_path / "fsync.log"
    synced = fsync_shim(SUMWRIGHT_FSYNC_LOG=str(log))
    run = run_piped(tmp_path / "work", dialogue("2", ["b", "d", "3", "f"]), env=synced)
    assert run.status == 0, run.errors
    assert log.read_text().split() == ["file", "folder"]


# --------------------------------------------------------- standard streams

def close_descriptors(*descriptors: int):
    def prepare() -> None:
        for descriptor in descriptors:
            os.close(descriptor)
    return prepare


def test_answers_arriving_late_on_a_non_blocking_pipe_are_waited_for(tmp_path):
    reader, writer = os.pipe()
    os.set_blocking(reader, False)  # as a parent may leave it: reads fail with EAGAIN
    try:
        process = start(tmp_path, stdin=reader, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    finally:
        os.close(reader)
    with os.fdopen(writer, "wb") as keyboard:
        for lines in (TO_MENU, ["2", "B"], ["D", "2", "F", "x"]):
            time.sleep(0.3)
            keyboard.write(input_bytes(lines))
            keyboard.flush()
    out, err = process.communicate(timeout=RUN_TIMEOUT)
    run = Run(tmp_path, out.decode("latin-1"), err.decode("latin-1"), process.returncode)
    assert run.status == 0, run.errors
    assert "=SUMIF(B:B;B2;D:D)" in run.report_lines("swr_sumif_01.htm")


@pytest.mark.parametrize("closed", [(0,), (0, 1, 2)], ids=["stdin", "all three"])
def test_closed_standard_input_ends_the_dialogue(tmp_path, closed):
    run = run_piped(tmp_path, None, preexec_fn=close_descriptors(*closed), timeout=RUN_TIMEOUT)
    assert run.status == 1
    if closed == (0,):
        no_sanitizer_report(run)
        assert "input ended before the dialogue was complete" in run.errors
        assert run.console_lines()[-3:] == ["<1> yes and continue", "<2> no and end", ""]


@pytest.mark.parametrize(
    "closed",
    [pytest.param((1,), id="stdout"), pytest.param((2,), id="stderr"), pytest.param((1, 2), id="stdout and stderr"),
     pytest.param("broken pipe", id="stdout a pipe nobody reads")],
)
def test_closed_or_broken_output_streams_leave_the_report_as_it_would_be(tmp_path, closed):
    answers = dialogue("1", ["b", "2", "d", "3", "f"])
    reference = run_piped(tmp_path / "reference", answers).report("swr_subtotal.htm")
    reader, writer = os.pipe()
    os.close(reader)  # nobody will ever read: every write fails with EPIPE
    try:
        broken = closed == "broken pipe"
        run = run_piped(tmp_path / "closed", answers, stdout=writer if broken else subprocess.DEVNULL,
                        preexec_fn=None if broken else close_descriptors(*closed), timeout=RUN_TIMEOUT)
    finally:
        os.close(writer)
    no_sanitizer_report(run)
    assert run.status == 0, "not ended by SIGPIPE"
    assert run.report("swr_subtotal.htm") == reference, "no console output in the report"


@pytest.mark.parametrize("closed, name, said_on", [(0, "input", "errors"), (1, "output", "errors"),
                                                    (2, "error", "console")])
def test_a_closed_stream_without_a_null_device_ends_the_run_before_any_file(tmp_path, closed, name, said_on):
    """In a private mount namespace whose /dev is empty, as in a bare container."""
    probe = subprocess.run(["unshare", "--mount", "true"], capture_output=True, text=True, check=False)
    if probe.returncode != 0:
        pytest.skip(f"no private mount namespace here: {probe.stderr.strip()}")
    install_program(tmp_path)
    script = f'mount -t tmpfs tmpfs /dev && exec "$0" {closed}<&-'
    run = run_piped(tmp_path, dialogue("2", ["b", "d", "3", "f"]), install=False,
                    command_prefix=["unshare", "--mount", "sh", "-c", script])
    assert run.status == 1
    said = f"sumwright: standard {name} is closed and cannot be put on /dev/null: No such file or directory\n"
    assert getattr(run, said_on) == said
    assert [p.name for p in tmp_path.iterdir()] == [DEFAULT_PROGRAM_NAME], "no file opened"
