#pragma once
// The About box: the program's title and description with the formats it
// reads and writes, a logo, a link to the web site and the system lines.
#include <QDialog>
#include <QStringList>
#include <QUrl>
#include <cstdint>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class MessageBoxes;
class SystemInfo;

// The address behind the web link.
inline constexpr const char* WebSiteAddress = "https://wsqview.example.org";

// The lines of the description box, in order.
QStringList ProgramDescriptionLines();
// The lines of the system box for the given system and free memory.
QStringList SystemInfoLines(const SystemInfo& info, uint64_t freeBytes);

class TAboutForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutForm(MessageBoxes& boxes, QWidget* parent = nullptr);

  void FormShow();
  void Button1Click();
  void LabelWebLinkClick();

  QLabel* LabelProgramDescription2;
  QPlainTextEdit* ProgramDescriptionMemo;
  QLabel* CompanyLogoImage;
  QLabel* LabelWebLink;
  QPlainTextEdit* SysInfoMemo;
  QPushButton* Button1;

  // Opens an address with the desktop's default handler; replaceable so tests
  // need not start a browser.
  std::function<bool(const QUrl&)> OpenUrl;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  MessageBoxes& boxes_;
};
