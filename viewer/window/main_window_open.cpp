// The open flow of the main window and the rendering of the view.
#include <QFileInfo>
#include <QStatusBar>

#include "imagelib/errors.h"
#include "viewer/logic/dialog_filters.h"
#include "viewer/logic/file_names.h"
#include "viewer/logic/one_line.h"
#include "viewer/widgets/image_view.h"
#include "viewer/window/main_window.h"
#include "viewer/widgets/message_boxes.h"
#include "viewer/pictures/picture_readers.h"
#include "viewer/logic/readable_extensions.h"
#include "viewer/pictures/toolkit_error.h"

namespace {

constexpr const char* kOpenErrorCaption = "DIZ Udizev Error";
constexpr const char* kCaption = "Tessaron DIZ udizev";

FlowOutcome failed(const QString& caption, const QString& text) {
  return {FlowOutcome::Kind::Failed, caption, text};
}

// The library's message for a failed read, naming the pixel limit when that refused it.
QString read_failure_text(const LoadLimits& limits) {
  const QString message = QString::fromLatin1(get_last_error_message());
  return get_last_error() == BadImageSize ? library_pixel_refusal(message, limits) : message;
}

}  // namespace

void TMainWSQForm::MenuOpenPictureClick() {
  OpenPicture1OpenPictureDialogShow();
  const QString start = CurrentFileName.isEmpty() ? QString() : QFileInfo(CurrentFileName).absolutePath();
  const auto choice = boxes_.open_file(this, qt_name_filters(open_dialog_filter_text()), 1, start);
  if (!choice) return;
  OpenDialogFileName = choice->file_name;
  OpenPicture1Accept();
}

void TMainWSQForm::OpenFileInteractively(const QString& file_name) {
  OpenPicture1OpenPictureDialogShow();
  OpenDialogFileName = file_name;
  OpenPicture1Accept();
  OpenDialogFileName.clear();
}

void TMainWSQForm::OpenPicture1Accept() {
  Guarded([this] { show_outcome(run_open_flow()); });
}

FlowOutcome TMainWSQForm::OpenForConversion(const QString& file_name) {
  const bool was_unattended = Unattended;
  Unattended = true;
  ReadFromOpenDialog = true;
  OpenDialogFileName = file_name;
  FlowOutcome outcome;
  try {
    outcome = run_open_flow();
  } catch (const ToolkitError& error) {
    outcome = {FlowOutcome::Kind::Raised, QString(), error.text()};
  }
  OpenDialogFileName.clear();
  Unattended = was_unattended;
  return outcome;
}

void TMainWSQForm::show_outcome(const FlowOutcome& outcome) {
  if (outcome.kind == FlowOutcome::Kind::Failed) boxes_.message_box(this, outcome.text, outcome.caption, MessageBoxError);
  if (outcome.kind == FlowOutcome::Kind::Raised) throw ToolkitError(outcome.text);
}

QString TMainWSQForm::ReaderFileName() const { return ReadFromOpenDialog ? OpenDialogFileName : SaveDialogFileName; }

// Reads the current file by its extension: a null image when the reader
// failed (the image library's last error says why), nothing read at all for
// an extension the flow does not read. Errors the readers raise escape.
QImage TMainWSQForm::load_picture(const QString& lower_extension) {
  if (!Unattended) {
    BrowseDirectory = directory_part(CurrentFileName);
    if (OnBuildBrowseList) OnBuildBrowseList();
  }
  const QString name = is_jpeg_extension(lower_extension) ? CurrentFileName : ReaderFileName();
  const QFileInfo file(name);
  if (file.isFile()) {
    if (const auto refusal = file_size_refusal(static_cast<uint64_t>(file.size()), Limits))
      throw ToolkitError(QStringLiteral("Cannot read \"%1\": %2").arg(name, *refusal));
  }
  LastReadPpi = -1;
  if (is_jpeg_extension(lower_extension)) return read_jpeg_image(name, Limits, LastReadPpi);
  return registry_.load(lower_extension, name);
}

// The flow stops at the error box when nothing could be read, so the
// previous image, its information line and its view stay as they were.
FlowOutcome TMainWSQForm::run_open_flow() {
  CurrentFileName = OpenDialogFileName;
  const QString extension = file_extension(CurrentFileName).toLower();
  if (is_readable_extension(extension)) {
    const QImage image = load_picture(extension);
    if (image.isNull()) return failed(kOpenErrorCaption, read_failure_text(Limits));
    if (const auto refusal = pixel_refusal(image.width(), image.height(), Limits))
      return failed(kOpenErrorCaption, *refusal);
    show_new_image(image);
    ShownFileName = CurrentFileName;
    ShownDepth = extension == ".wsq" ? static_cast<int32_t>(LastImageInfo.depth_or_quality) : image.depth();
    ShownPpi = extension == ".wsq" ? LastImageInfo.ppi : LastReadPpi;
    if (!Unattended) remember_recent(CurrentFileName);
  } else if (WorkingBitmap.isNull()) {
    return failed(kOpenErrorCaption, get_last_error_message());
  }
  ImageWidth = WorkingBitmap.width();
  ImageHeight = WorkingBitmap.height();
  AspectRatio = static_cast<double>(ImageWidth) / ImageHeight;
  write_information_line(extension);
  CenterView();
  return {};
}

void TMainWSQForm::show_new_image(const QImage& image) {
  WorkingBitmap = image.convertToFormat(QImage::Format_RGB888);
  OutputImage->setPicture(WorkingBitmap);
  OutputImage->resize(WorkingBitmap.size());
  setWindowTitle(QFileInfo(CurrentFileName).fileName() + " - " + kCaption);
}

void TMainWSQForm::write_information_line(const QString& lower_extension) {
  QString line = QStringLiteral("   Image info: width = %1, height = %2").arg(ImageWidth).arg(ImageHeight);
  if (lower_extension == ".wsq") {
    line += LastImageInfo.ppi == -1 ? QStringLiteral(", dpi unknown ") : QStringLiteral(", dpi = %1").arg(LastImageInfo.ppi);
    line += QStringLiteral(", depth = %1, Comments: ").arg(LastImageInfo.depth_or_quality);
    if (LastImageInfo.comment) line += on_one_line(QString::fromLatin1(*LastImageInfo.comment));
  } else if (ShownPpi > 0) {
    line += QStringLiteral(", dpi = %1").arg(ShownPpi);
  }
  SetStatusText(line);
}

// The view draws WorkingBitmap itself, stretched to its size; nothing is
// scaled here.
void TMainWSQForm::RenderView() {
  if (OutputImage->size().isEmpty() || WorkingBitmap.isNull()) {
    OutputImage->clearPicture();
    return;
  }
  OutputImage->setPicture(WorkingBitmap);
}

void TMainWSQForm::CenterView() {
  if (WorkingBitmap.isNull()) return;
  SetImageRect(centred(OutputImage->width(), OutputImage->height(), ProcessedImageScrollBox->width(),
                       ProcessedImageScrollBox->height()));
  RenderView();
}
