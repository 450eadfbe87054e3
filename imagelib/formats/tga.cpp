// UNFINISHED-STUB: placeholder so the library links until this format lands.
#include "imagelib/formats/tga.h"

ImageLibraryError read_tga(const std::string&, ImageRecord&) { return set_last_error(UnsupportedExtension); }
ImageLibraryError write_tga(const std::string&, const ImageRecord&) { return set_last_error(UnsupportedExtension); }
