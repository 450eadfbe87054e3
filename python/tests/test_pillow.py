"""The Pillow plugin: opening and saving WSQ through PIL.Image."""

import io

import numpy
import pytest
from PIL import Image, UnidentifiedImageError

import wsqview
import wsqview.pillow
from conftest import ridges


def test_open_shows_the_decoded_pixels_and_fields(sample_path, sample_bytes):
    with Image.open(sample_path) as image:
        assert (image.format, image.mode, image.size) == ("WSQ", "L", (800, 750))
        assert image.info["dpi"] == (500, 500)
        assert image.info["nistcom"]["PIX_HEIGHT"] == "750"
        assert image.info["comments"] == wsqview.decode(sample_bytes)[1]["comments"]
        numpy.testing.assert_array_equal(numpy.asarray(image), wsqview.decode(sample_bytes)[0])


def test_save_writes_the_bytes_of_encode(tmp_path):
    pixels = ridges(100, 90)
    Image.fromarray(pixels).save(tmp_path / "a.wsq", bitrate=0.75, ppi=500)
    Image.fromarray(pixels).save(tmp_path / "b.wsq", dpi=(1000, 1000), bitrate=2.0, comment="scan 3")
    assert (tmp_path / "a.wsq").read_bytes() == wsqview.encode(pixels, bitrate=0.75, ppi=500)
    assert (tmp_path / "b.wsq").read_bytes() == wsqview.encode(pixels, bitrate=2.0, ppi=1000, comment="scan 3")


def test_round_trip_through_pillow_keeps_the_resolution(tmp_path, sample_path):
    with Image.open(sample_path) as image:
        image.save(tmp_path / "copy.wsq", dpi=image.info["dpi"])
    with Image.open(tmp_path / "copy.wsq") as copy:
        assert copy.info["dpi"] == (500, 500) and copy.size == (800, 750)


def test_open_of_an_unknown_resolution_gives_no_dpi():
    data = wsqview.encode(ridges(70, 80), ppi=-1)
    with Image.open(io.BytesIO(data)) as image:
        assert "dpi" not in image.info and image.size == (80, 70)


def test_only_grey_images_are_saved(tmp_path):
    with pytest.raises(OSError):
        Image.fromarray(ridges(70, 70, 3)).save(tmp_path / "colour.wsq")


def test_a_broken_codestream_is_not_identified():
    with pytest.raises(UnidentifiedImageError):
        Image.open(io.BytesIO(b"\xff\xa0 broken"))


def test_a_cut_codestream_fails_to_load(sample_bytes):
    with Image.open(io.BytesIO(sample_bytes[:2000])) as image:
        with pytest.raises(OSError) as caught:
            image.load()
    assert isinstance(caught.value.__cause__, wsqview.Error)
