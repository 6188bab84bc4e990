"""The tool checks with the real shell commands, in scratch directories."""

import contextlib
import hashlib
import os
import shutil
import signal
import stat
import subprocess
import time

import pytest

from harness import DEFAULT_PROGRAM_NAME, binary_path, install_program, mounted_tmpfs, run_piped

RULE = "-" * 58
HEADING = "Checking the presence of vital assistance programs of MS Windows system:"
PATH_HINT = "Most likely it is necessary to updated the system path variable."
WARNING_TITLE = "--------- PROGRAM MUST RUN IN SEPARATE DIRECTORY ---------"
PASSED = [RULE, HEADING, "cmd", "sort", "find"]
NOT_HERE = "The current folder does not hold the program: it is meant to be started in its own folder."

# Files of the user's whose names the clean-up must not reach, the one with a
# space included (its pieces name check_a and b.txt).
USER_FILES = {
    "check_notes.txt": b"my notes\n",
    "check_a b.txt": b"a and b\n",
    "check_a": b"just a\n",
    "b.txt": b"just b\n",
    "check_03.txt": b"not one of the program's\n",
}
STALE = {
    "check_01.txt": b"".join(b"old listing line %d .exe\r\n" % n for n in range(40)),
    "check_02.txt": b"".join(b"old output line %d .exe\r\n" % n for n in range(40)),
}


def seed(directory, stale=True):
    directory.mkdir(parents=True, exist_ok=True)
    for name, data in {**USER_FILES, **(STALE if stale else {})}.items():
        (directory / name).write_bytes(data)


def assert_user_files_intact(directory):
    for name, data in USER_FILES.items():
        assert (directory / name).read_bytes() == data, name


def checks_section(run):
    """From the checks' rule to the directory warning or the end of output."""
    lines = run.console_lines()
    start = lines.index("<2> no and end") + 1
    end = lines.index(WARNING_TITLE) - 1 if WARNING_TITLE in lines else len(lines)
    return lines[start:end]


def failed(tool, *causes):
    passed_before = PASSED[: PASSED.index(tool) + 1]
    return [*passed_before, *causes, f"Check availability {tool}.exe.", PATH_HINT, "<9> end", ""]


def not_found(name):
    """The cause of a check whose command the shell did not find."""
    return f"{name} stayed empty: its command ended with status 127"


def tool_folder(path, tools):
    """A folder for PATH that holds only the named tools."""
    path.mkdir()
    for tool in tools:
        (path / tool).symlink_to(shutil.which(tool))
    return str(path)


@pytest.mark.parametrize("stale", [False, True], ids=["fresh directory", "files of an earlier run"])
def test_all_pass_beside_the_program_and_leave_listing_and_find_output(tmp_path, stale):
    seed(tmp_path, stale)
    run = run_piped(tmp_path, ["1", "2"])  # terms accepted, directory warning refused
    assert run.status == 0
    assert checks_section(run) == PASSED
    listing = run.file("check_01.txt").decode("latin-1").splitlines()
    # The second listing is taken after the clean-up, so check_02.txt is not in it.
    assert any(line.endswith(" check_01.txt") for line in listing)
    assert not any("check_02.txt" in line for line in listing)
    matches = [line for line in listing if ".exe" in line.lower()]
    assert any(line.endswith(" " + DEFAULT_PROGRAM_NAME) for line in matches)
    assert run.file("check_02.txt").decode("latin-1").splitlines() == ["", "---------- CHECK_01.TXT", *matches]
    assert_user_files_intact(tmp_path)


