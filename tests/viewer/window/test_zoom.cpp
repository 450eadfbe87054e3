// Zoom and pan: the arithmetic, and the zoom panel driving the real window.
#include <gtest/gtest.h>

#include <QBitmap>
#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>

#include "tests/viewer/test_main_window_helpers.h"
#include "viewer/widgets/cursors.h"
#include "viewer/widgets/image_view.h"
#include "viewer/logic/number_text.h"
#include "viewer/widgets/scroll_box.h"
#include "viewer/pictures/toolkit_error.h"
#include "viewer/logic/zoom_math.h"
#include "viewer/widgets/zoom_panel.h"

TEST(ZoomMath, ZoomInKeepsTheCentre) {
  EXPECT_EQ(zoomed_in({10, 10, 200, 100}, 1.3), (ViewRect{-20, -5, 260, 130}));
  // The double nearest 1.7 lies below it.
  EXPECT_EQ(zoomed_in({0, 0, 100, 100}, 1.7).width, 169);
}

TEST(ZoomMath, ZoomOutShrinksAboutTheCentre) {
  // The double nearest 1.3 lies above it, so 260 / 1.3 truncates to 199.
  EXPECT_EQ(zoomed_out({-20, -5, 260, 130}, 1.3), (ViewRect{-20 + 29, -5 + 14, 199, 99}));
  EXPECT_EQ(zoomed_out({0, 0, 300, 200}, 1.5), (ViewRect{50, 33, 200, 133}));
}

TEST(ZoomMath, Limits) {
  EXPECT_FALSE(can_zoom_in(1024, 500, 2.0));
  EXPECT_TRUE(can_zoom_in(1023, 500, 2.0));
  EXPECT_FALSE(can_zoom_in(500, 1024, 2.0));
  EXPECT_FALSE(can_zoom_out(20, 30, 2.0));
  EXPECT_TRUE(can_zoom_out(21, 30, 2.0));
  EXPECT_FALSE(can_zoom_out(30, 20, 2.0));
}

TEST(ZoomMath, FitView) {
  EXPECT_EQ(fit_view(400, 300, 400.0 / 300.0, 493, 479), (ViewRect{25, 73, 443, 332}));
  // Portrait: the height fills the box less the margin.
  EXPECT_EQ(fit_view(300, 600, 0.5, 493, 479), (ViewRect{(493 - 214) / 2, 25, 214, 429}));
  // No image: a zero-wide control, no division by zero.
  EXPECT_EQ(fit_view(0, 0, 0, 493, 479).width, 0);
}

TEST(ZoomMath, PointZoomBringsThePointToTheCentre) {
  const ViewRect view{0, 0, 200, 100};
  const PointFraction fraction = point_fraction(50, 25, 200, 100);
  EXPECT_EQ(zoomed_about_point(view, 2.0, false, fraction, 493, 479), (ViewRect{246 - 100, 239 - 50, 400, 200}));
  EXPECT_EQ(zoomed_about_point(view, 2.0, true, fraction, 493, 479), (ViewRect{246 - 25, 239 - 12, 100, 50}));
}

TEST(ZoomMath, EveryTenthHasItsOwnTrackPosition) {
  for (int tenth = 0; tenth <= 10; ++tenth) {
    const QString text = tenth == 10 ? QString("2") : QString("1.%1").arg(tenth);
    EXPECT_EQ(track_position_for_scale(parse_real(text)), tenth) << text.toStdString();
    EXPECT_EQ(shortest_real_text(scale_for_track_position(tenth)), tenth == 0 ? QString("1") : text);
  }
  EXPECT_EQ(track_position_for_scale(parse_real("1.35")), 3);
  EXPECT_EQ(track_position_for_scale(parse_real("1.45")), 4);
}

class ZoomWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test_image(400, 300).save(window.file("a.png")));
    window.form->OpenDialogFileName = window.file("a.png");
    window.form->ReadFromOpenDialog = true;
    window.form->OpenPicture1Accept();
    ASSERT_TRUE(window.boxes.shown.empty());
  }
  ZoomPanel& panel() { return *window.form->ZoomPanelControl; }
  QLineEdit& scale_edit() { return *panel().ZoomScaleEdit; }

  WindowUnderTest window;
};

