#include "viewer/window/browse_keys.h"

#include <QFile>

#include "viewer/logic/browse_list.h"
#include "viewer/window/main_window.h"

namespace {

bool is_browse_key(int virtual_key) {
  return virtual_key >= static_cast<int>(BrowseKey::PageUp) && virtual_key <= static_cast<int>(BrowseKey::Home);
}

}  // namespace

void ConnectFolderBrowsing(TMainWSQForm& window, FolderBrowser& browser) {
  window.OnBuildBrowseList = [&window, &browser] {
    browser.BuildBrowseList(QFile::encodeName(window.BrowseDirectory).toStdString(),
                            QFile::encodeName(window.CurrentFileName).toStdString());
  };
  window.OnFormKeyDown = [&window, &browser](int virtual_key) {
    if (!is_browse_key(virtual_key)) return;
    const auto file = browser.Step(static_cast<BrowseKey>(virtual_key));
    if (!file) return;
    window.ReadFromOpenDialog = true;
    window.OpenDialogFileName = QFile::decodeName(file->c_str());
    window.OpenPicture1Accept();
    window.OpenDialogFileName.clear();
  };
}
