#pragma once
// The tags of a TIFF image that decide how the reader turns it into a record.
#include <cstdint>

#include "imagelib/formats/tiff_io.h"
#include "imagelib/image_record.h"

struct TiffLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t compression = COMPRESSION_NONE;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  // Missing BitsPerSample, SamplesPerPixel and PlanarConfiguration take the
  // TIFF defaults.
  uint16_t bits = 1;
  uint16_t samples = 1;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint32_t rows_per_strip = 1;
  // The one extra sample is premultiplied alpha.
  bool associated_alpha = false;
  // Separate 1-bit planes of two or more samples: an index image built bit
  // by bit from the planes.
  bool bit_planes = false;
  // The record's depth.
  uint8_t record_bits = 0;
};

// Reads the tags and decides the record's depth. UnsupportedOption for
// photometric interpretations and sample layouts the reader does not take,
// BadBitsPerPixel for sample sizes no record depth fits.
ImageLibraryError read_tiff_layout(TIFF* tiff, TiffLayout& layout);

// Fills options from the file: compression, photometric, orientation and
// predictor. UnsupportedOption for Orientation other than 1 or 4 and for
// old-style JPEG, JPEG and JBIG compression.
ImageLibraryError read_tiff_options(TIFF* tiff, const TiffLayout& layout, TiffOptions& options);
