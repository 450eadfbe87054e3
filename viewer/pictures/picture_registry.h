#pragma once
// The picture registry: which reader loads a file, chosen by the file's
// lower-cased extension. A later registration of an extension takes
// precedence over an earlier one.
#include <QImage>
#include <QString>
#include <functional>
#include <vector>

// Reads the named file. A null image means the read failed in a way the
// caller reports itself (the image library's last error says why); a reader
// that refuses the file outright throws ToolkitError.
using PictureReader = std::function<QImage(const QString& file_name)>;

class PictureRegistry {
 public:
  // extension without its dot, any case.
  void register_reader(const QString& extension, const QString& description, PictureReader reader);

  // The description of the reader that serves extension, or an empty text.
  QString description(const QString& extension) const;

  // Loads file_name with the reader of extension (with its dot, any case).
  // Throws ToolkitError when no reader serves the extension or the file
  // cannot be opened.
  QImage load(const QString& extension, const QString& file_name) const;

 private:
  struct Entry {
    QString extension;
    QString description;
    PictureReader reader;
  };
  const Entry* find(const QString& extension) const;

  std::vector<Entry> entries_;
};
