"""The rules of tree conversion, checked without a cluster."""

import hashlib
import os

import pytest

import wsqview
from conftest import ridges
from wsqview.dask import convert_tree
from wsqview.tree import CONVERTED, FAILED, SKIPPED, convert_file, plan


def make_tree(root, files):
    """Writes a grey image at each relative path (or the given bytes)."""
    for relative, content in files.items():
        path = root / relative
        path.parent.mkdir(parents=True, exist_ok=True)
        if content is None:
            wsqview.write(path, ridges(70, 75))
        else:
            path.write_bytes(content)


def digests(root):
    return {
        os.path.relpath(os.path.join(folder, name), root): hashlib.sha256(
            open(os.path.join(folder, name), "rb").read()).hexdigest()
        for folder, _, names in os.walk(root) for name in names
    }


def test_plan_mirrors_folders_and_names_outputs_by_stem(tmp_path):
    make_tree(tmp_path / "in", {"a.wsq": None, "sub/deep/b.bmp": None, "sub/c.d.png": None, "notes.txt": b"x"})
    jobs, skipped = plan(str(tmp_path / "in"), str(tmp_path / "out"), "tif")
    out = str(tmp_path / "out")
    assert skipped == []
    assert sorted(target for _, target in jobs) == sorted(
        [os.path.join(out, "a.tif"), os.path.join(out, "sub", "deep", "b.tif"), os.path.join(out, "sub", "c.d.tif")])


def test_inputs_that_share_an_output_are_all_skipped(tmp_path):
    make_tree(tmp_path / "in", {"a.bmp": None, "a.tga": None, "b.bmp": None})
    jobs, skipped = plan(str(tmp_path / "in"), str(tmp_path / "out"), ".png")
    assert [os.path.basename(source) for source, _ in jobs] == ["b.bmp"]
    assert sorted(os.path.basename(r.source) for r in skipped) == ["a.bmp", "a.tga"]
    messages = {os.path.basename(r.source): r.message for r in skipped}
    assert "a.tga" in messages["a.bmp"] and "a.bmp" in messages["a.tga"]
    assert all(r.status == SKIPPED for r in skipped)


def test_an_output_that_would_overwrite_an_input_is_skipped(tmp_path):
    make_tree(tmp_path, {"a.png": None, "b.wsq": None, "b.png": b"an input", "c.bmp": None, "c.png.txt": b""})
    jobs, skipped = plan(str(tmp_path), str(tmp_path), "png")
    assert [os.path.basename(source) for source, _ in jobs] == ["c.bmp"]
    assert sorted(os.path.basename(r.source) for r in skipped) == ["a.png", "b.png", "b.wsq"]


def test_an_output_folder_inside_the_input_is_not_walked(tmp_path):
    make_tree(tmp_path, {"a.bmp": None, "out/old.png": None})
    jobs, skipped = plan(str(tmp_path), str(tmp_path / "out"), "png")
    assert [os.path.basename(source) for source, _ in jobs] == ["a.bmp"] and skipped == []


def test_a_missing_input_folder_is_refused(tmp_path):
    with pytest.raises(NotADirectoryError):
        plan(str(tmp_path / "none"), str(tmp_path / "out"), "png")


def test_convert_file_reports_failures_instead_of_raising(tmp_path):
    (tmp_path / "bad.wsq").write_bytes(b"junk")
    result = convert_file(str(tmp_path / "bad.wsq"), str(tmp_path / "out" / "bad.png"))
    assert (result.status, result.code, result.message) == (FAILED, 16, "Corrupt File")
    assert not (tmp_path / "out" / "bad.png").exists()


def test_convert_tree_on_local_threads_converts_and_leaves_inputs_alone(tmp_path):
    make_tree(tmp_path / "in", {"a.wsq": None, "x/b.bmp": None, "x/b.tga": None, "x/y/c.png": None,
                                "bad.wsq": b"junk", "readme.txt": b"text"})
    before = digests(tmp_path / "in")
    results = convert_tree(str(tmp_path / "in"), str(tmp_path / "out"), to="wsq", bitrate=1.0)
    assert digests(tmp_path / "in") == before
    status = {os.path.relpath(r.source, tmp_path / "in"): r.status for r in results}
    assert status == {"a.wsq": CONVERTED, "x/y/c.png": CONVERTED, "bad.wsq": FAILED,
                      "x/b.bmp": SKIPPED, "x/b.tga": SKIPPED}
    assert sorted(digests(tmp_path / "out")) == ["a.wsq", "x/y/c.wsq"]
    expected = wsqview.encode(wsqview.read(tmp_path / "in" / "x" / "y" / "c.png")[0], bitrate=1.0)
    assert (tmp_path / "out" / "x" / "y" / "c.wsq").read_bytes() == expected


def test_convert_tree_hands_workers_absolute_paths(tmp_path, monkeypatch):
    make_tree(tmp_path / "in", {"sub/a.bmp": None})
    monkeypatch.chdir(tmp_path)
    [result] = convert_tree("in", "out", to="png")
    assert result.status == CONVERTED
    assert os.path.isabs(result.source) and os.path.isabs(result.target)
    assert result.target == str(tmp_path / "out" / "sub" / "a.png") and os.path.exists(result.target)


def test_plan_takes_every_format_the_library_reads(tmp_path):
    readable = wsqview.readable_keys()
    assert set(wsqview.writable_keys()) <= set(readable)
    assert {"WSQ", "PGM", "GIF"} <= set(readable) and "GIF" not in wsqview.writable_keys()
    make_tree(tmp_path / "in", {f"image-{key}.{key.lower()}": b"x" for key in readable} | {"notes.txt": b"x"})
    jobs, skipped = plan(str(tmp_path / "in"), str(tmp_path / "out"), "png")
    assert skipped == []
    assert sorted(os.path.basename(source) for source, _ in jobs) == sorted(
        f"image-{key}.{key.lower()}" for key in readable)
