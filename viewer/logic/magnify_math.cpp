#include "viewer/logic/magnify_math.h"

#include <algorithm>
#include <cmath>

double magnification(const ViewRect& view, int32_t image_width) {
  return image_width > 0 ? static_cast<double>(view.width) / image_width : 0;
}

ViewRect scaled_about(const ViewRect& view, int32_t image_width, int32_t image_height, double m,
                      int32_t anchor_x, int32_t anchor_y) {
  const auto width = static_cast<int32_t>(std::max(1.0, std::round(image_width * m)));
  const auto height = static_cast<int32_t>(std::max(1.0, std::round(image_height * m)));
  const double fx = view.width > 0 ? static_cast<double>(anchor_x - view.left) / view.width : 0.5;
  const double fy = view.height > 0 ? static_cast<double>(anchor_y - view.top) / view.height : 0.5;
  return {anchor_x - static_cast<int32_t>(std::lround(fx * width)),
          anchor_y - static_cast<int32_t>(std::lround(fy * height)), width, height};
}

ViewRect stepped_about(const ViewRect& view, int32_t image_width, int32_t image_height, double factor,
                       double fit_magnification, int32_t anchor_x, int32_t anchor_y) {
  if (image_width <= 0 || image_height <= 0) return view;
  const double current = magnification(view, image_width);
  const double lowest = std::min(fit_magnification, current);
  const double highest = std::max(kMaxMagnification, current);
  const double m = std::clamp(current * factor, lowest, highest);
  if (m == current) return view;
  return scaled_about(view, image_width, image_height, m, anchor_x, anchor_y);
}

int32_t pan_step(int32_t box_side) { return std::max(1, box_side / 10); }
