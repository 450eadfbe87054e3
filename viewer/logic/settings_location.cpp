#include "viewer/logic/settings_location.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

#include "viewer/logic/file_names.h"

namespace {

// True when the file can be written or, when it does not exist, created.
bool can_write(const QString& path) {
  const QFileInfo file(path);
  const QString target = file.exists() ? file.absoluteFilePath() : file.absolutePath();
  return ::access(QFile::encodeName(target).constData(), W_OK) == 0;
}

// The user's configuration folder, empty when neither it nor a home is known.
QString config_home() {
  const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (QDir::isAbsolutePath(configured)) return configured;
  const QString home = qEnvironmentVariable("HOME");
  return QDir::isAbsolutePath(home) ? home + "/.config" : QString();
}

}  // namespace

QString settings_location(const QString& program_path) {
  const QString beside_program = settings_file_path(program_path);
  if (can_write(beside_program)) return beside_program;
  const QString home = config_home();
  if (home.isEmpty()) return beside_program;
  const QString folder = home + "/wsqview";
  // When the folder cannot be made, reads still find the defaults and
  // writes fail quietly, as with any unwritable settings file.
  QDir().mkpath(folder);
  return folder + "/wsqview.ini";
}
