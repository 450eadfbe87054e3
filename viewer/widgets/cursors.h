#pragma once
// The cursors and glyphs the zoom and pan controls use, drawn in code.
#include <QCursor>
#include <QIcon>
#include <QPixmap>

// Screen cursor slots: 0 is the default arrow.
enum CursorSlot : int {
  DefaultCursor = 0,
  HandGrabber = 1,       // open hand, hot spot (16, 16)
  HandGrabberFist = 2,   // closed hand, hot spot (16, 16)
  ZoomInCursor = 3,      // magnifier with a plus, hot spot (14, 14)
  ZoomOutCursor = 4,     // magnifier with a minus, hot spot (14, 14)
};

// The 32 x 32 monochrome cursor of a slot.
QCursor make_cursor(CursorSlot slot);

// The 16 x 6 arrow glyphs of the "More"/"Less" button.
QPixmap more_settings_arrow_down();
QPixmap more_settings_arrow_up();

// The 24 x 24 glyphs of the four zoom buttons.
QIcon zoom_in_glyph();
QIcon zoom_out_glyph();
QIcon fit_view_glyph();
QIcon original_size_glyph();
