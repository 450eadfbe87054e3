#pragma once
// Message boxes, plain messages, modal dialogs and file pickers behind one
// small interface, so the windows can be driven by tests that answer them.
// QtMessageBoxes shows the real ones; ScriptedMessageBoxes records what
// would have been shown and answers from queues.
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

class QDialog;
class QWidget;

// Flags of message_box: an error icon with an OK button, or a question icon
// with OK and Cancel buttons.
inline constexpr int MessageBoxError = 16;
inline constexpr int MessageBoxQuestionOkCancel = 33;
// The buttons message_box reports.
inline constexpr int MessageBoxOk = 1;
inline constexpr int MessageBoxCancel = 2;

// A file picked in a file dialog and the 1-based index of its filter.
struct FileChoice {
  QString file_name;
  int filter_index = 1;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows text under caption; returns MessageBoxOk or MessageBoxCancel.
  virtual int message_box(QWidget* parent, const QString& text, const QString& caption, int flags) = 0;
  // A plain message window with the application's title and an OK button.
  virtual void show_message(QWidget* parent, const QString& text) = 0;
  // Shows the dialog modally and returns its result (QDialog::Accepted or Rejected).
  virtual int exec_dialog(QDialog& dialog) = 0;
  // File dialogs: filters in Qt's "Description (*.ext)" form; nothing when
  // cancelled. start: the folder the open dialog starts in, or the path the
  // save dialog proposes (its folder and name); the save dialog gives the
  // proposed name the extension of each filter chosen.
  virtual std::optional<FileChoice> open_file(QWidget* parent, const QStringList& filters, int filter_index,
                                              const QString& start) = 0;
  virtual std::optional<FileChoice> save_file(QWidget* parent, const QStringList& filters, int filter_index,
                                              const QString& default_suffix, const QString& start) = 0;
  // The folder picker; nothing when cancelled.
  virtual std::optional<QString> select_directory(QWidget* parent, const QString& caption,
                                                  const QString& start_directory) = 0;
};

class QtMessageBoxes final : public MessageBoxes {
 public:
  int message_box(QWidget* parent, const QString& text, const QString& caption, int flags) override;
  void show_message(QWidget* parent, const QString& text) override;
  int exec_dialog(QDialog& dialog) override;
  std::optional<FileChoice> open_file(QWidget* parent, const QStringList& filters, int filter_index,
                                      const QString& start) override;
  std::optional<FileChoice> save_file(QWidget* parent, const QStringList& filters, int filter_index,
                                      const QString& default_suffix, const QString& start) override;
  std::optional<QString> select_directory(QWidget* parent, const QString& caption,
                                          const QString& start_directory) override;
};

// For tests: records every box and message, and answers from the queues.
// An empty queue answers OK, accepts the dialog, or cancels the picker.
class ScriptedMessageBoxes final : public MessageBoxes {
 public:
  struct Shown {
    QString text;
    QString caption;
    int flags = 0;  // 0 for a plain message
  };
  // Runs on a dialog while it is shown (for example typing into it and
  // clicking one of its buttons); the dialog's result is then returned.
  using DialogScript = std::function<void(QDialog&)>;

  int message_box(QWidget* parent, const QString& text, const QString& caption, int flags) override;
  void show_message(QWidget* parent, const QString& text) override;
  int exec_dialog(QDialog& dialog) override;
  std::optional<FileChoice> open_file(QWidget* parent, const QStringList& filters, int filter_index,
                                      const QString& start) override;
  std::optional<FileChoice> save_file(QWidget* parent, const QStringList& filters, int filter_index,
                                      const QString& default_suffix, const QString& start) override;
  std::optional<QString> select_directory(QWidget* parent, const QString& caption,
                                          const QString& start_directory) override;

  std::vector<Shown> shown;
  std::vector<QString> dialogs_shown;  // object names of the dialogs shown
  std::deque<int> answers;
  std::deque<DialogScript> dialog_scripts;
  std::deque<std::optional<FileChoice>> file_answers;
  std::deque<std::optional<QString>> directory_answers;
  std::vector<QString> file_dialog_starts;  // the start of every file dialog shown
};
