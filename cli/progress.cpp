// Formatting and throttled drawing of the progress line.
#include "cli/progress.h"

#include <cmath>

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string clock_text(double seconds) {
  const long total = static_cast<long>(seconds);
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  }
  return text;
}

}  // namespace

std::string progress_text(size_t done, size_t total, uint64_t bytes, double seconds) {
  const double rate = seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0;
  char text[96];
  std::snprintf(text, sizeof text, "%zu/%zu files, %.1f MB/s, ", done, total, rate);
  std::string line = text;
  line += clock_text(seconds) + " elapsed, ETA ";
  if (done == 0 || seconds <= 0) return line + "?";
  return line + clock_text(seconds / static_cast<double>(done) * static_cast<double>(total - done));
}

ProgressLine::ProgressLine(FILE* stream, bool enabled, size_t total)
    : stream_(stream), enabled_(enabled), total_(total), start_(std::chrono::steady_clock::now()) {
  last_draw_ = start_ - kRedrawInterval;
}

void ProgressLine::update(size_t done, uint64_t bytes) {
  if (!enabled_ || std::chrono::steady_clock::now() - last_draw_ < kRedrawInterval) return;
  draw(done, bytes);
}

void ProgressLine::finish(size_t done, uint64_t bytes) {
  if (!enabled_) return;
  draw(done, bytes);
  std::fputc('\n', stream_);
  std::fflush(stream_);
}

void ProgressLine::draw(size_t done, uint64_t bytes) {
  last_draw_ = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(last_draw_ - start_).count();
  std::string line = progress_text(done, total_, bytes, seconds);
  // Blanks over the rest of a longer previous line.
  const size_t length = line.size();
  if (length < drawn_length_) line.append(drawn_length_ - length, ' ');
  drawn_length_ = length;
  std::fprintf(stream_, "\r%s", line.c_str());
  std::fflush(stream_);
}
