#include "imagelib/formats/tiff_layout.h"

#include <algorithm>

namespace {

// The record depth of a sample layout, or an error code.
ImageLibraryError decide_depth(TiffLayout& layout) {
  const uint16_t bits = layout.bits;
  const uint16_t samples = layout.samples;
  if (layout.planar != PLANARCONFIG_CONTIG && layout.planar != PLANARCONFIG_SEPARATE) return UnsupportedOption;
  // With one sample the planar configuration changes nothing.
  if (samples == 1) {
    if (bits == 1 || bits == 4 || bits == 8) {
      layout.record_bits = static_cast<uint8_t>(bits);
    } else if (bits == 16) {
      layout.record_bits = 8;
    } else {
      return BadBitsPerPixel;
    }
    return NoError;
  }
  if (layout.planar == PLANARCONFIG_SEPARATE && bits == 1 && samples <= 4) {
    layout.bit_planes = true;
    layout.record_bits = 8;
    return NoError;
  }
  // Separate planes of 8 or 16 bits are read as their contiguous counterpart.
  if (bits == 8 && samples <= 4) {
    layout.record_bits = samples == 3 ? 24 : 32;  // two samples: grey with alpha
    return NoError;
  }
  if (bits == 16 && (samples == 3 || samples == 4)) {
    layout.record_bits = static_cast<uint8_t>(samples * 8);
    return NoError;
  }
  if (layout.planar == PLANARCONFIG_CONTIG && uint32_t{bits} * samples > 32) return BadBitsPerPixel;
  return UnsupportedOption;
}

// Photometric interpretations with grey, palette or RGB samples (0 to 5);
// YCbCr, the CIE and ICC Lab spaces and the log encodings are not read.
bool readable_photometric(uint16_t photometric) { return photometric <= PHOTOMETRIC_SEPARATED; }

}  // namespace

ImageLibraryError read_tiff_layout(TIFF* tiff, TiffLayout& layout) {
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &layout.width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &layout.height);
  TIFFGetField(tiff, TIFFTAG_COMPRESSION, &layout.compression);
  TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &layout.photometric);
  TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &layout.bits);
  TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &layout.samples);
  TIFFGetField(tiff, TIFFTAG_PLANARCONFIG, &layout.planar);
  if (!readable_photometric(layout.photometric)) return UnsupportedOption;
  if (layout.samples == 0) return CorruptFile;

  const ImageLibraryError code = decide_depth(layout);
  if (code != NoError) return code;
  if (layout.record_bits == 32 && !layout.bit_planes) {
    uint16_t extra_count = 0;
    uint16_t* extra_types = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extra_count, &extra_types) || extra_count == 0) {
      return UnsupportedOption;
    }
    layout.associated_alpha = extra_count == 1 && extra_types != nullptr && extra_types[0] == EXTRASAMPLE_ASSOCALPHA;
  }
  uint32_t rows_per_strip = 0;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rows_per_strip);
  layout.rows_per_strip = std::clamp<uint32_t>(rows_per_strip, 1, std::max<uint32_t>(layout.height, 1));
  return NoError;
}

ImageLibraryError read_tiff_options(TIFF* tiff, const TiffLayout& layout, TiffOptions& options) {
  uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetField(tiff, TIFFTAG_ORIENTATION, &orientation);
  if (orientation == ORIENTATION_TOPLEFT) {
    options.bottom_up = 0;
  } else if (orientation == ORIENTATION_BOTLEFT) {
    options.bottom_up = 1;
  } else {
    return UnsupportedOption;
  }
  options.predictor = 0;
  const int kind = tiff_compression_kind(layout.compression);
  if (kind >= 0) {
    if (layout.compression == COMPRESSION_OJPEG || layout.compression == COMPRESSION_JPEG ||
        layout.compression == COMPRESSION_JBIG) {
      return UnsupportedOption;
    }
    options.compression = static_cast<uint8_t>(kind);
    if (layout.compression == COMPRESSION_LZW) {
      uint16_t predictor = 0;
      options.predictor = TIFFGetField(tiff, TIFFTAG_PREDICTOR, &predictor) ? predictor : PREDICTOR_HORIZONTAL;
    }
  }
  options.photometric = static_cast<uint8_t>(layout.photometric);
  return NoError;
}
