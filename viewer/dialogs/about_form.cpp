#include "viewer/dialogs/about_form.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "viewer/widgets/caption_fit.h"
#include "viewer/dialogs/about_logo.h"
#include "viewer/widgets/message_boxes.h"
#include "viewer/dialogs/system_info.h"

QStringList ProgramDescriptionLines() {
  return {
      "Reads and converts between WSQ and other graphic file formats.",
      "Supported formats for reading:",
      "WSQ - FBI's Wavelet Scalar Quantization",
      "BMP - Windows bitmaps",
      "TIFF - Macintosh Tagged Information File Format images",
      "TIF - PC Tagged Information File Format images",
      "JPG, JPEG - Joint Photographic Experts Group images",
      "JPE - JPE images",
      "PNG - Portable network graphic images",
      "GIF - Compuserve Graphic Interchange Format",
      "PSP - Paintshop Pro images",
      "JFIF - JFIF images",
      "RLE - Run length encoded Windows bitmaps",
      "DIB - Device independant Windows bitmaps",
      "TGA,WIN,VST,VDA,ICB - Truevision images",
      "FAX - GFI fax images",
      "EPS - Encapsulated Postscript images",
      "PCX,PCC - ZSoft Paintbrush images",
      "SCR - Word 5.x screen capture images",
      "RPF,RLA - Alias/Wavefront images",
      "SGI,RGBA,RGB - SGI true color images",
      "BW - SGI black/white images",
      "PSD - Photoshop images",
      "PDD - Photoshop images",
      "PPM - Portable pixel map images",
      "PGM - Portable gray map images",
      "PBM - Portable bitmap images",
      "CEL - Autodesk images",
      "PIC - Autodesk images",
      "PCD - Kodak Photo-CD images",
      "CUT - Dr. Halo images",
      "IFF - Amiga Bitmap Graphic (8 bits)",
      "ICO - Windows icons",
      "WMF - Windows metafiles",
      "EMF - Windows enhanced meta files",
      "Supported formats for writing:",
      "WSQ  - FBI's Wavelet Scalar Quantization",
      "BMP  - Windows Bitmap Graphics",
      "TIFF - Tagged Information File Format  (no LZW compression)",
      "PNG  - Portable Network Graphics",
      "JPEG  - Joint Photographic Experts Group",
      "RGB   - Silicon Graphics International (uncompressed)",
      "TGA   - Truevision Targa Graphic",
      "For latest version and more information please visit:",
      WebSiteAddress,
  };
}

QStringList SystemInfoLines(const SystemInfo& info, uint64_t freeBytes) {
  return {
      QString::fromStdString(MemoryLine(freeBytes)),
      "Operating System: " + QString::fromStdString(info.OperatingSystemName()),
      "Major version: " + QString::number(info.MajorVersion),
      "Minor version: " + QString::number(info.MinorVersion),
      "Build number:  " + QString::number(info.BuildNumber),
      "Service Pack info: " + QString::fromStdString(info.ServicePackText),
  };
}

namespace {

QPlainTextEdit* memo(QWidget* parent, int left, int top, int width, int height) {
  auto* box = new QPlainTextEdit(parent);
  box->setGeometry(left, top, width, height);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Long lines wrap at the memo's edge instead of running past it.
  box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  return box;
}

}  // namespace

TAboutForm::TAboutForm(MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), OpenUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }), boxes_(boxes) {
  setObjectName("AboutForm");
  setWindowTitle("About");
  setFixedSize(406, 268);

  LabelProgramDescription2 = new QLabel("DIZ udizev v. 2.0", this);
  QFont title("Serif");
  title.setStyleHint(QFont::Serif);
  title.setPointSize(16);
  LabelProgramDescription2->setFont(title);
  LabelProgramDescription2->move(112, 8);
  LabelProgramDescription2->adjustSize();

  ProgramDescriptionMemo = memo(this, 8, 32, 385, 65);

  CompanyLogoImage = new QLabel(this);
  CompanyLogoImage->setGeometry(96, 104, 225, 81);
  CompanyLogoImage->setAlignment(Qt::AlignCenter);
  CompanyLogoImage->setPixmap(DrawAboutLogo(225, 81));

  LabelWebLink = new QLabel(WebSiteAddress, this);
  QFont link = LabelWebLink->font();
  link.setPointSize(12);
  link.setBold(true);
  link.setUnderline(true);
  LabelWebLink->setFont(link);
  LabelWebLink->setStyleSheet("color: blue;");
  LabelWebLink->setCursor(Qt::PointingHandCursor);
  LabelWebLink->move(104, 184);
  LabelWebLink->adjustSize();
  LabelWebLink->installEventFilter(this);

  SysInfoMemo = memo(this, 8, 224, 313, 33);
  SysInfoMemo->setReadOnly(true);

  Button1 = new QPushButton("OK", this);
  Button1->setGeometry(328, 224, 73, 33);
  connect(Button1, &QPushButton::clicked, this, &TAboutForm::Button1Click);
  fit_captions(this);
}

void TAboutForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LabelWebLink && event->type() == QEvent::MouseButtonRelease) {
    LabelWebLinkClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TAboutForm::FormShow() {
  ProgramDescriptionMemo->setPlainText(ProgramDescriptionLines().join('\n'));
  const SystemInfo info;
  SysInfoMemo->setPlainText(SystemInfoLines(info, FreePhysicalMemory()).join('\n'));
  if (const QScreen* shown_on = screen()) {
    const QRect area = shown_on->geometry();
    move((area.width() - width()) / 2, (area.height() - height()) / 2);
  }
}

void TAboutForm::Button1Click() { accept(); }

void TAboutForm::LabelWebLinkClick() {
  if (!OpenUrl(QUrl(WebSiteAddress))) boxes_.show_message(this, "Unable to start web browser.");
}
