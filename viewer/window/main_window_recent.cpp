// File > Recent files of the main window.
#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "viewer/logic/ini_file.h"
#include "viewer/logic/recent_files.h"
#include "viewer/window/main_window.h"

void TMainWSQForm::remember_recent(const QString& file_name) {
  recent_files_ = with_recent(recent_files_, QFileInfo(file_name).absoluteFilePath());
  write_recent_files(*settings_, recent_files_);
  rebuild_recent_menu();
}

// Files that have gone since are dropped from the list and the settings.
void TMainWSQForm::rebuild_recent_menu() {
  const QStringList existing = existing_only(recent_files_);
  if (existing != recent_files_) {
    recent_files_ = existing;
    write_recent_files(*settings_, recent_files_);
  }
  MenuRecentFiles->clear();
  for (int i = 0; i < recent_files_.size(); ++i) {
    const QString file = recent_files_[i];
    QAction* entry = MenuRecentFiles->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(file).fileName()));
    entry->setToolTip(file);
    entry->setStatusTip(file);
    connect(entry, &QAction::triggered, this, [this, file] { OpenFileInteractively(file); });
  }
  MenuRecentFiles->setEnabled(!recent_files_.isEmpty());
}
