#include "imagelib/formats/png_messages.h"

#include "wsq/diagnostics.h"

void png_error_to_diagnostics(png_structp png, png_const_charp message) {
  diag_printf("libpng error: %s\n", message);
  png_longjmp(png, 1);
}

void png_warning_to_diagnostics(png_structp, png_const_charp message) {
  diag_printf("libpng warning: %s\n", message);
}
