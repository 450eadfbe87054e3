#pragma once
// The arithmetic of zoom and pan, apart from any window. Products and
// quotients are formed in extended precision (long double); trunc() of them
// truncates toward zero, floor() rounds down; halving a pixel count is
// integer division.
#include <cstdint>

// Place and size of the image control inside the scroll box.
struct ViewRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;

  bool operator==(const ViewRect&) const = default;
};

// Zoom in is refused when a side would reach 2048 pixels; zoom out when a
// side would not stay above 10.
inline constexpr int32_t kZoomInLimit = 2048;
inline constexpr int32_t kZoomOutLimit = 10;

bool can_zoom_in(int32_t width, int32_t height, double scale);
bool can_zoom_out(int32_t width, int32_t height, double scale);

// One zoom step about the control's centre.
ViewRect zoomed_in(const ViewRect& view, double scale);
ViewRect zoomed_out(const ViewRect& view, double scale);

// The image sized to the box less a 50-pixel margin on its longer side, centred.
ViewRect fit_view(int32_t image_width, int32_t image_height, double aspect_ratio, int32_t box_width,
                  int32_t box_height);

// A control of the given size centred in the box.
ViewRect centred(int32_t width, int32_t height, int32_t box_width, int32_t box_height);

// A point as fractions of the control's width and height (0 for an empty side).
struct PointFraction {
  double x = 0;
  double y = 0;
};
PointFraction point_fraction(int32_t x, int32_t y, int32_t width, int32_t height);

// One zoom step that brings the pressed point to the centre of the box.
ViewRect zoomed_about_point(const ViewRect& view, double scale, bool zoom_out, PointFraction fraction,
                            int32_t box_width, int32_t box_height);

// The track-bar position of a zoom scale, floor((value - 1) x 10), clamped to 0..10.
int32_t track_position_for_scale(long double value);
// The zoom scale a track-bar position stands for, 1 + position x 0.1.
double scale_for_track_position(int32_t position);
