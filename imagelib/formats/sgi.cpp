// UNFINISHED-STUB: placeholder so the library links until this format lands.
#include "imagelib/formats/sgi.h"

ImageLibraryError read_rgb(const std::string&, ImageRecord&) { return set_last_error(UnsupportedExtension); }
ImageLibraryError write_rgb(const std::string&, const ImageRecord&) { return set_last_error(UnsupportedExtension); }
