// UNFINISHED-STUB: placeholder so the library links until this format lands.
#include "imagelib/formats/iff.h"

ImageLibraryError read_iff(const std::string&, ImageRecord&) { return set_last_error(UnsupportedExtension); }
