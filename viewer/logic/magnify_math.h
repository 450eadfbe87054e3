#pragma once
// The arithmetic of the keyboard and wheel zoom, which goes from the
// fit-to-window view up to 64 image pixels per image pixel side, and of
// panning with the arrow keys.
#include <cstdint>

#include "viewer/logic/zoom_math.h"

inline constexpr double kMaxMagnification = 64;

// View pixels per image pixel (0 for an empty image).
double magnification(const ViewRect& view, int32_t image_width);

// The image shown at magnification m, with the point of the view at
// (anchor_x, anchor_y) (scroll box coordinates) kept where it is.
ViewRect scaled_about(const ViewRect& view, int32_t image_width, int32_t image_height, double m,
                      int32_t anchor_x, int32_t anchor_y);

// One zoom step by factor (above 1 enlarges, below 1 reduces) about the
// anchor. The result stays between fit_magnification and 64, except that a
// view already outside that range may move back towards it.
ViewRect stepped_about(const ViewRect& view, int32_t image_width, int32_t image_height, double factor,
                       double fit_magnification, int32_t anchor_x, int32_t anchor_y);

// How far one arrow key press pans: a tenth of the box side, at least 1.
int32_t pan_step(int32_t box_side);
