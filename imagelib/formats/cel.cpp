// UNFINISHED-STUB: placeholder so the library links until this format lands.
#include "imagelib/formats/cel.h"

ImageLibraryError read_cel(const std::string&, ImageRecord&) { return set_last_error(UnsupportedExtension); }
