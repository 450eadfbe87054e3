#pragma once
// How the along-row kernel works out a line plan. The row is copied to
// scratch in segments (the two halves a synthesis reads, or the even and
// odd samples an analysis reads), each with room on both sides, so that
// every run of outputs reads consecutive scratch samples. Runs are then
// stretched towards the ends of the line: an end output whose taps are
// those of the run shifted on, except that the reflected ones read other
// samples, joins the run once those samples are copied into the room
// beside its segment. What no run takes is worked out one output at a time.
// Each segment is placed so that the first samples the runs read in it start
// a whole number of kAlignment floats into scratch: the kernel then cuts its
// vectors out of loads that do not straddle cache lines.
#include <cstddef>
#include <cstdint>
#include <vector>

struct LinePlan;

struct RowLayout {
  // The samples a line's taps read: row[source + i * step] for i < count.
  struct Segment {
    int32_t source = 0;
    int32_t count = 0;
    int32_t step = 1;
    int32_t at = 0;  // where the segment starts in scratch
  };

  // A copy made once the segments are in scratch: scratch[to] = scratch[from].
  struct Margin {
    int32_t to = 0;
    int32_t from = 0;
  };

  // Outputs `step` apart from `first`, the k-th of them adding the taps of
  // `first` with every scratch sample k further on.
  struct Run {
    int32_t first = 0;
    int32_t count = 0;
    int32_t position = 0;  // into `positions`: the scratch samples of first's taps
  };

  std::vector<Segment> segments;
  std::vector<Margin> margins;
  std::vector<int32_t> where;  // scratch position of each sample of the row
  int32_t step = 1;            // between the outputs of a run
  std::vector<Run> runs;       // of at least kMinRun outputs
  std::vector<int32_t> positions;
  std::vector<int32_t> singles;  // written outputs in no run, in order
  std::vector<int32_t> untouched;  // outputs that keep the row's own sample

  static constexpr int32_t kMinRun = 16;
  // Room on each side of a segment; a run is stretched no further.
  static constexpr int32_t kRoom = 256;
  // Floats in a cache line, which is also the widest vector.
  static constexpr int32_t kAlignment = 16;
};

// Scratch floats any row layout of a line of `length` samples needs: two
// segments with room on both sides, each moved on by less than kAlignment.
inline std::size_t row_scratch_size(int32_t length) {
  return static_cast<std::size_t>(length) + 4 * RowLayout::kRoom + 2 * RowLayout::kAlignment;
}

// The segment whose samples or room hold scratch position `at`, or -1.
int32_t segment_at(const RowLayout& rows, int32_t at);

// Lays out `plan`, whose taps read `segments` (their `at` is filled in), for
// runs of outputs `step` apart.
RowLayout row_layout(const LinePlan& plan, std::vector<RowLayout::Segment> segments, int32_t step);
