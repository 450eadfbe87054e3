// The record work of a file conversion.
#include "imagelib/conversion.h"

#include "imagelib/extension.h"
#include "imagelib/grey_narrowing.h"
#include "imagelib/wsq_input.h"

namespace {

bool is_wsq(const std::string& filename) { return extension_key(filename) == "WSQ"; }

// The JPEG writer takes records of 8 bits per pixel and more: fewer bits are
// widened to true colour first (a grey result is then narrowed again).
ImageLibraryError widen_for_jpeg(ImageRecord& image) {
  if (image.bits_per_pixel >= 8) return NoError;
  const int32_t ppi = image.ppi;
  if (const ImageLibraryError code = image_to_true_colour(image, image); code != NoError) return code;
  image.ppi = ppi;
  return NoError;
}

}  // namespace

ImageLibraryError prepare_for_target(ImageRecord& image, const std::string& target,
                                     const ConversionSettings& settings) {
  if (extension_key(target) == "JPG") {
    if (const ImageLibraryError code = widen_for_jpeg(image); code != NoError) return code;
  }
  if (const ImageLibraryError code = narrow_grey_record(image); code != NoError) return code;
  if (settings.ppi) image.ppi = *settings.ppi;
  return is_wsq(target) ? prepare_for_wsq(image) : NoError;
}

const ImageInfo* target_info(const std::string& source, const std::string& target, const ImageRecord& image,
                             const ConversionSettings& settings, ImageInfo& info) {
  if (!is_wsq(target)) return nullptr;
  info.bitrate = settings.bitrate;
  info.ppi = settings.ppi.value_or(image.ppi > 0 ? image.ppi : is_wsq(source) ? -1 : kDefaultWsqPpi);
  info.comment = settings.comment;
  return &info;
}
