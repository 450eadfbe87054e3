"""Shared inputs: the bundled sample, the wsqconv program and small images."""

import os
import pathlib
import subprocess

import numpy
import pytest

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def sample_path():
    return pathlib.Path(os.environ.get("WSQ_SAMPLE", REPOSITORY / "data" / "sample.wsq"))


@pytest.fixture(scope="session")
def sample_bytes(sample_path):
    return sample_path.read_bytes()


@pytest.fixture(scope="session")
def wsqconv():
    """Runs the C++ converter of this build; returns its exit status."""
    program = os.environ.get("WSQCONV", str(REPOSITORY / "build" / "cli" / "wsqconv"))
    if not os.access(program, os.X_OK):
        pytest.skip(f"wsqconv not built at {program}")

    def run(*arguments):
        return subprocess.run([program, "--quiet", *map(str, arguments)], capture_output=True).returncode

    return run


def ridges(height, width, channels=None, seed=1):
    """A reproducible uint8 test image: stripes plus noise."""
    rng = numpy.random.default_rng(seed)
    y, x = numpy.mgrid[0:height, 0:width]
    base = 128 + 100 * numpy.sin((x + 0.5 * y) / 4.0)
    shape = (height, width) if channels is None else (height, width, channels)
    noise = rng.integers(-20, 21, size=shape)
    if channels is not None:
        base = base[..., None] + numpy.arange(channels) * 30
    return numpy.clip(base + noise, 0, 255).astype(numpy.uint8)
