// The arithmetic of the magnified view: which image pixels an exposed area
// shows, zoom steps about a point, 1:1, panning, and keeping the zoom panel
// inside the window.
#include <gtest/gtest.h>

#include "viewer/logic/magnify_math.h"
#include "viewer/logic/panel_placement.h"
#include "viewer/logic/view_mapping.h"

TEST(ViewMapping, MagnifiedAreaMapsToWholePixelSquares) {
  // An 81 x 81 print at 16x: view pixels 40..87 show image pixels 2..5.
  const SourceSpan span = visible_source(QRect(40, 40, 48, 48), QSize(1296, 1296), QSize(81, 81), 0);
  EXPECT_EQ(span.source, QRect(2, 2, 4, 4));
  EXPECT_EQ(span.target, QRectF(32, 32, 64, 64));
}

TEST(ViewMapping, ReducedAreaIsWidenedByTheMarginWithinTheImage) {
  const SourceSpan span = visible_source(QRect(0, 10, 50, 10), QSize(100, 100), QSize(400, 400), 1);
  EXPECT_EQ(span.source, QRect(0, 39, 201, 42));
  EXPECT_DOUBLE_EQ(span.target.top(), 9.75);
  EXPECT_DOUBLE_EQ(span.target.width(), 50.25);
}

TEST(ViewMapping, NothingToDrawForEmptySizes) {
  EXPECT_TRUE(visible_source(QRect(0, 0, 10, 10), QSize(0, 10), QSize(5, 5), 0).source.isEmpty());
  EXPECT_TRUE(visible_source(QRect(), QSize(10, 10), QSize(5, 5), 0).source.isEmpty());
}

TEST(MagnifyMath, StepKeepsThePointUnderTheAnchor) {
  const ViewRect view{-50, 0, 200, 100};  // a 100 x 50 image at 2x
  const ViewRect next = stepped_about(view, 100, 50, 2.0, 1.0, 50, 25);
  EXPECT_EQ(next, (ViewRect{-150, -25, 400, 200}));
  // The anchor lay as far across the image before as after.
  EXPECT_DOUBLE_EQ((50.0 - view.left) / view.width, (50.0 - next.left) / next.width);
}

TEST(MagnifyMath, StepsStopAtSixtyFourTimes) {
  ViewRect view{0, 0, 81, 81};
  for (int i = 0; i < 40; ++i) view = stepped_about(view, 81, 81, 1.3, 1.0, 0, 0);
  EXPECT_EQ(view.width, 81 * 64);
  EXPECT_EQ(stepped_about(view, 81, 81, 1.3, 1.0, 0, 0), view);
}

TEST(MagnifyMath, StepsOutStopAtTheFitView) {
  ViewRect view{0, 0, 4000, 4000};
  for (int i = 0; i < 40; ++i) view = stepped_about(view, 4000, 4000, 1 / 1.3, 0.1, 0, 0);
  EXPECT_EQ(view.width, 400);
  // A view already smaller than the fit may grow but not shrink further.
  const ViewRect small{0, 0, 100, 100};
  EXPECT_EQ(stepped_about(small, 4000, 4000, 1 / 1.3, 0.1, 0, 0), small);
  EXPECT_GT(stepped_about(small, 4000, 4000, 1.3, 0.1, 0, 0).width, 100);
}

TEST(MagnifyMath, ActualSizeAndPanStep) {
  EXPECT_EQ(scaled_about({0, 0, 300, 200}, 600, 400, 1.0, 150, 100), (ViewRect{-150, -100, 600, 400}));
  EXPECT_EQ(pan_step(493), 49);
  EXPECT_EQ(pan_step(5), 1);
}

TEST(PanelPlacement, KeptInsideTheArea) {
  EXPECT_EQ(kept_inside(QPoint(500, 500), QSize(169, 66), QSize(513, 514)), QPoint(344, 448));
  EXPECT_EQ(kept_inside(QPoint(-30, -4), QSize(169, 66), QSize(513, 514)), QPoint(0, 0));
  EXPECT_EQ(kept_inside(QPoint(20, 30), QSize(169, 66), QSize(513, 514)), QPoint(20, 30));
  // An area smaller than the panel keeps it at the top left.
  EXPECT_EQ(kept_inside(QPoint(20, 30), QSize(169, 66), QSize(100, 40)), QPoint(0, 0));
}
