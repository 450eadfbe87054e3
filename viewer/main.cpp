// wsqview: the WSQ fingerprint image viewer.
#include <QApplication>
#include <QStringList>

#include "viewer/about_form.h"
#include "viewer/about_menu.h"
#include "viewer/browse_keys.h"
#include "viewer/clipboard_actions.h"
#include "viewer/converter_main_link.h"
#include "viewer/file_format_converter_form.h"
#include "viewer/file_names.h"
#include "viewer/ini_file.h"
#include "viewer/main_window.h"
#include "viewer/message_boxes.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("WSQ file viewer");
  const QStringList arguments = QApplication::arguments();
  QtMessageBoxes boxes;
  TMainWSQForm form(boxes, settings_file_path(QApplication::applicationFilePath()),
                    arguments.size() > 1 ? arguments[1] : QString());
  TAboutForm about(boxes, &form);
  MainWindowConverterLink converter_link(form);
  TFileFormatConverterForm converter(converter_link, boxes, IniFile(form.SettingsPath()));
  ConnectAboutBox(form, about);
  ConnectConverter(form, converter);
  ConnectFolderBrowsing(form, converter.Browser);
  ConnectClipboard(form);
  form.show();
  return QApplication::exec();
}
