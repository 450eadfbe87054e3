"""read, write and convert through the image library, checked with Pillow and
against the C++ converter."""

import os

import numpy
import pytest
from PIL import Image

import wsqview
from conftest import ridges

BAD_BITS_PER_PIXEL = 2
BAD_IMAGE_SIZE = 4
CANNOT_OPEN_FILE = 7
UNSUPPORTED_OPTION = 8
UNSUPPORTED_EXTENSION = 10
CORRUPT_DATA = 16

LOSSLESS = ["png", "bmp", "tif", "tga", "rgb"]


def test_read_of_a_wsq_file_is_its_decode(sample_path, sample_bytes):
    pixels, info = wsqview.read(sample_path)
    expected, expected_info = wsqview.decode(sample_bytes)
    numpy.testing.assert_array_equal(pixels, expected)
    assert info == expected_info


# BMP is written with 24 bits, so it keeps no alpha.
@pytest.mark.parametrize(
    "extension, channels",
    [(e, c) for e in LOSSLESS for c in (None, 3, 4) if (e, c) != ("bmp", 4)],
)
def test_write_then_read_keeps_every_pixel(tmp_path, extension, channels):
    pixels = ridges(33, 47, channels)
    path = tmp_path / f"image.{extension}"
    wsqview.write(path, pixels)
    back, info = wsqview.read(path)
    numpy.testing.assert_array_equal(back, pixels)
    assert (info["width"], info["height"], info["ppi"]) == (47, 33, None)


@pytest.mark.parametrize("extension", ["png", "bmp", "tif", "tga"])
@pytest.mark.parametrize("channels", [None, 3])
def test_written_files_show_the_same_pixels_in_pillow(tmp_path, extension, channels):
    pixels = ridges(21, 30, channels)
    wsqview.write(tmp_path / f"image.{extension}", pixels)
    numpy.testing.assert_array_equal(numpy.asarray(Image.open(tmp_path / f"image.{extension}")), pixels)


@pytest.mark.parametrize("mode", ["L", "RGB", "RGBA", "P", "1"])
def test_read_shows_files_from_pillow_as_pillow_does(tmp_path, mode):
    colour = Image.fromarray(ridges(25, 36, 3))
    image = colour.convert(mode) if mode != "RGBA" else Image.fromarray(ridges(25, 36, 4))
    image.save(tmp_path / "image.png")
    expected = numpy.asarray(image.convert({"P": "RGB", "1": "L"}.get(mode, mode)))
    pixels, _ = wsqview.read(tmp_path / "image.png")
    numpy.testing.assert_array_equal(pixels, expected)


def test_write_reads_arrays_of_any_layout(tmp_path):
    pixels = ridges(30, 40, 3)
    flipped = numpy.ascontiguousarray(pixels[::-1])[::-1]
    wsqview.write(tmp_path / "flipped.png", flipped)
    wsqview.write(tmp_path / "fortran.png", numpy.asfortranarray(pixels))
    for name in ("flipped.png", "fortran.png"):
        numpy.testing.assert_array_equal(wsqview.read(tmp_path / name)[0], pixels)


def test_write_of_wsq_is_encode(tmp_path):
    pixels = ridges(90, 100)
    wsqview.write(tmp_path / "image.wsq", pixels, bitrate=1.5, ppi=1000, comment="left thumb")
    expected = wsqview.encode(pixels, bitrate=1.5, ppi=1000, comment="left thumb")
    assert (tmp_path / "image.wsq").read_bytes() == expected


WRITABLE = ["wsq", "png", "bmp", "tif", "jpg", "tga", "rgb", "pgm", "ppm", "pnm"]
WITH_RESOLUTION = {"wsq", "png", "bmp", "tif", "jpg"}


@pytest.mark.parametrize("target", [f"copy.{e}" for e in WRITABLE])
def test_convert_matches_the_converter(sample_path, wsqconv, tmp_path, target):
    assert_converts_as_the_converter(wsqconv, sample_path, tmp_path / target)


def assert_converts_as_the_converter(wsqconv, source, target, *options, **keywords):
    """Both write the same path in turn: an SGI file records the name it was written under."""
    wsqview.convert(source, target, **keywords)
    converted = target.read_bytes()
    target.unlink()
    assert wsqconv(*options, source, target) == 0
    assert converted == target.read_bytes()


@pytest.mark.parametrize("extension", [e for e in WRITABLE if e != "pgm"])
@pytest.mark.parametrize("source", ["colour.png", "grey-as-colour.bmp", "palette.png", "palette.gif"])
def test_convert_of_colour_and_palette_sources_matches_the_converter(wsqconv, tmp_path, source, extension):
    colour = Image.fromarray(ridges(70, 80, 3))
    images = {
        "colour.png": colour,
        "grey-as-colour.bmp": Image.fromarray(ridges(70, 80)).convert("RGB"),
        "palette.png": colour.quantize(16),
        "palette.gif": colour.quantize(200),
    }
    images[source].save(tmp_path / source, dpi=(300, 300))
    target = tmp_path / f"copy.{extension}"
    assert_converts_as_the_converter(wsqconv, tmp_path / source, target, "--bitrate", 1.2, bitrate=1.2)