TEST_F(ZoomWindow, StartsAtScaleOnePointThreeCentred) {
  EXPECT_EQ(window.form->ZoomScale, 1.3);
  EXPECT_EQ(scale_edit().text(), "1.3");
  EXPECT_EQ(panel().ZoomTrackBar->value(), 3);
  EXPECT_EQ(panel().height(), ZoomPanel::kClosedHeight);
  EXPECT_EQ(window.form->ImageRect(), (ViewRect{(493 - 400) / 2, (479 - 300) / 2, 400, 300}));
}

TEST_F(ZoomWindow, ZoomInOutAndRestore) {
  window.form->SetImageRect({10, 10, 200, 100});
  panel().ZoomInButton->click();
  EXPECT_EQ(window.form->ImageRect(), (ViewRect{-20, -5, 260, 130}));
  // The view draws the full-size picture itself; no scaled copy is made.
  EXPECT_EQ(window.form->OutputImage->size(), QSize(260, 130));
  EXPECT_EQ(window.form->OutputImage->picture().size(), window.form->WorkingBitmap.size());
  panel().ZoomOutButton->click();
  EXPECT_EQ(window.form->ImageRect(), (ViewRect{9, 9, 199, 99}));
  panel().RestoreOriginalSizeButton->click();
  EXPECT_EQ(window.form->ImageRect(), (ViewRect{46, 89, 400, 300}));
}

TEST_F(ZoomWindow, ZoomLimits) {
  window.form->ZoomScale = 2;
  window.form->SetImageRect({0, 0, 1024, 500});
  panel().ZoomInButton->click();
  EXPECT_EQ(window.form->ImageRect().width, 1024);
  window.form->SetImageRect({0, 0, 1023, 500});
  panel().ZoomInButton->click();
  EXPECT_EQ(window.form->ImageRect().width, 2046);
  window.form->SetImageRect({0, 0, 20, 30});
  panel().ZoomOutButton->click();
  EXPECT_EQ(window.form->ImageRect().width, 20);
}

TEST_F(ZoomWindow, FitView) {
  panel().FitViewButton->click();
  EXPECT_EQ(window.form->ImageRect(), (ViewRect{25, 73, 443, 332}));
}

TEST_F(ZoomWindow, PointZoomArmsThenZoomsAboutThePressedPoint) {
  panel().ZoomSelectedPointCheckBox->setChecked(true);
  window.form->ZoomScale = 2;
  window.form->SetImageRect({0, 0, 200, 100});
  panel().ZoomInButton->click();
  EXPECT_TRUE(window.form->ZoomPointArmed);
  EXPECT_EQ(window.form->ImageRect().width, 200);
  window.form->OutputImageMouseDown(Qt::LeftButton, QPoint(50, 25));
  EXPECT_FALSE(window.form->ZoomPointArmed);
  EXPECT_EQ(window.form->ImageRect(), (ViewRect{146, 189, 400, 200}));
}

TEST_F(ZoomWindow, DraggingMovesTheImage) {
  const ViewRect before = window.form->ImageRect();
  window.form->OutputImageMouseDown(Qt::LeftButton, QPoint(10, 10));
  window.form->OutputImageMouseMove(Qt::LeftButton, QPoint(10, 10));
  window.form->OutputImageMouseMove(Qt::LeftButton, QPoint(25, 4));
  EXPECT_EQ(window.form->ImageRect().left, before.left + 15);
  EXPECT_EQ(window.form->ImageRect().top, before.top - 6);
  window.form->OutputImageMouseMove(Qt::NoButton, QPoint(40, 40));
  EXPECT_FALSE(window.form->Dragging);
  EXPECT_EQ(window.form->ImageRect().left, before.left + 15);
}

