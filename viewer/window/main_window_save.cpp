// The save flow of the main window.
#include <QLineEdit>
#include <algorithm>
#include <thread>

#include "imagelib/image_library.h"
#include "viewer/logic/dialog_filters.h"
#include "viewer/widgets/image_view.h"
#include "viewer/window/main_window.h"
#include "viewer/widgets/message_boxes.h"
#include "viewer/logic/number_text.h"
#include "viewer/pictures/qt_bitmap_bridge.h"
#include "viewer/pictures/qt_image_writer.h"
#include "viewer/pictures/grey_record.h"
#include "viewer/pictures/save_formats.h"
#include "viewer/dialogs/tiff_dialog.h"
#include "viewer/pictures/toolkit_error.h"
#include "viewer/dialogs/wsq_dialog.h"

static constexpr const char* kSaveErrorCaption = "Save Error";

void TMainWSQForm::MenuSavePictureClick() {
  if (!OutputImage->hasPicture()) return;
  SavePicture1SavePictureDialogShow();
  const auto choice = boxes_.save_file(this, qt_name_filters(save_dialog_filter_text()), SaveDialogFilterIndex, "wsq",
                                       proposed_save_name(CurrentFileName, SaveDialogFilterIndex));
  if (!choice) return;
  SaveDialogFileName = choice->file_name;
  SaveDialogFilterIndex = choice->filter_index;
  SavePicture1Accept();
}

void TMainWSQForm::SavePicture1Accept() {
  Guarded([this] { show_outcome(run_save_flow()); });
}

FlowOutcome TMainWSQForm::SaveForConversion(const QString& target, int filter_index) {
  const bool was_unattended = Unattended;
  Unattended = true;
  ReadFromOpenDialog = false;
  SaveDialogFileName = target;
  SaveDialogFilterIndex = filter_index;
  FlowOutcome outcome;
  try {
    outcome = run_save_flow();
  } catch (const ToolkitError& error) {
    outcome = {FlowOutcome::Kind::Raised, QString(), error.text()};
  }
  Unattended = was_unattended;
  return outcome;
}

// Takes bitrate, resolution and comment from the WSQ dialog into LastImageInfo.
void TMainWSQForm::read_wsq_options() {
  TWSQDialog& dialog = *wsq_dialog_;
  const double bitrate = static_cast<double>(parse_real(dialog.BitrateEdit->text()));
  const int32_t ppi = parse_integer(dialog.ppiEdit->text());
  LastImageInfo.bitrate = bitrate;
  LastImageInfo.ppi = ppi;
  LastImageInfo.comment = dialog.comment_textEdit->text().toLatin1().toStdString();
}

// Every format reports a library failure under "Save Error": a save that
// silently produced no file would look like a success.
FlowOutcome TMainWSQForm::save_through_library(const QString& output, const ImageInfo* info, const TiffOptions* tiff) {
  const BitmapHandle bitmap = bitmap_from_qimage(WorkingBitmap);
  if (save_bitmap(bitmap.get(), output.toStdString(), info, tiff) == NoError) return {};
  return {FlowOutcome::Kind::Failed, kSaveErrorCaption, QString::fromLatin1(get_last_error_message())};
}

// The WSQ codestream is always 8-bit grey, so the image goes to the codec as
// an 8-bit grey record (each pixel the mean of its three bytes, as the codec
// would make it of 24-bit pixels) and the comment records depth 8.
FlowOutcome TMainWSQForm::save_wsq(const QString& output, const ImageInfo& info) {
  const BitmapHandle bitmap = bitmap_from_qimage(WorkingBitmap);
  ImageRecord colour;
  ImageRecord grey;
  if (image_from_bitmap(bitmap.get(), colour, 1) == NoError && grey_record_of(colour, grey) == NoError) {
    grey.codec_threads = std::max(1u, std::thread::hardware_concurrency());
    if (save_image(grey, output.toStdString(), &info, nullptr) == NoError) return {};
  }
  return {FlowOutcome::Kind::Failed, kSaveErrorCaption, QString::fromLatin1(get_last_error_message())};
}

FlowOutcome TMainWSQForm::run_save_flow() {
  const int format = SaveDialogFilterIndex;
  const QString output = OutputName(SaveDialogFileName, format);
  switch (format) {
    case SaveWsq: {
      if (!Unattended) wsq_dialog_->ShowModal(boxes_);
      read_wsq_options();
      const ImageInfo info{.depth_or_quality = 8, .bitrate = LastImageInfo.bitrate, .ppi = LastImageInfo.ppi,
                           .comment = LastImageInfo.comment};
      return save_wsq(output, info);
    }
    case SaveBmp:
      write_bmp_file(WorkingBitmap, output);
      return {};
    case SaveTiff:
      if (!Unattended) tiff_dialog_->ShowModal(boxes_);
      tiff_dialog_->apply_to(LastTiffOptions);
      return save_through_library(output, nullptr, &LastTiffOptions);
    case SaveJpeg:
      write_jpeg_file(WorkingBitmap, output);
      return {};
    case SavePng:
    case SaveTarga:
    case SaveSgiRgb:
      return save_through_library(output, nullptr, nullptr);
    default:
      return {};
  }
}
