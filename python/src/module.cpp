// The extension module behind the wsqview package. Every call releases the
// interpreter lock while the codec or the image library works, so threads
// run decodes, encodes, reads and writes side by side.
#include <filesystem>
#include <optional>
#include <string>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include "failure.h"
#include "imagelib/conversion.h"
#include "imagelib/extension.h"
#include "imagelib/file_io.h"
#include "imagelib/image_library.h"
#include "options.h"
#include "python_values.h"
#include "records.h"
#include "wsq/diagnostics.h"
#include "wsq_codec.h"

namespace py = pybind11;

namespace {

constexpr int kWsqDepth = 8;

// The bytes of any contiguous buffer (bytes, bytearray, memoryview, ...),
// held for the lifetime of the object.
class ByteView {
 public:
  explicit ByteView(const py::object& object) {
    if (PyObject_GetBuffer(object.ptr(), &view_, PyBUF_SIMPLE) != 0) throw py::error_already_set();
  }
  ~ByteView() { PyBuffer_Release(&view_); }
  ByteView(const ByteView&) = delete;
  ByteView& operator=(const ByteView&) = delete;
  const uint8_t* data() const { return static_cast<const uint8_t*>(view_.buf); }
  size_t size() const { return static_cast<size_t>(view_.len); }

 private:
  Py_buffer view_{};
};

bool is_wsq(const std::string& path) { return extension_key(path) == "WSQ"; }

SaveOptions save_options(double bitrate, std::optional<int32_t> ppi, std::optional<std::string> comment,
                         int32_t quality) {
  SaveOptions options{bitrate, ppi, std::move(comment), quality};
  check_save_options(options);
  return options;
}

ConversionSettings conversion_settings(const SaveOptions& options) {
  return {options.bitrate, options.ppi, options.comment};
}

// (pixels, info) of a decoded codestream; the array takes over the pixels.
py::tuple decoded_result(DecodedWsq&& decoded) {
  const CodestreamHeader& header = decoded.header;
  py::array pixels = grey_array(std::move(decoded.pixels), static_cast<size_t>(header.width),
                                static_cast<size_t>(header.height));
  return py::make_tuple(pixels, info_dict(header, kWsqDepth));
}

py::tuple decode(const py::object& data) {
  const ByteView bytes(data);
  DecodedWsq decoded;
  {
    py::gil_scoped_release unlocked;
    decoded = decode_wsq(bytes.data(), bytes.size(), std::nullopt);
  }
  return decoded_result(std::move(decoded));
}

py::dict header(const py::object& data) {
  const ByteView bytes(data);
  CodestreamHeader header;
  {
    py::gil_scoped_release unlocked;
    header = read_wsq_header(bytes.data(), bytes.size());
  }
  return info_dict(header, kWsqDepth);
}

py::bytes encode(const py::array& pixels, double bitrate, std::optional<int32_t> ppi,
                 std::optional<std::string> comment) {
  const SaveOptions options = save_options(bitrate, ppi, std::move(comment), 100);
  const StridedPixels view = strided_pixels(pixels, false);
  std::vector<uint8_t> codestream;
  {
    py::gil_scoped_release unlocked;
    codestream = encode_wsq(view, options);
  }
  return py::bytes(reinterpret_cast<const char*>(codestream.data()), codestream.size());
}

py::tuple read_wsq_file(const std::string& path) {
  DecodedWsq decoded;
  {
    py::gil_scoped_release unlocked;
    std::vector<uint8_t> file;
    if (const ImageLibraryError code = read_whole_file(path, file, kDefaultMaxFileSize); code != NoError) {
      fail(code, path);
    }
    decoded = decode_wsq(file.data(), file.size(), path);
  }
  return decoded_result(std::move(decoded));
}

py::tuple read_file(const std::filesystem::path& file) {
  const std::string path = file.string();
  if (is_wsq(path)) return read_wsq_file(path);
  ImageRecord image;
  int depth = 0;
  {
    py::gil_scoped_release unlocked;
    CapturedDiagnostics diagnostics;
    if (load_image(path, image) != NoError) fail(get_last_error(), path, diagnostics.text());
    depth = image.bits_per_pixel;
    if (image.bits_per_pixel == 16) {
      if (const ImageLibraryError code = image_16_to_24(image); code != NoError) fail(code, path);
    }
  }
  const size_t channels = array_channels(image);
  const size_t height = image.height;
  const size_t width = image.width;
  py::array_t<uint8_t> pixels = channels == 1 ? py::array_t<uint8_t>({height, width})
                                              : py::array_t<uint8_t>({height, width, channels});
  uint8_t* out = pixels.mutable_data();
  {
    py::gil_scoped_release unlocked;
    record_to_array(image, channels, out);
  }
  CodestreamHeader header;
  header.width = static_cast<int32_t>(image.width);
  header.height = static_cast<int32_t>(image.height);
  header.ppi = image.ppi > 0 ? image.ppi : -1;
  return py::make_tuple(pixels, info_dict(header, depth));
}

void write_file(const std::filesystem::path& file, const py::array& pixels, double bitrate,
                std::optional<int32_t> ppi, std::optional<std::string> comment, int32_t quality) {
  const std::string path = file.string();
  const SaveOptions options = save_options(bitrate, ppi, std::move(comment), quality);
  const StridedPixels view = strided_pixels(pixels, true);
  py::gil_scoped_release unlocked;
  CapturedDiagnostics diagnostics;
  ImageRecord image;
  if (const ImageLibraryError code = array_to_record(view, image); code != NoError) fail(code, path);
  if (prepare_for_target(image, path, conversion_settings(options)) != NoError) fail(get_last_error(), path);
  ImageInfo info;
  if (save_image(image, path, save_info(path, options, kDefaultWsqPpi, info)) != NoError) {
    fail(get_last_error(), path, diagnostics.text());
  }
}

void convert(const std::filesystem::path& source_file, const std::filesystem::path& target_file, double bitrate,
             std::optional<int32_t> ppi, std::optional<std::string> comment, int32_t quality) {
  const std::string source = source_file.string();
  const std::string target = target_file.string();
  const SaveOptions options = save_options(bitrate, ppi, std::move(comment), quality);
  py::gil_scoped_release unlocked;
  CapturedDiagnostics diagnostics;
  ImageRecord image;
  if (load_image(source, image) != NoError) fail(get_last_error(), source, diagnostics.text());
  const ConversionSettings settings = conversion_settings(options);
  if (prepare_for_target(image, target, settings) != NoError) fail(get_last_error(), source);
  ImageInfo info;
  const ImageInfo* side = extension_key(target) == "JPG" ? save_info(target, options, kDefaultWsqPpi, info)
                                                         : target_info(source, target, image, settings, info);
  if (save_image(image, target, side) != NoError) fail(get_last_error(), target, diagnostics.text());
}

}  // namespace