TEST_F(ZoomWindow, ScrollBarsAppearWhileTheImageDoesNotFitAndMoveIt) {
  auto& box = static_cast<ScrollBox&>(*window.form->ProcessedImageScrollBox);
  window.form->show();
  EXPECT_TRUE(box.horizontalBar()->isHidden());
  EXPECT_TRUE(box.verticalBar()->isHidden());
  window.form->SetImageRect({-100, 20, 800, 300});
  ASSERT_FALSE(box.horizontalBar()->isHidden());
  EXPECT_TRUE(box.verticalBar()->isHidden());
  EXPECT_EQ(box.horizontalBar()->value(), 100);
  box.horizontalBar()->setValue(250);
  EXPECT_EQ(window.form->ImageRect(), (ViewRect{-250, 20, 800, 300}));
  box.horizontalBar()->setValue(box.horizontalBar()->minimum());
  EXPECT_EQ(window.form->ImageRect().left, 0);
  window.form->SetImageRect({10, 10, 100, 100});
  EXPECT_TRUE(box.horizontalBar()->isHidden());
}

TEST_F(ZoomWindow, MoreLessTogglesTheSettingsRow) {
  const int top = panel().y();
  panel().MoreLessButton->click();
  EXPECT_EQ(panel().height(), ZoomPanel::kOpenHeight);
  EXPECT_EQ(panel().MoreLessButton->text(), "Less");
  EXPECT_EQ(panel().MoreLessButton->y(), 136);
  EXPECT_EQ(panel().y(), top);
  EXPECT_FALSE(panel().ZoomTrackBar->isHidden());
  panel().MoreLessButton->click();
  EXPECT_EQ(panel().height(), ZoomPanel::kClosedHeight);
  EXPECT_EQ(panel().MoreLessButton->text(), "More");
  EXPECT_EQ(panel().MoreLessButton->y(), 48);
  EXPECT_TRUE(panel().ZoomTrackBar->isHidden());
}

TEST_F(ZoomWindow, TypingAScaleMovesTheTrackBar) {
  window.form->ZoomScaleEditEnter();
  scale_edit().clear();
  type_keys(&scale_edit(), "1.7");
  EXPECT_EQ(panel().ZoomTrackBar->value(), 7);
  EXPECT_EQ(window.form->ZoomScale, 1.7);
}

TEST_F(ZoomWindow, ReplacingADigitSnapsToTheTrackPosition) {
  scale_edit().setText("1.35");
  EXPECT_EQ(panel().ZoomTrackBar->value(), 3);
  scale_edit().setText("1.45");
  EXPECT_EQ(panel().ZoomTrackBar->value(), 4);
  EXPECT_EQ(scale_edit().text(), "1.4");
  EXPECT_EQ(window.form->ZoomScale, 1.4);
}

TEST_F(ZoomWindow, OutOfRangeScalesAreRefusedAndRestored) {
  scale_edit().setText("1.6");
  window.form->ZoomScaleEditEnter();
  scale_edit().setText("0");
  ASSERT_EQ(window.boxes.shown.size(), 1u);
  EXPECT_EQ(window.boxes.shown[0].text, "Zoom scale must be bigger than 1.0");
  EXPECT_EQ(scale_edit().text(), "1.6");
  scale_edit().setText("3");
  ASSERT_EQ(window.boxes.shown.size(), 2u);
  EXPECT_EQ(window.boxes.shown[1].text, "Zoom scale must be less than 2.0");
  EXPECT_EQ(scale_edit().text(), "1.6");
  scale_edit().setText("2");
  scale_edit().setText("1");
  EXPECT_EQ(window.boxes.shown.size(), 2u);
  EXPECT_EQ(window.form->ZoomScale, 1.0);
}

TEST_F(ZoomWindow, TrackBarWritesTheScale) {
  panel().ZoomTrackBar->setValue(9);
  EXPECT_EQ(scale_edit().text(), "1.9");
  EXPECT_EQ(window.form->ZoomScale, 1.9);
  panel().ZoomTrackBar->setValue(10);
  EXPECT_EQ(scale_edit().text(), "2");
}

TEST_F(ZoomWindow, ScaleEditKeyRules) {
  scale_edit().setText("1.5");
  type_keys(&scale_edit(), ".");
  EXPECT_EQ(scale_edit().text(), "1.5");
  type_keys(&scale_edit(), "a");
  EXPECT_EQ(scale_edit().text(), "1.5");
}

