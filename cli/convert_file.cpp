// One file's conversion through the image library.
#include "cli/convert_file.h"

#include <filesystem>

#include "imagelib/conversion.h"
#include "imagelib/image_library.h"

namespace {

namespace fs = std::filesystem;

ConversionResult failure(const std::string& file, std::string message) {
  ConversionResult result;
  result.file = file;
  result.message = std::move(message);
  return result;
}

// The library's message, naming the caller's pixel limit when it refused a size.
std::string load_message(ImageLibraryError code, const CliOptions& options) {
  std::string message = get_last_error_message();
  if (code == BadImageSize && options.max_pixels) {
    message += " (limit --max-pixels " + std::to_string(*options.max_pixels) + ")";
  }
  return message;
}

// Refuses what is not a regular file, or is larger than the caller allows,
// before the library opens it.
std::string check_input(const std::string& input, const CliOptions& options, uint64_t& size) {
  std::error_code error;
  const fs::file_status status = fs::status(input, error);
  // A missing file is left to the library, which reports it as unopenable.
  if (!fs::exists(status)) return {};
  if (!fs::is_regular_file(status)) return "not a regular file";
  size = fs::file_size(input, error);
  if (error) return "Unable to open file (" + error.message() + ")";
  const uint64_t limit = options.max_file_size.value_or(kDefaultMaxFileSize);
  if (size > limit) {
    return "file of " + std::to_string(size) + " bytes is above the limit --max-file-size " + std::to_string(limit);
  }
  return {};
}

}  // namespace

ConversionResult convert_file(const std::string& input, const std::string& output, const CliOptions& options) {
  uint64_t size = 0;
  if (std::string problem = check_input(input, options, size); !problem.empty()) return failure(input, problem);
  ImageRecord image;
  image.max_pixels = options.max_pixels.value_or(kDefaultMaxPixels);
  image.max_file_size = options.max_file_size.value_or(kDefaultMaxFileSize);
  image.codec_threads = options.codec_threads;
  if (const ImageLibraryError code = load_image(input, image, nullptr); code != NoError) {
    return failure(input, load_message(code, options));
  }
  const ConversionSettings settings{options.bitrate, options.ppi, options.comment};
  if (prepare_for_target(image, output, settings) != NoError) return failure(input, get_last_error_message());
  ImageInfo info;
  if (save_image(image, output, target_info(input, output, image, settings, info)) != NoError) {
    return failure(output, get_last_error_message());
  }
  ConversionResult result;
  result.ok = true;
  result.input_bytes = size;
  return result;
}
