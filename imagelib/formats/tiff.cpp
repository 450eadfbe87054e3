// UNFINISHED-STUB: placeholder so the library links until this format lands.
#include "imagelib/formats/tiff.h"

ImageLibraryError read_tiff(const std::string&, ImageRecord&, TiffOptions*) { return set_last_error(UnsupportedExtension); }
ImageLibraryError write_tiff(const std::string&, const ImageRecord&, const TiffOptions*) { return set_last_error(UnsupportedExtension); }
