#pragma once
// libpng's error and warning callbacks: the messages go to the diagnostics
// sink instead of the terminal.
#include <png.h>

// Writes the message and ends the libpng call through its long jump.
[[noreturn]] void png_error_to_diagnostics(png_structp png, png_const_charp message);
void png_warning_to_diagnostics(png_structp png, png_const_charp message);
