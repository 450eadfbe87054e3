// UNFINISHED-STUB: placeholder so the library links until this format lands.
#include "imagelib/formats/pcx.h"

ImageLibraryError read_pcx(const std::string&, ImageRecord&) { return set_last_error(UnsupportedExtension); }
