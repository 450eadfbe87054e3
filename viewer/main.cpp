// wsqview: the WSQ fingerprint image viewer.
#include <QApplication>
#include <QStringList>

#include "viewer/dialogs/about_form.h"
#include "viewer/window/about_menu.h"
#include "viewer/window/browse_keys.h"
#include "viewer/window/clipboard_actions.h"
#include "viewer/window/converter_main_link.h"
#include "viewer/converter/file_format_converter_form.h"
#include "viewer/logic/ini_file.h"
#include "viewer/logic/settings_location.h"
#include "viewer/window/main_window.h"
#include "viewer/widgets/message_boxes.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("WSQ file viewer");
  const QStringList arguments = QApplication::arguments();
  QtMessageBoxes boxes;
  TMainWSQForm form(boxes, settings_location(QApplication::applicationFilePath()),
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
