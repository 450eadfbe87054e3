// The settings file and the zoom-toolbar setting of the main window.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>

#include "tests/support/files.h"
#include "tests/viewer/test_main_window_helpers.h"
#include "viewer/logic/file_names.h"
#include "viewer/logic/ini_file.h"
#include "viewer/widgets/zoom_panel.h"

namespace {

std::string contents(const QString& path) {
  const auto bytes = read_file_bytes(path.toStdString());
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(SettingsPath, ProgramPathWithIni) {
  EXPECT_EQ(settings_file_path("/opt/tool/wsqview"), "/opt/tool/wsqview.ini");
  EXPECT_EQ(settings_file_path("/opt/tool/wsqview.exe"), "/opt/tool/wsqview.ini");
  EXPECT_EQ(settings_file_path("/opt/v1.2/wsqview"), "/opt/v1.2/wsqview.ini");
}

TEST(IniFile, MissingFileSectionOrKeyReadsTheDefault) {
  TempDir folder;
  const IniFile ini(QString::fromStdString(folder.file("none.ini")));
  EXPECT_FALSE(ini.read_bool("Show", "show_zoom_toolbar", false));
  EXPECT_TRUE(ini.read_bool("Show", "show_zoom_toolbar", true));
  write_file_bytes(folder.file("other.ini"), {'[', 'A', ']', '\n', 'k', '=', 'x', '\n'});
  const IniFile other(QString::fromStdString(folder.file("other.ini")));
  EXPECT_FALSE(other.read_bool("A", "k", false));
  EXPECT_EQ(other.read_string("a", "K", "d"), "x");
  EXPECT_EQ(other.read_string("B", "k", "d"), "d");
}

TEST(IniFile, WritesKeepOtherSectionsAndKeys) {
  TempDir folder;
  const IniFile ini(QString::fromStdString(folder.file("s.ini")));
  ASSERT_TRUE(ini.write_string("Directories", "input_directory", "/in"));
  ASSERT_TRUE(ini.write_bool("Show", "show_zoom_toolbar", true));
  ASSERT_TRUE(ini.write_string("Directories", "output_directory", "/out"));
  ASSERT_TRUE(ini.write_bool("Show", "show_zoom_toolbar", false));
  EXPECT_EQ(contents(ini.path()),
            "[Directories]\ninput_directory=/in\noutput_directory=/out\n[Show]\nshow_zoom_toolbar=0\n");
  EXPECT_EQ(ini.read_string("Directories", "input_directory", ""), "/in");
}

TEST(IniFile, UnwritableFileFailsQuietly) {
  const IniFile ini("/nonexistent-folder/s.ini");
  EXPECT_FALSE(ini.write_bool("Show", "show_zoom_toolbar", true));
}

TEST(ZoomToolbarSetting, ReadWhenShownAndWrittenOnClose) {
  WindowUnderTest window;
  write_file_bytes(window.folder.file("wsqview.ini"),
                   std::vector<uint8_t>({'[', 'S', 'h', 'o', 'w', ']', '\n', 's', 'h', 'o', 'w', '_', 'z', 'o', 'o', 'm',
                                         '_', 't', 'o', 'o', 'l', 'b', 'a', 'r', '=', '1', '\n'}));
  EXPECT_TRUE(window.form->ZoomPanelControl->isHidden());
  window.form->show();
  EXPECT_TRUE(window.form->MenuZoomToolbar->isChecked());
  EXPECT_TRUE(window.form->ZoomPanelControl->isVisible());
  window.form->MenuZoomToolbar->trigger();
  EXPECT_FALSE(window.form->ZoomPanelControl->isVisible());
  window.form->close();
  EXPECT_EQ(contents(window.form->SettingsPath()), "[Show]\nshow_zoom_toolbar=0\n");
}

TEST(ZoomToolbarSetting, MissingSettingsStartHiddenAndCloseWritesThem) {
  WindowUnderTest window;
  window.form->show();
  EXPECT_FALSE(window.form->ZoomPanelControl->isVisible());
  window.form->MenuZoomToolbar->trigger();
  EXPECT_TRUE(window.form->ZoomPanelControl->isVisible());
  window.form->close();
  EXPECT_EQ(contents(window.form->SettingsPath()), "[Show]\nshow_zoom_toolbar=1\n");
}

TEST(ZoomToolbarSetting, UnwritableSettingsDoNotKeepTheWindowOpen) {
  test_application();
  ScriptedMessageBoxes boxes;
  TMainWSQForm form(boxes, "/nonexistent-folder/wsqview.ini", QString());
  form.show();
  EXPECT_TRUE(form.close());
  EXPECT_TRUE(boxes.shown.empty());
}
