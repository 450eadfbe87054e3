#include "failure.h"

namespace py = pybind11;

namespace {

// Library texts may hold bytes that are not UTF-8 (file names, system texts).
py::object decoded(const std::string& text, const char* errors) {
  return py::bytes(text).attr("decode")("utf-8", errors);
}

}  // namespace

void fail(ImageLibraryError code, std::optional<std::string> path, std::string diagnostics) {
  set_last_error(code);
  Failure failure;
  failure.code = code;
  failure.message = get_last_error_message();
  failure.path = std::move(path);
  failure.diagnostics = std::move(diagnostics);
  throw failure;
}

void register_failure_translator() {
  py::register_exception_translator([](std::exception_ptr pending) {
    try {
      if (pending) std::rethrow_exception(pending);
    } catch (const Failure& failure) {
      const py::object error_type = py::module_::import("wsqview.error").attr("Error");
      const py::object path = failure.path ? decoded(*failure.path, "surrogateescape") : py::none();
      const py::object error = error_type(static_cast<int>(failure.code), decoded(failure.message, "replace"),
                                          path, decoded(failure.diagnostics, "replace"));
      PyErr_SetObject(error_type.ptr(), error.ptr());
    }
  });
}
