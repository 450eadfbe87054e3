#pragma once
// Helpers of the main-window tests: the application object, a window driven
// through scripted boxes, test images written to a temporary folder, and
// typing into edits.
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <memory>
#include <ostream>
#include <string>

#include "imagelib/image_library.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/qt_test_application.h"
#include "viewer/window/main_window.h"
#include "viewer/widgets/message_boxes.h"

// Shows texts readably in test failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// A window with scripted boxes and its settings file in a temporary folder.
struct WindowUnderTest {
  explicit WindowUnderTest(const QString& first_argument = QString()) {
    test_application();
    form = std::make_unique<TMainWSQForm>(boxes, QString::fromStdString(folder.file("wsqview.ini")), first_argument);
  }
  QString file(const std::string& name) const { return QString::fromStdString(folder.file(name)); }
  // A new window on the same settings file and boxes, as at the program's next start.
  void reopen() {
    form.reset();
    form = std::make_unique<TMainWSQForm>(boxes, file("wsqview.ini"), QString());
  }

  TempDir folder;
  ScriptedMessageBoxes boxes;
  std::unique_ptr<TMainWSQForm> form;
};

// A colourful width x height test image.
inline QImage test_image(int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x + y) % 256));
  return image;
}

// Writes a grey WSQ file through the image library; an empty text on
// success, else the library's message.
inline std::string write_test_wsq(const QString& path, int width, int height, int32_t ppi, const char* comment) {
  ImageRecord record;
  record.width = static_cast<uint32_t>(width);
  record.height = static_cast<uint32_t>(height);
  record.bits_per_pixel = 24;
  record.pad_rows = 1;
  if (image_allocate(record) != NoError) return get_last_error_message();
  for (uint32_t y = 0; y < record.height; ++y)
    for (uint32_t x = 0; x < record.width * 3; ++x) record.row(y)[x] = static_cast<uint8_t>((x / 3 * 7 + y * 13) % 256);
  ImageInfo info;
  info.bitrate = 0.75;
  info.ppi = ppi;
  if (comment) info.comment = comment;
  if (save_image(record, path.toStdString(), &info) != NoError) return get_last_error_message();
  return std::string();
}

// Types text into edit key by key, as the keyboard would ('\b' is backspace).
inline void type_keys(QLineEdit* edit, const QString& text) {
  for (const QChar c : text) {
    const int key = c == u'\b' ? Qt::Key_Backspace : (c == u'.' ? Qt::Key_Period : Qt::Key_0 + (c.unicode() - u'0'));
    const QString typed = c == u'\b' ? QString() : QString(c);
    QKeyEvent press(QEvent::KeyPress, c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - u'A') : key, Qt::NoModifier, typed);
    QApplication::sendEvent(edit, &press);
  }
}
