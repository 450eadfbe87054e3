#include "wsq_handler.h"

#include <QIODevice>
#include <QImage>
#include <QVariant>
#include <algorithm>
#include <climits>
#include <cmath>
#include <span>
#include <wsq/wsq.h>

namespace {

constexpr double kMetresPerInch = 0.0254;
// The text key that carries the image's comment, as in Qt's other formats.
const QString kCommentKey = QStringLiteral("Comment");

wsq::Options quiet_options() {
  wsq::Options options;
  options.messages = [](std::string_view) {};
  return options;
}

// The whole codestream, or nothing when the device holds more than the
// codec can take.
QByteArray read_codestream(QIODevice* device) {
  if (!device->isSequential() && device->size() - device->pos() > INT32_MAX) return {};
  QByteArray bytes = device->readAll();
  if (bytes.size() > INT32_MAX) return {};
  return bytes;
}

}  // namespace

float bitrate_for_quality(int quality) {
  if (quality < 0) return 0.75f;
  const int bounded = quality > 100 ? 100 : quality;
  return static_cast<float>(0.75 * std::exp2((bounded - 50) / 25.0));
}

bool WsqHandler::canRead(QIODevice* device) {
  if (device == nullptr) return false;
  const QByteArray head = device->peek(4);
  if (head.size() < 4) return false;
  const auto byte = [&head](int i) { return static_cast<unsigned char>(head[i]); };
  // SOI, then the marker of a table, comment or frame segment.
  const unsigned char next = byte(3);
  return byte(0) == 0xFF && byte(1) == 0xA0 && byte(2) == 0xFF &&
         (next == 0xA2 || (next >= 0xA4 && next <= 0xA6) || next == 0xA8);
}

bool WsqHandler::canRead() const {
  if (!canRead(device())) return false;
  setFormat("wsq");
  return true;
}

bool WsqHandler::read(QImage* image) {
  const QByteArray bytes = read_codestream(device());
  if (bytes.isEmpty()) return false;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
  wsq::Image decoded;
  if (wsq::decode({data, static_cast<size_t>(bytes.size())}, decoded, quiet_options()) !=
      wsq::Error::ok) {
    return false;
  }
  QImage result(decoded.width, decoded.height, QImage::Format_Grayscale8);
  if (result.isNull()) return false;
  for (int y = 0; y < decoded.height; ++y) {
    std::copy_n(decoded.pixels.data() + static_cast<size_t>(y) * decoded.width, decoded.width,
                result.scanLine(y));
  }
  if (decoded.ppi > 0) {
    const int dots_per_metre = static_cast<int>(std::lround(decoded.ppi / kMetresPerInch));
    result.setDotsPerMeterX(dots_per_metre);
    result.setDotsPerMeterY(dots_per_metre);
  }
  if (!decoded.comments.empty()) {
    result.setText(kCommentKey, QString::fromUtf8(decoded.comments.back()));
  }
  *image = std::move(result);
  return true;
}

bool WsqHandler::write(const QImage& image) {
  const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
  if (grey.isNull()) return false;
  const int width = grey.width();
  const int height = grey.height();
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    std::copy_n(grey.constScanLine(y), width, pixels.data() + static_cast<size_t>(y) * width);
  }
  wsq::EncodeParams params;
  params.bitrate = bitrate_for_quality(quality_);
  if (image.dotsPerMeterX() > 0) {
    params.ppi = static_cast<int32_t>(std::lround(image.dotsPerMeterX() * kMetresPerInch));
  }
  params.comment = image.text(kCommentKey).toStdString();
  std::vector<uint8_t> codestream;
  if (wsq::encode(pixels, width, height, params, codestream, quiet_options()) != wsq::Error::ok) {
    return false;
  }
  const auto size = static_cast<qint64>(codestream.size());
  return device()->write(reinterpret_cast<const char*>(codestream.data()), size) == size;
}

bool WsqHandler::supportsOption(ImageOption option) const {
  return option == Quality || option == ImageFormat;
}

QVariant WsqHandler::option(ImageOption option) const {
  if (option == Quality) return quality_;
  if (option == ImageFormat) return QImage::Format_Grayscale8;
  return {};
}

void WsqHandler::setOption(ImageOption option, const QVariant& value) {
  if (option == Quality) quality_ = value.toInt();
}
