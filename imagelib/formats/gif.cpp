// UNFINISHED-STUB: placeholder so the library links until this format lands.
#include "imagelib/formats/gif.h"

ImageLibraryError read_gif(const std::string&, ImageRecord&) { return set_last_error(UnsupportedExtension); }
