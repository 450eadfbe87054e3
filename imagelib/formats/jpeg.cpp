// UNFINISHED-STUB: placeholder so the library links until this format lands.
#include "imagelib/formats/jpeg.h"

ImageLibraryError read_jpeg(const std::string&, ImageRecord&) { return set_last_error(UnsupportedExtension); }
ImageLibraryError write_jpeg(const std::string&, const ImageRecord&, int32_t) { return set_last_error(UnsupportedExtension); }
