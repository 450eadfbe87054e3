"""Many calls at once on separate threads give the bytes of one call alone."""

from concurrent.futures import ThreadPoolExecutor

import wsqview
from conftest import ridges

THREADS = 8
CALLS = 16


def run_at_once(call):
    with ThreadPoolExecutor(THREADS) as pool:
        return list(pool.map(lambda _: call(), range(CALLS)))


def test_decodes_at_once_agree(sample_bytes):
    expected = wsqview.decode(sample_bytes)[0].tobytes()
    results = run_at_once(lambda: wsqview.decode(sample_bytes)[0].tobytes())
    assert all(result == expected for result in results)


def test_encodes_at_once_agree():
    pixels = ridges(300, 280)
    expected = wsqview.encode(pixels, bitrate=1.2)
    assert all(result == expected for result in run_at_once(lambda: wsqview.encode(pixels, bitrate=1.2)))


def test_failures_at_once_keep_their_own_codes(sample_bytes):
    # The library's last error is per thread: a failing call never reports
    # another thread's code.
    def mixed():
        try:
            wsqview.decode(b"junk")
        except wsqview.Error as error:
            bad = error.code
        try:
            wsqview.encode(ridges(10, 10))
        except wsqview.Error as error:
            small = error.code
        return bad, small, wsqview.decode(sample_bytes)[1]["width"]

    assert set(run_at_once(mixed)) == {(16, 4, 800)}


def test_conversions_at_once_agree(sample_path, tmp_path):
    wsqview.convert(sample_path, tmp_path / "reference.wsq")
    expected = (tmp_path / "reference.wsq").read_bytes()

    def convert(index):
        target = tmp_path / f"copy{index}.wsq"
        wsqview.convert(sample_path, target)
        return target.read_bytes()

    with ThreadPoolExecutor(THREADS) as pool:
        assert all(result == expected for result in pool.map(convert, range(CALLS)))
