#pragma once
// Reads and writes WSQ images for Qt's image I/O: grey pixels, the
// resolution and the comment; writing maps the quality to a bitrate.
#include <QImageIOHandler>

class WsqHandler : public QImageIOHandler {
 public:
  bool canRead() const override;
  bool read(QImage* image) override;
  bool write(const QImage& image) override;
  bool supportsOption(ImageOption option) const override;
  QVariant option(ImageOption option) const override;
  void setOption(ImageOption option, const QVariant& value) override;

  // Whether the next bytes of `device` start a WSQ codestream (peeks only).
  static bool canRead(QIODevice* device);

 private:
  int quality_ = -1;
};

// The bitrate for a quality of 0..100: 0.75 bits per pixel at 50, doubling
// every 25 steps (3 at 100, 0.1875 at 0); 0.75 for the default quality -1.
float bitrate_for_quality(int quality);
