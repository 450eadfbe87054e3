// View > Image properties of the main window.
#include <QFile>
#include <QFileInfo>

#include "viewer/dialogs/image_properties_dialog.h"
#include "viewer/logic/file_names.h"
#include "viewer/pictures/wsq_comments.h"
#include "viewer/widgets/image_view.h"
#include "viewer/widgets/message_boxes.h"
#include "viewer/window/main_window.h"

namespace {

// The whole file, or nothing when it cannot be read or is over the size limit.
std::vector<uint8_t> file_bytes(const QString& file_name, const LoadLimits& limits) {
  QFile file(file_name);
  if (file.size() <= 0 || static_cast<uint64_t>(file.size()) > limits.max_file_size) return {};
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace

void TMainWSQForm::MenuImagePropertiesClick() {
  if (!OutputImage->hasPicture()) return;
  const QFileInfo file(ShownFileName);
  const bool has_file = !ShownFileName.isEmpty() && file.isFile();
  const PictureFacts facts{.file_name = has_file ? file.absoluteFilePath() : QString(),
                           .width = ImageWidth,
                           .height = ImageHeight,
                           .depth = ShownDepth,
                           .ppi = ShownPpi,
                           .file_size = has_file ? file.size() : -1};
  PropertyRows nistcom;
  QStringList comments;
  if (has_file && file_extension(ShownFileName).toLower() == ".wsq") {
    const WsqComments found = wsq_comments(file_bytes(ShownFileName, Limits));
    for (const auto& [name, value] : found.nistcom_fields)
      nistcom.emplace_back(QString::fromLatin1(name), QString::fromLatin1(value));
    for (const std::string& text : found.other_texts) comments << QString::fromLatin1(text);
  }
  TImagePropertiesDialog dialog(this);
  dialog.show_properties(picture_property_rows(facts), nistcom, comments);
  boxes_.exec_dialog(dialog);
}
