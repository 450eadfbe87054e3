#pragma once
// The program's own picture readers. Each loads its file through the image
// library (load_image_to_bitmap, pixels as they are) and yields the bitmap as
// a Qt image, or a null image when the library refused the file. The WSQ and
// TIFF readers also copy what the read found into the records the
// information line and the save flow use; every reader can report the
// resolution the file records.
#include <QImage>
#include <QString>

#include "imagelib/image_record.h"

#include "viewer/logic/load_limits.h"

class PictureRegistry;

class LibraryImageReader {
 public:
  virtual ~LibraryImageReader() = default;
  // Reads within limits when given, else within the library's defaults.
  // read_ppi, when given, receives the file's pixels per inch (-1 when it
  // records none or the read failed).
  QImage load(const QString& file_name, const LoadLimits* limits = nullptr, int32_t* read_ppi = nullptr);

 protected:
  virtual ImageInfo* side_info() { return nullptr; }
  virtual TiffOptions* side_tiff() { return nullptr; }
  virtual void after_read() {}
};

class TWSQImage final : public LibraryImageReader {
 public:
  explicit TWSQImage(ImageInfo& last_image_info) : last_(last_image_info) {}

 private:
  ImageInfo* side_info() override { return &info_; }
  void after_read() override;

  ImageInfo info_{.depth_or_quality = 24, .bitrate = 0.75, .ppi = 500, .comment = std::nullopt};
  ImageInfo& last_;
};

class TTIFFImage final : public LibraryImageReader {
 public:
  explicit TTIFFImage(TiffOptions& last_tiff_options) : last_(last_tiff_options) {}

 private:
  TiffOptions* side_tiff() override { return &options_; }
  void after_read() override { last_ = options_; }

  TiffOptions options_;
  TiffOptions& last_;
};

// The PNG, GIF, Targa, CEL, SGI RGB, PCX and IFF readers are plain
// LibraryImageReaders: they pass no side record and copy nothing after the read.

// The JPEG reader (Qt's): the image, or ToolkitError when it cannot be read
// or is larger than max_pixels. read_ppi receives the JFIF resolution.
QImage read_jpeg_image(const QString& file_name, const LoadLimits& limits, int32_t& read_ppi);

// Registers the JPEG reader and the program's readers for the extensions
// the format table gives them, with its descriptions, so they take precedence
// over earlier registrations of the same extensions. The readers keep a
// reference to limits, and set read_ppi to each file's resolution.
void register_program_readers(PictureRegistry& registry, ImageInfo& last_image_info,
                              TiffOptions& last_tiff_options, const LoadLimits& limits, int32_t& read_ppi);
