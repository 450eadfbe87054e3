#pragma once
// How the along-row kernel works out a line plan. The row is copied to
// scratch in segments (the two halves a synthesis reads, or the even and
// odd samples an analysis reads), each with room on both sides, so that
// every run of outputs reads consecutive scratch samples. Runs are then
// stretched towards the ends of the line: an end output whose taps are
// those of the run shifted on, except that the reflected ones read other
// samples, joins the run once those samples are copied into the room
// beside its segment. What no run takes is worked out one output at a time.
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

  static constexpr int32_t kMinRun = 16;
  // Room on each side of a segment; a run is stretched no further.
  static constexpr int32_t kRoom = 256;
};

// Scratch floats any row layout of a line of `length` samples needs.
inline std::size_t row_scratch_size(int32_t length) {
  return static_cast<std::size_t>(length) + 4 * RowLayout::kRoom;
}

// Lays out `plan`, whose taps read `segments` (their `at` is filled in), for
// runs of outputs `step` apart.
RowLayout row_layout(const LinePlan& plan, std::vector<RowLayout::Segment> segments, int32_t step);
