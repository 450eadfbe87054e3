// The main window as an examiner uses it: a readable information line and
// image properties, sharp pixels at any zoom from the keyboard and the
// wheel, the limits of every load, and the everyday habits of the dialogs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>
#include <QWheelEvent>

#include "tests/viewer/test_main_window_helpers.h"
#include "viewer/dialogs/image_properties_dialog.h"
#include "viewer/logic/ini_file.h"
#include "viewer/logic/magnify_math.h"
#include "viewer/pictures/save_formats.h"
#include "viewer/pictures/wsq_comments.h"
#include "viewer/widgets/elided_label.h"
#include "viewer/widgets/image_view.h"
#include "viewer/widgets/scroll_box.h"
#include "viewer/widgets/zoom_panel.h"

namespace {

void open_interactively(TMainWSQForm& form, const QString& path) { form.OpenFileInteractively(path); }

// The value of the first table row called name, or nothing.
std::optional<QString> row_value(const QTableWidget& table, const QString& name) {
  for (int row = 0; row < table.rowCount(); ++row)
    if (table.item(row, 0)->text() == name) return table.item(row, 1)->text();
  return std::nullopt;
}

std::vector<uint8_t> bytes_of(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return {bytes.begin(), bytes.end()};
}

// A print whose every pixel differs from its right and lower neighbours.
QImage checker_print(int side) {
  QImage image(side, side, QImage::Format_RGB888);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) image.setPixel(x, y, (x + y) % 2 ? qRgb(250, 250, 250) : qRgb(x, y, 20));
  return image;
}

struct ExaminerWindow : ::testing::Test {
  TMainWSQForm& form() { return *window.form; }
  ScrollBox& box() { return static_cast<ScrollBox&>(*form().ProcessedImageScrollBox); }
  QPoint box_centre() { return {box().width() / 2, box().height() / 2}; }

  WindowUnderTest window;
};

}  // namespace

TEST_F(ExaminerWindow, SeveralLineCommentGivesOneElidedLineAndFullProperties) {
  const QString path = window.file("print.wsq");
  ASSERT_EQ(write_test_wsq(path, 120, 100, 500, "Case 17\nleft thumb\r\nscanned twice"), "");
  form().resize(420, 400);
  form().show();
  open_interactively(form(), path);
  const QString line = form().StatusText();
  EXPECT_FALSE(line.contains('\n') || line.contains('\r'));
  EXPECT_TRUE(line.endsWith("Comments: Case 17 left thumb scanned twice"));
  auto* label = form().findChild<ElidedLabel*>("StatusText");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->toolTip(), line);
  EXPECT_TRUE(label->text().endsWith(QChar(0x2026)));
  EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());

  bool inspected = false;
  window.boxes.dialog_scripts.push_back([&](QDialog& dialog) {
    auto& properties = static_cast<TImagePropertiesDialog&>(dialog);
    const QTableWidget& table = *properties.PropertiesTable;
    EXPECT_EQ(row_value(table, "Size"), "120 x 100 pixels");
    EXPECT_EQ(row_value(table, "Resolution"), "500 ppi");
    EXPECT_EQ(row_value(table, "PIX_WIDTH"), "120");
    EXPECT_EQ(row_value(table, "PIX_HEIGHT"), "100");
    EXPECT_EQ(row_value(table, "PPI"), "500");
    EXPECT_TRUE(row_value(table, "NIST_COM").has_value());
    // The memo shows each line break as a new line.
    EXPECT_EQ(properties.CommentsMemo->toPlainText(), "Case 17\nleft thumb\nscanned twice");
    properties.PropertiesTable->selectRow(2);
    EXPECT_EQ(properties.selected_text(), "Size\t120 x 100 pixels\n");
    inspected = true;
    dialog.accept();
  });
  form().MenuImageProperties->trigger();
  EXPECT_TRUE(inspected);
}

