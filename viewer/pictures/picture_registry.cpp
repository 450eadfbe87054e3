#include "viewer/pictures/picture_registry.h"

#include <QDir>
#include <QFile>
#include <algorithm>

#include "viewer/pictures/toolkit_error.h"

static QString without_dot(const QString& extension) {
  return (extension.startsWith('.') ? extension.mid(1) : extension).toLower();
}

void PictureRegistry::register_reader(const QString& extension, const QString& description, PictureReader reader) {
  entries_.push_back({without_dot(extension), description, std::move(reader)});
}

const PictureRegistry::Entry* PictureRegistry::find(const QString& extension) const {
  const QString key = without_dot(extension);
  const auto found =
      std::find_if(entries_.rbegin(), entries_.rend(), [&](const Entry& entry) { return entry.extension == key; });
  return found == entries_.rend() ? nullptr : &*found;
}

QString PictureRegistry::description(const QString& extension) const {
  const Entry* entry = find(extension);
  return entry ? entry->description : QString();
}

QImage PictureRegistry::load(const QString& extension, const QString& file_name) const {
  const Entry* entry = find(extension);
  if (!entry) throw ToolkitError(QStringLiteral("Unknown picture file extension (%1)").arg(extension));
  QFile file(file_name);
  if (!file.open(QIODevice::ReadOnly)) {
    throw ToolkitError(
        QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(file_name), file.errorString()));
  }
  file.close();
  return entry->reader(file_name);
}