PYBIND11_MODULE(_wsqview, module) {
  module.doc() = "WSQ fingerprint images and the image library's formats as numpy arrays.";
  register_failure_translator();
  using py::arg;
  module.def("decode", &decode, arg("data"),
             "decode(data) -> (pixels, info): a WSQ codestream (any bytes-like object) as a height x width\n"
             "uint8 array and a dict of width, height, ppi (None when none is given), depth, nistcom\n"
             "(the NISTCOM fields) and comments (the other comment texts).");
  module.def("header", &header, arg("data"),
             "header(data) -> info: the info of decode() read from the segments before the first block,\n"
             "without decoding the pixels.");
  module.def("encode", &encode, arg("pixels"), arg("bitrate") = 0.75, arg("ppi") = 500, arg("comment") = py::none(),
             "encode(pixels, bitrate=0.75, ppi=500, comment=None) -> bytes: a 2-D uint8 array as a WSQ\n"
             "codestream. ppi -1 records no resolution, None the default 500; comment is a NISTCOM text to\n"
             "merge or a plain comment.");
  module.def("read", &read_file, arg("path"),
             "read(path) -> (pixels, info): any file the image library reads, chosen by extension. Grey\n"
             "images are height x width, colour height x width x 3 (RGB) or 4 (RGBA).");
  module.def("write", &write_file, arg("path"), arg("pixels"), py::kw_only(), arg("bitrate") = 0.75,
             arg("ppi") = py::none(), arg("comment") = py::none(), arg("quality") = 100,
             "write(path, pixels, *, bitrate=0.75, ppi=None, comment=None, quality=100): saves a grey\n"
             "(height x width) or colour (x 3 RGB, x 4 RGBA) uint8 array in the format of the extension;\n"
             "bitrate, ppi (default 500) and comment apply to WSQ, quality to JPEG. The file appears only\n"
             "when it was written completely.");
  module.def("readable_keys", &readable_extension_keys,
             "readable_keys() -> list: the extension keys (the first three letters after the last dot,\n"
             "upper-cased) of the formats read() and convert() read.");
  module.def("writable_keys", &writable_extension_keys,
             "writable_keys() -> list: the extension keys of the formats write() and convert() write.");
  module.def("convert", &convert, arg("source"), arg("target"), py::kw_only(), arg("bitrate") = 0.75,
             arg("ppi") = py::none(), arg("comment") = py::none(), arg("quality") = 100,
             "convert(source, target, *, bitrate=0.75, ppi=None, comment=None, quality=100): what wsqconv\n"
             "does with one file: grey sources are written as grey and the resolution travels unless ppi\n"
             "names one (-1: none); a WSQ target of a source without one gets 500.");
}
