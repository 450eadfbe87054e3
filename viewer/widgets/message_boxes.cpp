#include "viewer/widgets/message_boxes.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

int QtMessageBoxes::message_box(QWidget* parent, const QString& text, const QString& caption, int flags) {
  if (flags == MessageBoxQuestionOkCancel) {
    const auto button = QMessageBox::question(parent, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                                              QMessageBox::Ok);
    return button == QMessageBox::Ok ? MessageBoxOk : MessageBoxCancel;
  }
  if (flags == MessageBoxError) {
    QMessageBox::critical(parent, caption, text, QMessageBox::Ok);
  } else {
    QMessageBox::information(parent, caption, text, QMessageBox::Ok);
  }
  return MessageBoxOk;
}

void QtMessageBoxes::show_message(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

int QtMessageBoxes::exec_dialog(QDialog& dialog) { return dialog.exec(); }

static std::optional<FileChoice> run_file_dialog(QFileDialog& dialog, const QStringList& filters,
                                                 int filter_index) {
  dialog.setNameFilters(filters);
  if (filter_index >= 1 && filter_index <= filters.size()) dialog.selectNameFilter(filters[filter_index - 1]);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return FileChoice{dialog.selectedFiles().front(),
                    static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1};
}

std::optional<FileChoice> QtMessageBoxes::open_file(QWidget* parent, const QStringList& filters, int filter_index,
                                                    const QString& start) {
  QFileDialog dialog(parent);
  if (!start.isEmpty()) dialog.setDirectory(start);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return run_file_dialog(dialog, filters, filter_index);
}

std::optional<FileChoice> QtMessageBoxes::save_file(QWidget* parent, const QStringList& filters, int filter_index,
                                                    const QString& default_suffix, const QString& start) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(default_suffix);
  if (!start.isEmpty()) {
    dialog.setDirectory(QFileInfo(start).absolutePath());
    if (!QFileInfo(start).fileName().isEmpty()) dialog.selectFile(QFileInfo(start).fileName());
  }
  // Choosing another format gives the typed name that format's extension.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    const QString pattern = filter.section('(', -1).section(')', 0, 0).section(' ', 0, 0);
    const QString extension = pattern.startsWith("*.") ? pattern.mid(1) : QString();
    auto* name_edit = dialog.findChild<QLineEdit*>("fileNameEdit");
    if (extension.isEmpty() || !name_edit || name_edit->text().isEmpty()) return;
    const QString base = QFileInfo(name_edit->text()).completeBaseName();
    name_edit->setText(base + extension);
  });
  // The chosen format replaces the extension anyway, so no question is asked.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  return run_file_dialog(dialog, filters, filter_index);
}

std::optional<QString> QtMessageBoxes::select_directory(QWidget* parent, const QString& caption,
                                                        const QString& start_directory) {
  const QString folder = QFileDialog::getExistingDirectory(parent, caption, start_directory);
  if (folder.isEmpty()) return std::nullopt;
  return folder;
}

// Takes the next queued answer; nothing when the queue is empty.
template <typename T>
static std::optional<T> take_answer(std::deque<std::optional<T>>& queue) {
  if (queue.empty()) return std::nullopt;
  const bool has_value = queue.front().has_value();
  T value = has_value ? *queue.front() : T();
  queue.pop_front();
  if (!has_value) return std::nullopt;
  return value;
}

int ScriptedMessageBoxes::message_box(QWidget*, const QString& text, const QString& caption, int flags) {
  shown.push_back({text, caption, flags});
  if (answers.empty()) return MessageBoxOk;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

void ScriptedMessageBoxes::show_message(QWidget*, const QString& text) { shown.push_back({text, QString(), 0}); }

int ScriptedMessageBoxes::exec_dialog(QDialog& dialog) {
  dialogs_shown.push_back(dialog.objectName());
  dialog.setResult(QDialog::Rejected);
  dialog.show();
  if (dialog_scripts.empty()) {
    dialog.accept();
  } else {
    const DialogScript script = dialog_scripts.front();
    dialog_scripts.pop_front();
    script(dialog);
  }
  dialog.hide();
  return dialog.result();
}

std::optional<FileChoice> ScriptedMessageBoxes::open_file(QWidget*, const QStringList&, int, const QString& start) {
  file_dialog_starts.push_back(start);
  return take_answer(file_answers);
}

std::optional<FileChoice> ScriptedMessageBoxes::save_file(QWidget* parent, const QStringList& filters,
                                                          int filter_index, const QString&, const QString& start) {
  return open_file(parent, filters, filter_index, start);
}

std::optional<QString> ScriptedMessageBoxes::select_directory(QWidget*, const QString&, const QString&) {
  return take_answer(directory_answers);
}
