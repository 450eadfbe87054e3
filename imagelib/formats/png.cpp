// UNFINISHED-STUB: placeholder so the library links until this format lands.
#include "imagelib/formats/png.h"

ImageLibraryError read_png(const std::string&, ImageRecord&) { return set_last_error(UnsupportedExtension); }
ImageLibraryError write_png(const std::string&, const ImageRecord&) { return set_last_error(UnsupportedExtension); }
