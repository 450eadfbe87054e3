"""Planning the conversion of a folder tree, and converting one of its files.

The rules are those of ``wsqconv``'s folder mode: the tree of ``in_dir`` is
mirrored below ``out_dir``; each output is named by the input's stem and the
target extension; inputs are never modified; an output that would be a file
of the input tree, and outputs that several inputs map to, are reported and
skipped; each output appears only once it is written completely.
"""

import dataclasses
import os

from . import _wsqview
from .error import Error

# The extensions (first three letters, upper-cased) the image library reads.
READABLE = frozenset(_wsqview.readable_keys())

CONVERTED = "converted"
FAILED = "failed"
SKIPPED = "skipped"


@dataclasses.dataclass(frozen=True)
class FileResult:
    """What became of one input file."""

    source: str
    target: str
    status: str  # CONVERTED, FAILED or SKIPPED
    code: "int | None" = None  # the library's code of a failure
    message: str = ""


def extension_key(path):
    """The library's key of a file name: up to three letters after the last dot, upper-cased."""
    _, dot, extension = os.path.basename(path).rpartition(".")
    return extension[:3].upper() if dot else None


def _walk(in_dir, out_dir):
    """Every file below in_dir, sorted; out_dir is left out when it lies inside in_dir."""
    inner_out = os.path.realpath(out_dir)
    if inner_out == os.path.realpath(in_dir):
        inner_out = None
    files = []
    for folder, subfolders, names in os.walk(in_dir):
        subfolders[:] = sorted(d for d in subfolders if os.path.realpath(os.path.join(folder, d)) != inner_out)
        files.extend(os.path.join(folder, name) for name in sorted(names))
    return files


def plan(in_dir, out_dir, to):
    """(jobs, skipped): the (source, target) pairs to convert and the skipped inputs' results."""
    if not os.path.isdir(in_dir):
        raise NotADirectoryError(f"not a folder: {in_dir}")
    extension = to.lstrip(".")
    files = _walk(in_dir, out_dir)
    existing = {os.path.realpath(f) for f in files}
    targets = {}
    for source in files:
        if extension_key(source) not in READABLE:
            continue
        relative = os.path.relpath(source, in_dir)
        stem = os.path.splitext(relative)[0]
        targets[source] = os.path.join(out_dir, f"{stem}.{extension}")
    claims = {}
    for source, target in targets.items():
        claims.setdefault(os.path.realpath(target), []).append(source)
    jobs, skipped = [], []
    for source, target in targets.items():
        real = os.path.realpath(target)
        if real in existing:
            skipped.append(FileResult(source, target, SKIPPED, message="the output would overwrite an input"))
        elif len(claims[real]) > 1:
            others = ", ".join(s for s in claims[real] if s != source)
            skipped.append(FileResult(source, target, SKIPPED, message=f"the output is also that of {others}"))
        else:
            jobs.append((source, target))
    return jobs, skipped


def convert_file(source, target, **options):
    """Converts one file, making the output's folder; never raises for a failing file."""
    try:
        os.makedirs(os.path.dirname(target) or ".", exist_ok=True)
        _wsqview.convert(source, target, **options)
    except Error as error:
        return FileResult(source, target, FAILED, error.code, error.message)
    except OSError as error:
        return FileResult(source, target, FAILED, None, str(error))
    return FileResult(source, target, CONVERTED)