@pytest.mark.parametrize("extension", WRITABLE)
def test_a_wsq_source_reads_back_as_grey_with_its_resolution(sample_path, tmp_path, extension):
    wsqview.convert(sample_path, tmp_path / f"copy.{extension}", ppi=1000)
    pixels, info = wsqview.read(tmp_path / f"copy.{extension}")
    assert pixels.shape == ((750, 800, 3) if extension == "ppm" else (750, 800))  # PPM holds colour only
    assert info["ppi"] == (1000 if extension in WITH_RESOLUTION else None)
    if extension in ("png", "bmp", "tif", "tga", "rgb", "pgm"):
        numpy.testing.assert_array_equal(pixels, wsqview.read(sample_path)[0])


def test_write_keeps_grey_grey_and_records_the_named_resolution(tmp_path):
    grey = ridges(20, 30)
    wsqview.write(tmp_path / "grey.png", numpy.stack([grey] * 3, axis=2), ppi=600)
    pixels, info = wsqview.read(tmp_path / "grey.png")
    numpy.testing.assert_array_equal(pixels, grey)
    assert info["ppi"] == 600
    assert Image.open(tmp_path / "grey.png").mode == "L"


def test_convert_keeps_the_resolution_of_a_wsq_source_unless_told(sample_path, tmp_path):
    wsqview.convert(sample_path, tmp_path / "kept.wsq")
    wsqview.convert(sample_path, tmp_path / "set.wsq", ppi=1000, bitrate=1.0)
    wsqview.convert(tmp_path / "kept.wsq", tmp_path / "kept.png")
    wsqview.convert(tmp_path / "kept.png", tmp_path / "default.wsq")
    assert wsqview.read(tmp_path / "kept.wsq")[1]["ppi"] == 500
    assert wsqview.read(tmp_path / "set.wsq")[1]["ppi"] == 1000
    assert wsqview.read(tmp_path / "default.wsq")[1]["ppi"] == 500


def test_read_failures_name_the_file(tmp_path):
    with pytest.raises(wsqview.Error) as caught:
        wsqview.read(tmp_path / "missing.png")
    assert caught.value.code == CANNOT_OPEN_FILE and caught.value.path == str(tmp_path / "missing.png")
    (tmp_path / "notes.xyz").write_bytes(b"text")
    with pytest.raises(wsqview.Error) as caught:
        wsqview.read(tmp_path / "notes.xyz")
    assert caught.value.code == UNSUPPORTED_EXTENSION
    (tmp_path / "broken.wsq").write_bytes(b"\xff\xa0\xff\xa8\x00\x04ab")
    with pytest.raises(wsqview.Error) as caught:
        wsqview.read(tmp_path / "broken.wsq")
    assert caught.value.code == CORRUPT_DATA


@pytest.mark.parametrize(
    "pixels, code",
    [
        (numpy.zeros((30, 30), numpy.float64), BAD_BITS_PER_PIXEL),
        (numpy.zeros((30, 30, 2), numpy.uint8), BAD_BITS_PER_PIXEL),
        (numpy.zeros((30, 30, 3, 1), numpy.uint8), BAD_IMAGE_SIZE),
        (numpy.zeros((0, 30), numpy.uint8), BAD_IMAGE_SIZE),
    ],
)
def test_write_refuses_unusable_arrays(tmp_path, pixels, code):
    with pytest.raises(wsqview.Error) as caught:
        wsqview.write(tmp_path / "image.png", pixels)
    assert caught.value.code == code
    assert os.listdir(tmp_path) == []


def test_a_failed_write_leaves_the_existing_file_alone(tmp_path):
    target = tmp_path / "image.wsq"
    target.write_bytes(b"keep me")
    with pytest.raises(wsqview.Error) as caught:
        wsqview.write(target, ridges(40, 40))  # too small for WSQ
    assert caught.value.code == BAD_IMAGE_SIZE
    with pytest.raises(wsqview.Error) as caught:
        wsqview.write(target, ridges(80, 80), bitrate=-1)
    assert caught.value.code == UNSUPPORTED_OPTION
    assert target.read_bytes() == b"keep me" and os.listdir(tmp_path) == ["image.wsq"]


def test_write_into_a_missing_folder_fails(tmp_path):
    with pytest.raises(wsqview.Error) as caught:
        wsqview.write(tmp_path / "no" / "image.png", ridges(10, 10))
    assert caught.value.code == CANNOT_OPEN_FILE


def test_convert_names_the_failing_side(sample_path, tmp_path):
    with pytest.raises(wsqview.Error) as caught:
        wsqview.convert(tmp_path / "missing.wsq", tmp_path / "out.png")
    assert caught.value.path == str(tmp_path / "missing.wsq")
    with pytest.raises(wsqview.Error) as caught:
        wsqview.convert(sample_path, tmp_path / "out.xyz")
    assert caught.value.code == UNSUPPORTED_EXTENSION and caught.value.path == str(tmp_path / "out.xyz")
