// wsqview: the WSQ fingerprint image viewer.
#include <QApplication>
#include <QStringList>

#include "viewer/file_names.h"
#include "viewer/main_window.h"
#include "viewer/message_boxes.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("WSQ file viewer");
  const QStringList arguments = QApplication::arguments();
  QtMessageBoxes boxes;
  TMainWSQForm form(boxes, settings_file_path(QApplication::applicationFilePath()),
                    arguments.size() > 1 ? arguments[1] : QString());
  form.show();
  return QApplication::exec();
}