TEST_F(ZoomWindow, LoneDotIsAConversionErrorAndChangesNothing) {
  scale_edit().setText(".");
  ASSERT_EQ(window.boxes.shown.size(), 1u);
  EXPECT_EQ(window.boxes.shown[0].flags, MessageBoxError);
  EXPECT_EQ(window.form->ZoomScale, 1.3);
}

TEST_F(ZoomWindow, EmptyScaleRestoredOnExit) {
  scale_edit().setText("1.8");
  window.form->ZoomScaleEditEnter();
  scale_edit().clear();
  window.form->ZoomScaleEditExit();
  EXPECT_EQ(scale_edit().text(), "1.8");
}

TEST_F(ZoomWindow, FocusMovesRunEnterAndExitButWindowActivationDoesNot) {
  scale_edit().setText("1.2");
  QFocusEvent tabbed_in(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(&scale_edit(), &tabbed_in);
  EXPECT_EQ(window.form->SavedZoomScale, 1.2);
  scale_edit().setText("1.5");
  QFocusEvent reactivated(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(&scale_edit(), &reactivated);
  EXPECT_EQ(window.form->SavedZoomScale, 1.2);
  scale_edit().clear();
  QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(&scale_edit(), &deactivated);
  EXPECT_EQ(scale_edit().text(), "");
  QFocusEvent tabbed_out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(&scale_edit(), &tabbed_out);
  EXPECT_EQ(scale_edit().text(), "1.2");
}

TEST(Cursors, FourMonochromeCursorsWithTheirHotSpots) {
  test_application();
  for (const CursorSlot slot : {HandGrabber, HandGrabberFist, ZoomInCursor, ZoomOutCursor}) {
    const QCursor cursor = make_cursor(slot);
    EXPECT_EQ(cursor.bitmap().size(), QSize(32, 32)) << slot;
    EXPECT_EQ(cursor.mask().size(), QSize(32, 32)) << slot;
    const QPoint hot_spot = slot <= HandGrabberFist ? QPoint(16, 16) : QPoint(14, 14);
    EXPECT_EQ(cursor.hotSpot(), hot_spot) << slot;
  }
  EXPECT_EQ(more_settings_arrow_down().size(), QSize(16, 6));
  EXPECT_NE(more_settings_arrow_down().toImage(), more_settings_arrow_up().toImage());
}

TEST(ZoomWithoutImage, ButtonsDoNothingAndFitViewIsHarmless) {
  WindowUnderTest window;
  const ViewRect before = window.form->ImageRect();
  window.form->ZoomPanelControl->ZoomInButton->click();
  window.form->ZoomPanelControl->ZoomOutButton->click();
  EXPECT_EQ(window.form->ImageRect(), before);
  window.form->ZoomPanelControl->FitViewButton->click();
  EXPECT_EQ(window.form->ImageRect().width, 0);
  EXPECT_TRUE(window.boxes.shown.empty());
}

TEST(NumberText, ShortestTextReadsBack) {
  EXPECT_EQ(shortest_real_text(1.3), "1.3");
  EXPECT_EQ(shortest_real_text(0.75), "0.75");
  EXPECT_EQ(shortest_real_text(2.0), "2");
  EXPECT_EQ(shortest_real_text(0.7 + 1), "1.7");  // 1.7000000000000002 within 15 digits
  EXPECT_EQ(shortest_real_text(1.0 / 3), "0.333333333333333");
}

TEST(NumberText, ParsingAcceptsNumbersOnly) {
  EXPECT_EQ(parse_real("1."), 1.0L);
  EXPECT_EQ(parse_real(" .5 "), 0.5L);
  EXPECT_THROW(parse_real("."), ToolkitError);
  EXPECT_THROW(parse_real(""), ToolkitError);
  EXPECT_THROW(parse_real("1,5"), ToolkitError);
  EXPECT_EQ(parse_integer("500"), 500);
  EXPECT_THROW(parse_integer("5.0"), ToolkitError);
  EXPECT_THROW(parse_integer("99999999999"), ToolkitError);
}
