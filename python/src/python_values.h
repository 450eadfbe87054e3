#pragma once
// Building the Python results: arrays over decoded pixels and info dicts.
// Call with the interpreter lock held.
#include <cstddef>
#include <cstdint>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "codestream_header.h"
#include "records.h"

// A height x width uint8 array that takes over the pixels (no copy).
pybind11::array grey_array(std::vector<uint8_t>&& pixels, size_t width, size_t height);

// {"width", "height", "ppi" (None when none is given), "depth", "nistcom"
// (name -> value or None), "comments" (the other comment texts)}.
pybind11::dict info_dict(const CodestreamHeader& header, int depth);

// The bytes of a uint8 array of height x width (x channels) as a strided
// view. Fails with BadBitsPerPixel on another element type or a channel
// count other than 1, 3 and 4 (only 1 unless colour is allowed), and with
// BadImageSize on other dimensions.
StridedPixels strided_pixels(const pybind11::array& array, bool allow_colour);