@pytest.mark.parametrize(
    "tools, other_file, outcome",
    [
        pytest.param(None, None, failed("find", NOT_HERE), id="nothing but the user's files"),
        pytest.param(None, "report.txt", failed("find", NOT_HERE), id="no exe anywhere"),
        pytest.param(None, "SETUP.EXE", PASSED, id="upper-case EXE"),
        pytest.param(None, "tool.exe.bak", PASSED, id="exe inside a name"),
        pytest.param(("ls", "grep"), "SETUP.EXE", failed("sort", not_found("check_02.txt")), id="sort missing"),
        pytest.param(("sort", "grep"), "SETUP.EXE", failed("cmd", not_found("check_01.txt")), id="ls missing"),
        pytest.param(("ls", "sort"), "SETUP.EXE", failed("find"), id="grep missing"),
        pytest.param((), "SETUP.EXE", failed("cmd", not_found("check_01.txt")), id="no tools at all"),
        pytest.param("", "SETUP.EXE", failed("cmd", not_found("check_01.txt")), id="empty PATH"),
    ],
)
def test_each_check_needs_its_tool_and_find_a_listing_line_with_exe(tmp_path, tools, other_file, outcome):
    work, program = tmp_path / "work", tmp_path / "program"
    seed(work)  # stale check files with many lines must not help
    if other_file:
        (work / other_file).write_bytes(b"")
    path = {} if tools is None else {"PATH": "" if tools == "" else tool_folder(tmp_path / "bin", tools)}
    # After the checks "9" ends the failure wait; the directory warning ignores
    # it and ends on "2".
    run = run_piped(work, ["1", "x3", "", "9", "2"], program_dir=program, env=path)
    assert run.status == 0
    assert checks_section(run) == outcome
    if outcome == failed("sort", not_found("check_02.txt")):
        assert run.file("check_02.txt") == b"", "the old check_02.txt is gone and sort wrote nothing"
    assert_user_files_intact(work)


def test_failure_wait_ends_only_on_9(tmp_path):
    work = tmp_path / "work"
    seed(work)
    run = run_piped(work, ["1", "x3", "12", "", "\x1b[A"], program_dir=tmp_path / "program")
    assert checks_section(run) == failed("find", NOT_HERE)
    assert run.console.count("<9> end") == 1
    # Input ran out with the wait still open: no other key ended the program.
    assert run.status == 1 and "input ended" in run.errors


# ------------------------------------------------------------ hostile folders

# The user's own file outside the folder: blank lines only, so that a check
# left to read it through a link it did not clear has no listing line to
# pass on; the run must go on exactly as with a plain check file.
OUTSIDE = b"\n   \n\n"
CAUSE = "check_01.txt cannot be written in this folder: Permission denied"


def unusable(name, why, passed=("cmd",)):
    return [RULE, HEADING, *passed, f"{name} cannot be used: {why}", "<9> end", ""]


def plant(kind, path, outside):
    """Puts a thing of the kind at the path; links lead to the outside file."""
    if kind == "dangling symlink":
        outside.unlink()
    if kind.endswith("symlink"):
        path.symlink_to(outside)
    elif kind == "hard link":
        os.link(outside, path)
    elif kind == "fifo":
        os.mkfifo(path)
    elif kind == "device":
        os.mknod(path, stat.S_IFCHR | 0o666, os.makedev(1, 3))
    elif kind == "directory":
        (path / "inside").mkdir(parents=True)
    elif kind == "full disk":
        filler = os.open(path.parent / "filler", os.O_WRONLY | os.O_CREAT)
        with contextlib.suppress(OSError):
            while os.write(filler, bytes(65536)):
                pass
        os.close(filler)
    elif "unwritable" in kind:  # a folder its user may not write, perhaps holding a check file he may write
        if "old" in kind:
            path.write_bytes(b"old listing\n")
            path.chmod(0o666)
        path.parent.chmod(0o555)


HOSTILE_FOLDERS = [
    ("symlink", "check_01.txt", PASSED),
    ("symlink", "check_02.txt", PASSED),
    ("dangling symlink", "check_01.txt", PASSED),
    ("hard link", "check_01.txt", PASSED),
    ("hard link", "check_02.txt", PASSED),
    ("fifo", "check_01.txt", unusable("check_01.txt", "it is a named pipe (FIFO)")),
    ("device", "check_01.txt", unusable("check_01.txt", "it is a device")),
    ("directory", "check_01.txt", unusable("check_01.txt", "it is a directory")),
    ("directory", "check_02.txt", unusable("check_02.txt", "it is a directory", ("cmd", "sort"))),
    ("unwritable as nobody", "check_01.txt", failed("cmd", CAUSE)),
    ("unwritable, old file, as nobody", "check_01.txt",
     failed("sort", "check_01.txt cannot be removed from this folder")),
    ("full disk", "check_01.txt",
     failed("cmd", "check_01.txt stayed empty: its command failed: No space left on device")),
    ("shell that cannot start", "check_01.txt",
     failed("cmd", "check_01.txt stayed empty: its command could not be started: Permission denied")),
]
# Run as nobody, or with /bin/sh made a device that cannot be run, in a mount
# namespace of the program's own.
PREFIXES = {
    "nobody": ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"],
    "cannot start": ["unshare", "--mount", "--", "/bin/sh", "-c", 'mount --bind /dev/null /bin/sh && exec "$0"'],
}


