// Opens and saves WSQ files through Qt's image I/O alone, as any Qt
// application would with the WSQ plugin on its plugin path. Arguments: the
// sample and a scratch folder. Prints what it checked; exits 1 on a failure.
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <cmath>
#include <cstdio>

namespace {

int failures = 0;

void check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  if (!ok) ++failures;
}

int ppi_of(const QImage& image) { return static_cast<int>(std::lround(image.dotsPerMeterX() * 0.0254)); }

QByteArray saved(const QImage& image, int quality) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "wsq");
  writer.setQuality(quality);
  return writer.write(image) ? buffer.data() : QByteArray();
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  if (argc != 3) return 2;
  const QString sample = QString::fromLocal8Bit(argv[1]);
  const QString scratch = QString::fromLocal8Bit(argv[2]);

  check(QImageReader::supportedImageFormats().contains("wsq"), "wsq among the readable formats");
  check(QImageWriter::supportedImageFormats().contains("wsq"), "wsq among the writable formats");
  check(QImageReader::supportedMimeTypes().contains("image/x-wsq"), "image/x-wsq among the MIME types");

  QImageReader reader(sample);
  check(reader.format() == "wsq", "the sample is taken for wsq");
  const QImage image = reader.read();
  check(!image.isNull(), "the sample reads");
  check(image.format() == QImage::Format_Grayscale8, "the pixels are grey");
  check(image.width() >= 65 && image.height() >= 65, "the size is a WSQ size");
  check(ppi_of(image) == 500, "the resolution is the sample's 500 ppi");
  check(!image.text("Comment").isEmpty(), "the comment is read");

  // Recognised by content, whatever the name.
  const QString renamed = scratch + "/sample.data";
  QFile::copy(sample, renamed);
  QImageReader by_content(renamed);
  by_content.setDecideFormatFromContent(true);
  check(by_content.read().size() == image.size(), "a WSQ file without its extension reads");

  // A file that is not WSQ is refused without a crash.
  QByteArray damaged("\xff\xa0\xff\xa8\x00\x02garbage", 14);
  QBuffer damaged_buffer(&damaged);
  check(QImageReader(&damaged_buffer, "wsq").read().isNull(), "a damaged codestream is refused");

  // Writing: the quality sets the bitrate; size, resolution and comment survive.
  QImage edited = image;
  edited.setText("Comment", "written through Qt");
  const QByteArray low = saved(edited, 10);
  const QByteArray high = saved(edited, 90);
  check(!low.isEmpty() && !high.isEmpty(), "the image saves as wsq");
  check(high.size() > low.size(), "a higher quality gives a larger file");
  const QString output = scratch + "/out.wsq";
  check(edited.save(output), "QImage::save writes a .wsq file");
  const QImage again(output);
  check(again.size() == image.size(), "the saved file reads back at its size");
  check(ppi_of(again) == 500, "the saved file keeps the resolution");
  check(again.text("Comment") == "written through Qt", "the saved file keeps the comment");
  check(!QImage(64, 64, QImage::Format_Grayscale8).save(scratch + "/small.wsq"),
        "an image below the codec's minimum side is refused");
  return failures == 0 ? 0 : 1;
}
