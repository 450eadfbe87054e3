"""A tree converted on a local Dask cluster of two worker processes."""

import os

import pytest

import wsqview
from conftest import ridges

distributed = pytest.importorskip("distributed")

from wsqview.dask import convert_tree  # noqa: E402
from wsqview.tree import CONVERTED  # noqa: E402


def test_a_local_cluster_converts_each_file_exactly_once(tmp_path):
    sources = ["a.wsq", "b.wsq", "sub/c.png", "sub/deeper/d.bmp", "sub/deeper/e.tif"]
    for index, relative in enumerate(sources):
        path = tmp_path / "in" / relative
        path.parent.mkdir(parents=True, exist_ok=True)
        wsqview.write(path, ridges(70, 80 + index, seed=index))
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster:
        with distributed.Client(cluster) as client:
            with distributed.get_task_stream(client) as stream:
                results = convert_tree(str(tmp_path / "in"), str(tmp_path / "out"), to="png", client=client)
            workers = len(client.scheduler_info()["workers"])
    runs = [task["key"] for task in stream.data if str(task["key"]).startswith("wsqview-convert-")]
    assert workers == 2
    assert len(runs) == len(set(runs)) == len(sources)
    assert [os.path.relpath(r.source, tmp_path / "in") for r in results] == sorted(sources)
    assert all(r.status == CONVERTED for r in results)
    written = sorted(os.path.relpath(os.path.join(d, n), tmp_path / "out")
                     for d, _, names in os.walk(tmp_path / "out") for n in names)
    assert written == sorted(os.path.splitext(s)[0] + ".png" for s in sources)
    for relative in sources:
        back, _ = wsqview.read(tmp_path / "out" / (os.path.splitext(relative)[0] + ".png"))
        expected, _ = wsqview.read(tmp_path / "in" / relative)
        # WSQ sources give 24-bit grey records, written as three equal channels.
        grey = back if back.ndim == 2 else back[..., 0]
        assert (grey == expected).all() and (back.ndim == 2 or (back == grey[..., None]).all())
