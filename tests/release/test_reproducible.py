"""The release is reproducible: built again from the same commit, from a copy
of the sources in other folders and by another, unprivileged user where the
machine allows it, it gives the same archives, byte for byte, and no file in
them names the folders it was built in."""

from __future__ import annotations

import os
import pwd
import shutil
import subprocess
import tarfile
import tempfile
import zipfile
from pathlib import Path

import pytest

from release import DIST_DIR, LINUX_ARCHIVE, WINDOWS_ARCHIVE

SOURCE_DIR = Path(__file__).resolve().parents[2]
RELEASE_BUILD_DIR = Path(os.environ.get("SUMWRIGHT_RELEASE_BUILD_DIR", SOURCE_DIR / "build" / "release"))
SOURCE_DATE_EPOCH = os.environ.get("SUMWRIGHT_SOURCE_DATE_EPOCH", "")
SECOND_USER = "nobody"


def _second_user() -> tuple[list[str], int, int] | str:
    """How to run a command as an unprivileged user other than this one, with
    that user's numbers; or why that is not possible here."""
    setpriv = shutil.which("setpriv")
    users = {user.pw_name: user for user in pwd.getpwall()}
    if os.geteuid() != 0 or setpriv is None or SECOND_USER not in users:
        return f"switching to the user {SECOND_USER!r} needs root, setpriv and that user"
    user = users[SECOND_USER]
    return [setpriv, f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}", "--clear-groups", "--"], user.pw_uid, user.pw_gid


def _run(command: list[str], cwd: Path, env: dict[str, str]) -> None:
    # At a lower priority: the tests beside it wait on Wine and terminals,
    # and a build takes what they leave.
    completed = subprocess.run(["nice", "-n", "10", *command], cwd=cwd, env=env, capture_output=True, text=True,
                               check=False)
    assert completed.returncode == 0, f"{' '.join(command)} failed:\n{completed.stdout}\n{completed.stderr}"


def _copy_sources(source: Path) -> None:
    """The files of the working tree that git tracks or would track."""
    listed = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                            cwd=SOURCE_DIR, capture_output=True, check=True).stdout
    for name in filter(None, listed.decode().split("\0")):
        if (SOURCE_DIR / name).is_file():
            (source / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(SOURCE_DIR / name, source / name)


def _packed_files(dist: Path) -> dict[str, bytes]:
    with zipfile.ZipFile(dist / WINDOWS_ARCHIVE) as archive:
        files = {name: archive.read(name) for name in archive.namelist()}
    with tarfile.open(dist / LINUX_ARCHIVE) as archive:
        files |= {member.name: archive.extractfile(member).read() for member in archive.getmembers()}
    return files


def test_a_second_build_by_another_user_from_other_folders_gives_the_same_bytes():
    assert SOURCE_DATE_EPOCH.isdigit(), "CTest passes the release time of the first build"
    second_user = _second_user()
    prefix, uid, gid = second_user if isinstance(second_user, tuple) else ([], os.getuid(), os.getgid())
    # A copy of the sources without the git history (so the release time is
    # passed on) and a build folder deeper and longer than the first, made
    # from nothing and owned by the one who builds.
    work = Path(tempfile.mkdtemp(prefix="sumwright_release_again_"))
    try:
        source, again = work / "source", work / "build" / "release-again"
        _copy_sources(source)
        for folder, _, files in os.walk(work):
            for path in [folder, *(os.path.join(folder, name) for name in files)]:
                os.chown(path, uid, gid)
        env = {**os.environ, "HOME": str(work), "SOURCE_DATE_EPOCH": SOURCE_DATE_EPOCH}
        dist_again = again / "dist"
        _run([*prefix, "cmake", "--preset", "release", "-B", str(again), f"-DSUMWRIGHT_DIST_DIR={dist_again}"],
             source, env)
        _run([*prefix, "cmake", "--build", str(again), "-j", "2"], source, env)
        _run([*prefix, "cpack"], again, env)

        packed, packed_again = _packed_files(DIST_DIR), _packed_files(dist_again)
        assert sorted(packed_again) == sorted(packed)
        assert [name for name, content in packed_again.items() if content != packed[name]] == []
        folders = (SOURCE_DIR, RELEASE_BUILD_DIR, source, again)
        assert [(name, str(folder)) for name, content in packed_again.items() for folder in folders
                if str(folder).encode() in content] == []
        assert [name for name in (WINDOWS_ARCHIVE, LINUX_ARCHIVE, "SHA256SUMS")
                if (dist_again / name).read_bytes() != (DIST_DIR / name).read_bytes()] == []
    finally:
        shutil.rmtree(work)
    if not prefix:
        pytest.skip(f"the same bytes from a second build, but by the same user: {second_user}")
