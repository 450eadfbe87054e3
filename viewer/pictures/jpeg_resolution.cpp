#include "viewer/pictures/jpeg_resolution.h"

#include <QByteArray>
#include <QFile>
#include <optional>

#include "imagelib/formats/resolution.h"

namespace {

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kApp0 = 0xE0;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;
// "JFIF\0", version (2), units (1), X density (2), Y density (2), thumbnail size (2).
constexpr qint64 kJfifLength = 14;
// Headers before the first frame are few; a file with more is not followed further.
constexpr int kMaxSegments = 256;

uint16_t big_endian(const char* bytes) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[0]) << 8 | static_cast<uint8_t>(bytes[1]));
}

bool is_frame_start(uint8_t marker) { return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC; }

// Pixels per inch of an APP0 segment's data, or nullopt when it is not JFIF.
std::optional<int32_t> jfif_ppi(const QByteArray& data) {
  if (data.size() < kJfifLength || !data.startsWith(QByteArray("JFIF", 5))) return std::nullopt;
  return density_to_ppi(big_endian(data.constData() + 8), static_cast<uint8_t>(data[7]));
}

}  // namespace

int32_t jpeg_file_ppi(const QString& file_name) {
  QFile file(file_name);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray start = file.read(2);
  if (start.size() != 2 || static_cast<uint8_t>(start[0]) != kMarker || static_cast<uint8_t>(start[1]) != kStartOfImage)
    return -1;
  for (int segment = 0; segment < kMaxSegments; ++segment) {
    const QByteArray head = file.read(4);
    if (head.size() != 4 || static_cast<uint8_t>(head[0]) != kMarker) return -1;
    const uint8_t marker = static_cast<uint8_t>(head[1]);
    const uint16_t length = big_endian(head.constData() + 2);
    if (marker == kStartOfScan || marker == kEndOfImage || is_frame_start(marker) || length < 2) return -1;
    if (marker == kApp0) {
      const QByteArray data = file.read(length - 2);
      if (data.size() != length - 2) return -1;
      if (const auto ppi = jfif_ppi(data)) return *ppi;
    } else if (!file.seek(file.pos() + length - 2)) {
      return -1;
    }
  }
  return -1;
}
