#include "viewer/logic/zoom_math.h"

#include <algorithm>
#include <cmath>

namespace {

int32_t trunc_of(long double value) { return static_cast<int32_t>(std::trunc(value)); }

// floor() of an extended value, rounded to a double first.
int32_t floor_of(long double value) { return static_cast<int32_t>(std::floor(static_cast<double>(value))); }

// Half the growth of a side of length size: size x ((scale - 1) x 0.5).
int32_t half_growth(int32_t size, double scale) {
  const long double half = (static_cast<long double>(scale) - 1) * 0.5L;
  return floor_of(size * half);
}

}  // namespace

bool can_zoom_in(int32_t width, int32_t height, double scale) {
  return static_cast<long double>(width) * scale < kZoomInLimit &&
         static_cast<long double>(height) * scale < kZoomInLimit;
}

bool can_zoom_out(int32_t width, int32_t height, double scale) {
  return static_cast<long double>(width) / scale > kZoomOutLimit &&
         static_cast<long double>(height) / scale > kZoomOutLimit;
}

ViewRect zoomed_in(const ViewRect& view, double scale) {
  ViewRect result;
  result.left = view.left - half_growth(view.width, scale);
  result.top = view.top - half_growth(view.height, scale);
  result.width = trunc_of(static_cast<long double>(view.width) * scale);
  result.height = trunc_of(static_cast<long double>(view.height) * scale);
  return result;
}

ViewRect zoomed_out(const ViewRect& view, double scale) {
  ViewRect result;
  result.width = trunc_of(static_cast<long double>(view.width) / scale);
  result.height = trunc_of(static_cast<long double>(view.height) / scale);
  result.left = view.left + half_growth(result.width, scale);
  result.top = view.top + half_growth(result.height, scale);
  return result;
}

ViewRect fit_view(int32_t image_width, int32_t image_height, double aspect_ratio, int32_t box_width,
                  int32_t box_height) {
  ViewRect result;
  if (image_width > image_height) {
    result.width = box_width - 50;
    result.height = aspect_ratio > 0 ? floor_of(result.width / static_cast<long double>(aspect_ratio)) : 0;
  } else {
    result.height = box_height - 50;
    result.width = floor_of(result.height * static_cast<long double>(aspect_ratio));
  }
  result.top = (box_height - result.height) / 2;
  result.left = (box_width - result.width) / 2;
  return result;
}

ViewRect centred(int32_t width, int32_t height, int32_t box_width, int32_t box_height) {
  return {(box_width - width) / 2, (box_height - height) / 2, width, height};
}

PointFraction point_fraction(int32_t x, int32_t y, int32_t width, int32_t height) {
  return {width > 0 ? static_cast<double>(x) / width : 0.0, height > 0 ? static_cast<double>(y) / height : 0.0};
}

ViewRect zoomed_about_point(const ViewRect& view, double scale, bool zoom_out, PointFraction fraction,
                            int32_t box_width, int32_t box_height) {
  ViewRect result;
  if (zoom_out) {
    result.width = trunc_of(static_cast<long double>(view.width) / scale);
    result.height = trunc_of(static_cast<long double>(view.height) / scale);
  } else {
    result.width = trunc_of(static_cast<long double>(view.width) * scale);
    result.height = trunc_of(static_cast<long double>(view.height) * scale);
  }
  result.left = box_width / 2 - floor_of(result.width * static_cast<long double>(fraction.x));
  result.top = box_height / 2 - floor_of(result.height * static_cast<long double>(fraction.y));
  return result;
}

int32_t track_position_for_scale(long double value) {
  const long double position = std::floor(static_cast<double>((value - 1) * 10));
  return static_cast<int32_t>(std::clamp<long double>(position, 0, 10));
}

double scale_for_track_position(int32_t position) { return static_cast<double>(position * 0.1L + 1); }
