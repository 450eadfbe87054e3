#include "viewer/window/about_menu.h"

#include "viewer/dialogs/about_form.h"
#include "viewer/window/main_window.h"
#include "viewer/widgets/message_boxes.h"

void ConnectAboutBox(TMainWSQForm& window, TAboutForm& about) {
  window.OnMenuAboutClick = [&window, &about] { window.Boxes().exec_dialog(about); };
}
