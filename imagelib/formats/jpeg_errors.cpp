#include "imagelib/formats/jpeg_errors.h"

#include <jerror.h>

#include "wsq/diagnostics.h"

namespace {

void write_message(j_common_ptr info) {
  char text[JMSG_LENGTH_MAX];
  (*info->err->format_message)(info, text);
  diag_printf("%s\n", text);
}

[[noreturn]] void jump_back(j_common_ptr info) {
  write_message(info);
  std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// Warnings are written as the standard manager would; a premature end of
// the data is an error, since the rest of the picture is missing.
void emit_message(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) jump_back(info);
  const int trace_level = info->err->trace_level;
  if (level < 0) {
    if (info->err->num_warnings == 0 || trace_level >= 3) write_message(info);
    ++info->err->num_warnings;
  } else if (trace_level >= level) {
    write_message(info);
  }
}

}  // namespace

jpeg_error_mgr* jpeg_errors_to_diagnostics(JpegErrors& errors) {
  jpeg_error_mgr* manager = jpeg_std_error(&errors.manager);
  manager->error_exit = jump_back;
  manager->output_message = write_message;
  manager->emit_message = emit_message;
  return manager;
}
