"""decode, header and encode against the C++ converter, and their failures."""

import math
import pickle

import numpy
import pytest
from PIL import Image

import wsqview
from conftest import ridges

CORRUPT_DATA = 16
BAD_BITS_PER_PIXEL = 2
BAD_IMAGE_SIZE = 4
UNSUPPORTED_OPTION = 8


def test_decode_gives_grey_rows_and_the_codestream_fields(sample_bytes):
    pixels, info = wsqview.decode(sample_bytes)
    assert pixels.dtype == numpy.uint8 and pixels.shape == (750, 800)
    assert (info["width"], info["height"], info["ppi"], info["depth"]) == (800, 750, 500, 8)
    assert info["nistcom"]["PIX_WIDTH"] == "800" and info["nistcom"]["PPI"] == "500"
    assert info["nistcom"]["COMPRESSION"] == "WSQ"
    assert len(info["comments"]) == 1 and "sample" in info["comments"][0]


def test_decode_matches_the_converter(sample_path, sample_bytes, wsqconv, tmp_path):
    # The converter's BMP is read by Pillow, independently of this package.
    assert wsqconv(sample_path, tmp_path / "sample.bmp") == 0
    expected = numpy.asarray(Image.open(tmp_path / "sample.bmp").convert("L"))
    pixels, _ = wsqview.decode(sample_bytes)
    numpy.testing.assert_array_equal(pixels, expected)


def test_decode_takes_any_bytes_like_object(sample_bytes):
    expected, _ = wsqview.decode(sample_bytes)
    for data in (bytearray(sample_bytes), memoryview(sample_bytes), numpy.frombuffer(sample_bytes, numpy.uint8)):
        numpy.testing.assert_array_equal(wsqview.decode(data)[0], expected)


def test_header_reads_what_decode_reports(sample_bytes):
    assert wsqview.header(sample_bytes) == wsqview.decode(sample_bytes)[1]


@pytest.mark.parametrize("bitrate, ppi", [(0.75, 500), (2.25, 1000), (0.3, 500)])
def test_encode_matches_the_converter(wsqconv, tmp_path, bitrate, ppi):
    pixels = ridges(97, 130)
    Image.fromarray(pixels).save(tmp_path / "grey.bmp")  # an 8-bit grey BMP
    assert wsqconv("--bitrate", bitrate, "--ppi", ppi, tmp_path / "grey.bmp", tmp_path / "grey.wsq") == 0
    assert wsqview.encode(pixels, bitrate, ppi) == (tmp_path / "grey.wsq").read_bytes()


def test_encode_with_a_comment_matches_the_converter(wsqconv, tmp_path):
    pixels = ridges(80, 90)
    # The converter carries the BMP's resolution into the WSQ file.
    Image.fromarray(pixels).save(tmp_path / "grey.bmp", dpi=(500, 500))
    assert wsqconv("--comment", "card 7", tmp_path / "grey.bmp", tmp_path / "grey.wsq") == 0
    data = wsqview.encode(pixels, comment="card 7")
    assert data == (tmp_path / "grey.wsq").read_bytes()
    assert wsqview.decode(data)[1]["comments"] == ["card 7"]


def test_a_nistcom_comment_is_merged_into_the_fields():
    data = wsqview.encode(ridges(70, 70), comment="NIST_COM 2\nSITE lab", ppi=-1)
    _, info = wsqview.decode(data)
    assert info["nistcom"]["SITE"] == "lab"
    assert info["ppi"] is None and info["comments"] == []


def test_encode_reads_arrays_of_any_layout():
    pixels = ridges(100, 120)
    expected = wsqview.encode(pixels)
    assert wsqview.encode(numpy.asfortranarray(pixels)) == expected
    wide = numpy.zeros((100, 240), numpy.uint8)
    wide[:, ::2] = pixels
    assert wsqview.encode(wide[:, ::2]) == expected
    flipped = numpy.ascontiguousarray(pixels[::-1])
    assert wsqview.encode(flipped[::-1]) == expected
    assert wsqview.encode(pixels[..., None]) == expected


def test_decode_of_an_encode_stays_close():
    pixels = ridges(128, 160)
    decoded, info = wsqview.decode(wsqview.encode(pixels, bitrate=2.25))
    assert decoded.shape == pixels.shape and info["ppi"] == 500
    assert numpy.abs(decoded.astype(int) - pixels).mean() < 8


@pytest.mark.parametrize("data", [b"", b"\xff\xa0", b"not a codestream at all"])
def test_decode_refuses_what_is_no_codestream(data):
    with pytest.raises(wsqview.Error) as caught:
        wsqview.decode(data)
    assert caught.value.code == CORRUPT_DATA
    assert caught.value.message == "Corrupt File" and caught.value.path is None


def test_decode_refuses_a_cut_codestream_and_keeps_the_texts(sample_bytes):
    with pytest.raises(wsqview.Error) as caught:
        wsqview.decode(sample_bytes[: len(sample_bytes) // 2])
    assert caught.value.code == CORRUPT_DATA
    assert caught.value.diagnostics != ""


def test_header_refuses_what_is_no_codestream():
    with pytest.raises(wsqview.Error) as caught:
        wsqview.header(b"\x00" * 64)
    assert caught.value.code == CORRUPT_DATA


@pytest.mark.parametrize(
    "pixels, code",
    [
        (numpy.zeros((64, 100), numpy.uint8), BAD_IMAGE_SIZE),
        (numpy.zeros((100, 65536), numpy.uint8), BAD_IMAGE_SIZE),
        (numpy.zeros((100,), numpy.uint8), BAD_IMAGE_SIZE),
        (numpy.zeros((100, 100), numpy.float32), BAD_BITS_PER_PIXEL),
        (numpy.zeros((100, 100), numpy.uint16), BAD_BITS_PER_PIXEL),
        (numpy.zeros((100, 100, 3), numpy.uint8), BAD_BITS_PER_PIXEL),
    ],
)
def test_encode_refuses_unusable_arrays(pixels, code):
    with pytest.raises(wsqview.Error) as caught:
        wsqview.encode(pixels)
    assert caught.value.code == code


@pytest.mark.parametrize(
    "options",
    [{"bitrate": 0}, {"bitrate": -1}, {"bitrate": math.nan}, {"bitrate": math.inf}, {"bitrate": 1e300},
     {"ppi": 0}, {"ppi": -2}, {"comment": "cut\0short"}],
)
def test_encode_refuses_unusable_options(options):
    with pytest.raises(wsqview.Error) as caught:
        wsqview.encode(ridges(70, 70), **options)
    assert caught.value.code == UNSUPPORTED_OPTION


def test_errors_survive_pickling():
    error = wsqview.Error(7, "Unable to open file", "/no/such.wsq", "details")
    copy = pickle.loads(pickle.dumps(error))
    assert (copy.code, copy.message, copy.path, copy.diagnostics) == (7, "Unable to open file", "/no/such.wsq", "details")
    assert str(copy) == "/no/such.wsq: Unable to open file"
