#include "python_values.h"

#include "failure.h"

namespace py = pybind11;

namespace {

// Texts of a codestream are bytes; invalid UTF-8 is replaced, not refused.
py::str text(const std::string& bytes) { return py::bytes(bytes).attr("decode")("utf-8", "replace"); }

}  // namespace

py::array grey_array(std::vector<uint8_t>&& pixels, size_t width, size_t height) {
  auto* owned = new std::vector<uint8_t>(std::move(pixels));
  py::capsule release(owned, [](void* vector) { delete static_cast<std::vector<uint8_t>*>(vector); });
  return py::array_t<uint8_t>({height, width}, {width, size_t{1}}, owned->data(), release);
}

py::dict info_dict(const CodestreamHeader& header, int depth) {
  py::dict nistcom;
  for (const auto& [name, value] : header.nistcom) {
    const py::str key = text(name);
    if (!nistcom.contains(key)) nistcom[key] = value ? py::object(text(*value)) : py::object(py::none());
  }
  py::list comments;
  for (const std::string& comment : header.comments) comments.append(text(comment));
  py::dict info;
  info["width"] = header.width;
  info["height"] = header.height;
  info["ppi"] = header.ppi == -1 ? py::object(py::none()) : py::object(py::int_(header.ppi));
  info["depth"] = depth;
  info["nistcom"] = nistcom;
  info["comments"] = comments;
  return info;
}

StridedPixels strided_pixels(const py::array& array, bool allow_colour) {
  if (!array.dtype().is(py::dtype::of<uint8_t>())) fail(BadBitsPerPixel);
  if (array.ndim() != 2 && array.ndim() != 3) fail(BadImageSize);
  StridedPixels pixels;
  pixels.data = static_cast<const uint8_t*>(array.data());
  pixels.height = static_cast<size_t>(array.shape(0));
  pixels.width = static_cast<size_t>(array.shape(1));
  pixels.row_step = array.strides(0);
  pixels.column_step = array.strides(1);
  if (array.ndim() == 3) {
    pixels.channels = static_cast<size_t>(array.shape(2));
    pixels.channel_step = array.strides(2);
  }
  const bool channels_ok = pixels.channels == 1 || (allow_colour && (pixels.channels == 3 || pixels.channels == 4));
  if (!channels_ok) fail(BadBitsPerPixel);
  return pixels;
}
