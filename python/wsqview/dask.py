"""Converting folder trees on a Dask cluster, one task per file.

    from dask.distributed import Client
    import wsqview.dask
    results = wsqview.dask.convert_tree("prints", "out", to="png", client=Client("scheduler:8786"))

Every worker needs the wsqview package, and all of them must see in_dir and
out_dir at the same paths (a shared file system).
"""

import functools
import os
import uuid

import dask
import distributed

from .tree import FileResult, convert_file, plan

__all__ = ["FileResult", "convert_tree"]


def _default_client():
    try:
        return distributed.get_client()
    except ValueError:
        return None


def convert_tree(in_dir, out_dir, to="png", client=None, **options):
    """Converts every image below in_dir to the format ``to``, mirrored below out_dir.

    Runs one task per file on ``client`` (a ``dask.distributed.Client``; by
    default the current one, else Dask's local threads). ``options`` are those
    of ``wsqview.convert`` (bitrate, ppi, comment, quality). Returns one
    FileResult per input, sorted by source path: converted, failed (with the
    library's code and message) or skipped (an output that would overwrite a
    file of the input tree, or one that several inputs map to).
    """
    # Workers may run in other folders (or on other machines): give them absolute paths.
    jobs, results = plan(os.path.abspath(in_dir), os.path.abspath(out_dir), to)
    task = functools.partial(convert_file, **options)
    sources = [source for source, _ in jobs]
    targets = [target for _, target in jobs]
    if client is None:
        client = _default_client()
    if client is None:
        tasks = [dask.delayed(task, pure=False)(s, t) for s, t in jobs]
        results.extend(dask.compute(*tasks, scheduler="threads"))
    elif jobs:
        keys = [f"wsqview-convert-{uuid.uuid4().hex}" for _ in jobs]
        results.extend(client.gather(client.map(task, sources, targets, key=keys)))
    return sorted(results, key=lambda result: result.source)
