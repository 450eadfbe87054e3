#include "viewer/about_menu.h"

#include "viewer/about_form.h"
#include "viewer/main_window.h"
#include "viewer/message_boxes.h"

void ConnectAboutBox(TMainWSQForm& window, TAboutForm& about) {
  window.OnMenuAboutClick = [&window, &about] { window.Boxes().exec_dialog(about); };
}
