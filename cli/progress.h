#pragma once
// The progress line of a folder run on standard error.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

// "12/40 files, 3.4 MB/s, 0:05 elapsed, ETA 0:12".
std::string progress_text(size_t done, size_t total, uint64_t bytes, double seconds);

// Redraws the line in place, at most ten times a second; silent when not
// enabled.
class ProgressLine {
 public:
  ProgressLine(FILE* stream, bool enabled, size_t total);
  void update(size_t done, uint64_t bytes);
  // Draws the final state and ends the line.
  void finish(size_t done, uint64_t bytes);

 private:
  void draw(size_t done, uint64_t bytes);

  FILE* stream_;
  bool enabled_;
  size_t total_;
  size_t drawn_length_ = 0;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_draw_;
};
