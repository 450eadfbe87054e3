// UNFINISHED-STUB: placeholder so the library links until this format lands.
#include "imagelib/formats/bmp.h"

ImageLibraryError read_bmp(const std::string&, ImageRecord&) { return set_last_error(UnsupportedExtension); }
ImageLibraryError write_bmp(const std::string&, const ImageRecord&) { return set_last_error(UnsupportedExtension); }