@pytest.mark.parametrize("kind, name, outcome",
                         [pytest.param(*row, id=f"{row[0]} {row[1]}") for row in HOSTILE_FOLDERS])
def test_a_check_file_is_never_written_through_and_a_failure_names_its_cause(tmp_path, request, kind, name,
                                                                            outcome):
    work, outside = tmp_path / "work", tmp_path / "outside" / "bashrc"
    work.mkdir()
    outside.parent.mkdir()
    outside.write_bytes(OUTSIDE)
    if kind == "full disk":
        mounts = contextlib.ExitStack()
        request.addfinalizer(mounts.close)
        mounts.enter_context(mounted_tmpfs(work, f"size={binary_path().stat().st_size + 2**20}"))
    install_program(work)
    try:
        plant(kind, work / name, outside)
    except PermissionError as error:
        pytest.skip(f"cannot make a {kind} here: {error}")
    # The program is started by a path relative to its folder, which nobody can reach.
    prefix = next((prefix for key, prefix in PREFIXES.items() if key in kind), [])
    if prefix and shutil.which(prefix[0]) is None:
        pytest.skip(f"{prefix[0]} is not installed")
    # "9" ends a failure wait; the directory warning ignores it and ends on "2".
    run = run_piped(work, ["1", "9", "2"], install=False, command_prefix=prefix, timeout=20)
    assert run.status == 0
    assert checks_section(run) == outcome
    if kind != "dangling symlink":
        assert hashlib.sha256(outside.read_bytes()).digest() == hashlib.sha256(OUTSIDE).digest()
        assert outside.stat().st_nlink == 1, "the link's name is gone, its target left"
    assert outside.exists() == (kind != "dangling symlink"), "nothing made outside"
    if outcome == PASSED:
        assert not (work / name).is_symlink() and (work / name).stat().st_nlink == 1, "a file of the folder's own"
    elif "nobody" not in kind:
        assert (work / name).exists(), "what is in the way is left alone"


# ------------------------------------------------------------ the commands

def test_a_check_command_starts_with_the_usual_signals_and_is_waited_for_through_a_stop(tmp_path):
    """A stand-in sort notes the signals it started ignoring and takes its
    time; meanwhile the program, started under nohup, is stopped (Ctrl-Z) and
    continued. Run once: not taken for a sort that wrote nothing and run again."""
    work, tools, noted = tmp_path / "work", tmp_path / "tools", tmp_path / "ignored"
    work.mkdir()
    tools.mkdir()
    (tools / "sort").write_text(f'#!/bin/sh\ngrep SigIgn /proc/$$/status >> {noted}\n'
                                f'sleep 1\nexec {shutil.which("sort")} "$@"\n')
    (tools / "sort").chmod(0o755)
    install_program(work)
    process = subprocess.Popen(["nohup", f"./{DEFAULT_PROGRAM_NAME}"], cwd=work, stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               env={**os.environ, "PATH": f"{tools}:{os.environ['PATH']}"})
    try:
        process.stdin.write(b"1\n9\n2\n")
        process.stdin.close()
        deadline = time.monotonic() + 20
        while not noted.exists() or not noted.read_text().endswith("\n"):
            assert time.monotonic() < deadline and process.poll() is None, "sort did not start"
            time.sleep(0.02)
        process.send_signal(signal.SIGTSTP)
        time.sleep(0.2)
        process.send_signal(signal.SIGCONT)
        console = process.stdout.read().decode("latin-1")
        assert process.wait(timeout=20) == 0
    finally:
        process.kill()
    lines = console.split("\n")
    assert lines[lines.index("<2> no and end") + 1:][:5] == PASSED, "sort's output was waited for"
    runs = noted.read_text().splitlines()
    assert len(runs) == 1, "sort was waited for through the stop, not run again"
    ignored = int(runs[0].split()[1], 16)
    assert [bool(ignored & 1 << (number - 1)) for number in (signal.SIGHUP, signal.SIGPIPE, signal.SIGXFSZ)] == [
        True, False, False], "nohup's hang-up ignored; broken pipes and the file size limit as usual"
