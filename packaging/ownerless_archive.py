#!/usr/bin/python3
"""Rewrites a release archive made by CPack so that it does not depend on who
built it: tar entries get owner and group 0 with no names, and ZIP entries
lose the Unix extra field ("ux") that holds the builder's user and group
numbers. Names, order, contents, permissions and times stay as they were.

    /usr/bin/python3 packaging/ownerless_archive.py ARCHIVE.zip|ARCHIVE.tar.gz
"""

from __future__ import annotations

import gzip
import io
import struct
import sys
import tarfile
import zipfile
from pathlib import Path

UNIX_OWNER_FIELD = 0x7875  # Info-ZIP "ux": user and group numbers


def _without_owner(extra: bytes) -> bytes:
    """The extra fields of a ZIP entry less the owner field."""
    kept, at = b"", 0
    while at + 4 <= len(extra):
        field, size = struct.unpack_from("<HH", extra, at)
        if field != UNIX_OWNER_FIELD:
            kept += extra[at:at + 4 + size]
        at += 4 + size
    return kept


def ownerless_zip(data: bytes) -> bytes:
    output = io.BytesIO()
    with zipfile.ZipFile(io.BytesIO(data)) as source, zipfile.ZipFile(output, "w") as target:
        for entry in source.infolist():
            copy = zipfile.ZipInfo(entry.filename, entry.date_time)
            copy.create_system, copy.external_attr = entry.create_system, entry.external_attr
            copy.extra = _without_owner(entry.extra)
            copy.compress_type = zipfile.ZIP_DEFLATED
            target.writestr(copy, source.read(entry), compresslevel=9)
    return output.getvalue()


def ownerless_tar_gz(data: bytes) -> bytes:
    packed = io.BytesIO()
    with tarfile.open(fileobj=io.BytesIO(data), mode="r:gz") as source, \
            tarfile.open(fileobj=packed, mode="w", format=tarfile.PAX_FORMAT) as target:
        for member in source.getmembers():
            member.uid = member.gid = 0
            member.uname = member.gname = ""
            member.pax_headers = {}
            target.addfile(member, source.extractfile(member) if member.isfile() else None)
    output = io.BytesIO()
    # No name and no time in the gzip header.
    with gzip.GzipFile(filename="", mode="wb", fileobj=output, compresslevel=9, mtime=0) as compressed:
        compressed.write(packed.getvalue())
    return output.getvalue()


def main() -> None:
    if len(sys.argv) != 2:
        sys.exit("usage: ownerless_archive.py ARCHIVE.zip|ARCHIVE.tar.gz")
    archive = Path(sys.argv[1])
    if archive.name.endswith(".zip"):
        rewrite = ownerless_zip
    elif archive.name.endswith(".tar.gz"):
        rewrite = ownerless_tar_gz
    else:
        sys.exit(f"ownerless_archive.py: {archive}: neither .zip nor .tar.gz")
    partial = archive.with_name(archive.name + ".partial")
    partial.write_bytes(rewrite(archive.read_bytes()))
    partial.replace(archive)


if __name__ == "__main__":
    main()