TEST_F(ExaminerWindow, KeyboardZoomMagnifiesToSixteenTimesWithSharpSquares) {
  const QImage print = checker_print(81);
  ASSERT_TRUE(print.save(window.file("p.png")));
  open_interactively(form(), window.file("p.png"));
  form().ZoomScale = 2.0;
  for (int i = 0; i < 4; ++i) form().MenuZoomIn->trigger();
  EXPECT_EQ(form().ImageRect().width, 81 * 16);
  const QImage shown = form().OutputImage->grab().toImage().convertToFormat(QImage::Format_RGB888);
  ASSERT_EQ(shown.size(), QSize(81 * 16, 81 * 16));
  for (const QPoint pixel : {QPoint(0, 0), QPoint(1, 0), QPoint(40, 41), QPoint(80, 80)})
    for (const QPoint inside : {QPoint(0, 0), QPoint(15, 0), QPoint(7, 9), QPoint(15, 15)})
      ASSERT_EQ(shown.pixel(pixel * 16 + inside), print.pixel(pixel)) << pixel.x() << "," << pixel.y();
  // The view keeps no scaled copy: it draws the full-size picture itself.
  EXPECT_EQ(form().OutputImage->picture().size(), QSize(81, 81));
  form().MenuActualSize->trigger();
  EXPECT_EQ(form().ImageRect().width, 81);
}

TEST_F(ExaminerWindow, CtrlWheelZoomsAboutThePointerUpToSixtyFourTimes) {
  ASSERT_TRUE(checker_print(100).save(window.file("p.png")));
  open_interactively(form(), window.file("p.png"));
  const ViewRect before = form().ImageRect();
  const QPoint pointer(before.left + 25, before.top + 75);
  QWheelEvent wheel(QPointF(pointer), QPointF(box().mapToGlobal(pointer)), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&box(), &wheel);
  const ViewRect after = form().ImageRect();
  EXPECT_EQ(after.width, 130);
  EXPECT_EQ(pointer.x() - after.left, 33);  // a quarter across, as before
  EXPECT_EQ(pointer.y() - after.top, 98);
  for (int i = 0; i < 30; ++i) QApplication::sendEvent(&box(), &wheel);
  EXPECT_EQ(form().ImageRect().width, 100 * static_cast<int>(kMaxMagnification));
}

TEST_F(ExaminerWindow, ArrowKeysPan) {
  ASSERT_TRUE(checker_print(100).save(window.file("p.png")));
  open_interactively(form(), window.file("p.png"));
  const ViewRect before = form().ImageRect();
  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  QApplication::sendEvent(&form(), &right);
  QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
  QApplication::sendEvent(&form(), &up);
  EXPECT_EQ(form().ImageRect().left, before.left - pan_step(box().width()));
  EXPECT_EQ(form().ImageRect().top, before.top + pan_step(box().height()));
}

TEST_F(ExaminerWindow, FitViewInAnEmptyWindowLeavesSaveDisabledAndNoBars) {
  form().show();
  form().ZoomPanelControl->FitViewButton->click();
  form().MenuFileClick();
  EXPECT_FALSE(form().MenuSavePicture->isEnabled());
  EXPECT_FALSE(form().OutputImage->hasPicture());
  form().resize(120, 120);
  EXPECT_TRUE(box().horizontalBar()->isHidden());
  EXPECT_TRUE(box().verticalBar()->isHidden());
}

TEST_F(ExaminerWindow, ScrollBoxCornerIsPaintedBetweenTwoBars) {
  ASSERT_TRUE(checker_print(100).save(window.file("p.png")));
  open_interactively(form(), window.file("p.png"));
  form().show();
  auto* corner = box().findChild<QWidget*>("ScrollBoxCorner");
  ASSERT_NE(corner, nullptr);
  EXPECT_FALSE(corner->isVisible());
  form().SetImageRect({-10, -10, 2000, 2000});
  EXPECT_TRUE(corner->isVisible());
  EXPECT_TRUE(corner->autoFillBackground());
}

