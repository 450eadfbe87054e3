// UNFINISHED-STUB: placeholder so the library links until this format lands.
#include "imagelib/wsq_adapter.h"

ImageLibraryError read_wsq(const std::string&, ImageRecord&, ImageInfo*) { return set_last_error(UnsupportedExtension); }
ImageLibraryError write_wsq(const std::string&, const ImageRecord&, const ImageInfo*) { return set_last_error(UnsupportedExtension); }
