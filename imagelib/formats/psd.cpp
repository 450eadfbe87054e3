// UNFINISHED-STUB: placeholder so the library links until this format lands.
#include "imagelib/formats/psd.h"

ImageLibraryError read_psd(const std::string&, ImageRecord&) { return set_last_error(UnsupportedExtension); }