TEST_F(ExaminerWindow, ZoomPanelStaysInsideTheClientArea) {
  form().show();
  form().MenuZoomToolbar->trigger();
  ZoomPanel& panel = *form().ZoomPanelControl;
  QWidget& client = *panel.parentWidget();
  const auto inside = [&] { return client.rect().contains(panel.geometry()); };
  EXPECT_TRUE(inside());
  form().ZoomPanelMouseDown(Qt::LeftButton, QPoint(5, 5));
  form().ZoomPanelMouseMove(Qt::LeftButton, QPoint(2000, 2000));
  form().ZoomPanelMouseUp(Qt::LeftButton, QPoint(2000, 2000));
  EXPECT_TRUE(inside());
  form().resize(300, 300);
  EXPECT_TRUE(inside());
  panel.move(-500, -500);
  form().MenuZoomToolbar->trigger();
  form().MenuZoomToolbar->trigger();
  EXPECT_TRUE(inside());
}

TEST_F(ExaminerWindow, WsqSavedFromTheViewerRecordsDepthEight) {
  ASSERT_TRUE(test_image(90, 80).save(window.file("colour.png")));
  open_interactively(form(), window.file("colour.png"));
  form().SaveDialogFileName = window.file("out.wsq");
  form().SaveDialogFilterIndex = SaveWsq;
  form().SavePicture1Accept();
  ASSERT_TRUE(window.boxes.shown.empty());
  const WsqComments comments = wsq_comments(bytes_of(window.file("out.wsq")));
  const auto depth = std::find_if(comments.nistcom_fields.begin(), comments.nistcom_fields.end(),
                                  [](const auto& field) { return field.first == "PIX_DEPTH"; });
  ASSERT_NE(depth, comments.nistcom_fields.end());
  EXPECT_EQ(depth->second, "8");
}

TEST_F(ExaminerWindow, DialogsStartInTheCurrentFolderAndProposeTheName) {
  ASSERT_TRUE(test_image(30, 20).save(window.file("scan.png")));
  open_interactively(form(), window.file("scan.png"));
  window.boxes.file_answers = {std::nullopt, std::nullopt};
  form().MenuOpenPicture->trigger();
  form().SaveDialogFilterIndex = SaveTiff;
  form().MenuSavePicture->trigger();
  ASSERT_EQ(window.boxes.file_dialog_starts.size(), 2u);
  EXPECT_EQ(window.boxes.file_dialog_starts[0], QString::fromStdString(window.folder.path().string()));
  EXPECT_EQ(window.boxes.file_dialog_starts[1], window.file("scan.tif"));
}

TEST_F(ExaminerWindow, RecentFilesAreKeptAndMissingOnesDropped) {
  ASSERT_TRUE(test_image(30, 20).save(window.file("one.png")));
  ASSERT_TRUE(test_image(30, 20).save(window.file("two.png")));
  open_interactively(form(), window.file("one.png"));
  open_interactively(form(), window.file("two.png"));
  ASSERT_EQ(form().MenuRecentFiles->actions().size(), 2);
  EXPECT_EQ(form().MenuRecentFiles->actions()[0]->toolTip(), window.file("two.png"));
  QFile::remove(window.file("two.png"));
  window.reopen();
  TMainWSQForm& again = form();
  ASSERT_EQ(again.MenuRecentFiles->actions().size(), 1);
  again.MenuRecentFiles->actions()[0]->trigger();
  EXPECT_EQ(again.CurrentFileName, window.file("one.png"));
}

TEST_F(ExaminerWindow, LoadsObeyTheLimitsOfTheSettingsFile) {
  IniFile settings(window.file("wsqview.ini"));
  ASSERT_TRUE(settings.write_string("Limits", "max_pixels", "100"));
  window.reopen();
  ASSERT_TRUE(test_image(20, 20).save(window.file("big.png")));
  open_interactively(form(), window.file("big.png"));
  ASSERT_EQ(window.boxes.shown.size(), 1u);
  EXPECT_TRUE(window.boxes.shown[0].text.contains("max_pixels = 100")) << window.boxes.shown[0].text.toStdString();
  EXPECT_FALSE(form().OutputImage->hasPicture());
}
