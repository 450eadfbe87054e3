#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/temp_dir.h"
#include "tests/viewer/qt_test_application.h"
#include "viewer/dialogs/about_form.h"
#include "viewer/window/about_menu.h"
#include "viewer/window/main_window.h"
#include "viewer/widgets/message_boxes.h"
#include "viewer/dialogs/system_info.h"

namespace {

QStringList lines_of(const QPlainTextEdit* memo) { return memo->toPlainText().split('\n'); }

}  // namespace

TEST(AboutBox, DescriptionListsTheFormatsInOrder) {
  const QStringList lines = ProgramDescriptionLines();
  ASSERT_EQ(lines.size(), 2 + 33 + 1 + 7 + 2);
  EXPECT_EQ(lines[0], "Reads and converts between WSQ and other graphic file formats.");
  EXPECT_EQ(lines[1], "Supported formats for reading:");
  EXPECT_EQ(lines[2], "WSQ - FBI's Wavelet Scalar Quantization");
  EXPECT_EQ(lines[34], "EMF - Windows enhanced meta files");
  EXPECT_EQ(lines[35], "Supported formats for writing:");
  EXPECT_EQ(lines[40], "JPEG  - Joint Photographic Experts Group");
  EXPECT_EQ(lines[42], "TGA   - Truevision Targa Graphic");
  EXPECT_EQ(lines[43], "For latest version and more information please visit:");
  EXPECT_EQ(lines[44], WebSiteAddress);
}

TEST(AboutBox, SystemLinesCarryMemoryNameNumbersAndServicePack) {
  SystemInfo info;
  info.SystemName.clear();
  info.WindowsVersionKind = 18;
  info.MajorVersion = 5;
  info.MinorVersion = 1;
  info.BuildNumber = 2600;
  info.ServicePackText = "Service Pack 2 (Build 2600)\n";
  const QStringList lines = SystemInfoLines(info, 512000);
  EXPECT_EQ(lines, (QStringList{"Memory available to Windows: 500 KB", "Operating System: Windows XP Professional",
                                "Major version: 5", "Minor version: 1", "Build number:  2600",
                                "Service Pack info: Service Pack 2 (Build 2600)\n"}));
  info.SystemName = "Linux";
  EXPECT_EQ(SystemInfoLines(info, 314572800)[0], "Memory available to Windows: 307 MB");
  EXPECT_EQ(SystemInfoLines(info, 0)[1], "Operating System: Linux");
}

TEST(AboutBox, ShowFillsBothBoxes) {
  test_application();
  ScriptedMessageBoxes boxes;
  TAboutForm form(boxes);
  form.show();
  EXPECT_EQ(form.windowTitle(), "About");
  EXPECT_EQ(form.size(), QSize(406, 268));
  EXPECT_EQ(form.LabelProgramDescription2->text(), "DIZ udizev v. 2.0");
  EXPECT_EQ(lines_of(form.ProgramDescriptionMemo), ProgramDescriptionLines());
  const QStringList system = lines_of(form.SysInfoMemo);
  ASSERT_EQ(system.size(), 6);
  EXPECT_TRUE(system[0].startsWith("Memory available to Windows: "));
  EXPECT_NE(system[1], "Operating System: ");
  EXPECT_EQ(system[5], "Service Pack info: ");
  EXPECT_TRUE(form.SysInfoMemo->isReadOnly());
  EXPECT_FALSE(form.CompanyLogoImage->pixmap().isNull());
  form.show();
  EXPECT_EQ(lines_of(form.SysInfoMemo).size(), 6);
  form.Button1->click();
  EXPECT_FALSE(form.isVisible());
}

TEST(AboutBox, LinkThatCannotOpenSaysSo) {
  test_application();
  ScriptedMessageBoxes boxes;
  TAboutForm form(boxes);
  QUrl asked;
  form.OpenUrl = [&](const QUrl& url) {
    asked = url;
    return false;
  };
  form.LabelWebLinkClick();
  EXPECT_EQ(asked, QUrl(WebSiteAddress));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Unable to start web browser.");
  EXPECT_EQ(boxes.shown[0].flags, 0);
  form.OpenUrl = [](const QUrl&) { return true; };
  form.LabelWebLinkClick();
  EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST(AboutBox, HelpAboutShowsTheBoxModally) {
  test_application();
  TempDir dir;
  ScriptedMessageBoxes boxes;
  TMainWSQForm window(boxes, QString::fromStdString(dir.file("viewer.ini")), QString());
  TAboutForm about(boxes, &window);
  ConnectAboutBox(window, about);
  window.MenuAboutClick();
  EXPECT_EQ(boxes.dialogs_shown, std::vector<QString>{"AboutForm"});
}
