// Viewer speed: opening a 1600 x 1500 WSQ file into the main window (decode,
// conversion to the display image, first render), one zoom step of the
// panel at view sizes up to 2048 pixels, and on a 4000 x 4000 print one
// keyboard zoom step with the repaint of the visible part, the memory the
// view holds up to 64x magnification, and a paste from the clipboard.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "imagelib/image_library.h"
#include "tools/synthetic_print.h"
#include "viewer/window/main_window.h"
#include "viewer/pictures/half_size.h"
#include "viewer/widgets/message_boxes.h"
#include "viewer/window/clipboard_actions.h"

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 1500;

QApplication& application() {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "bench_viewer";
  static char* argv[] = {name, nullptr};
  // Never destroyed: Qt's own statics may be gone by the time exit handlers run.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// A synthetic print saved as WSQ in the temporary folder; empty on failure.
std::string sample_wsq() {
  static const std::string path = [] {
    const std::string file = (std::filesystem::temp_directory_path() / "bench_viewer_1600x1500.wsq").string();
    const std::vector<uint8_t> grey = make_synthetic_print(kWidth, kHeight);
    ImageRecord record;
    record.width = kWidth;
    record.height = kHeight;
    record.bits_per_pixel = 24;
    record.pad_rows = 1;
    if (image_allocate(record) != NoError) return std::string();
    for (uint32_t y = 0; y < record.height; ++y) {
      const uint8_t* source = grey.data() + static_cast<size_t>(kHeight - 1 - y) * kWidth;
      for (uint32_t x = 0; x < record.width; ++x) std::fill_n(record.row(y) + x * 3, 3, source[x]);
    }
    ImageInfo info;
    info.bitrate = 0.75;
    info.ppi = 500;
    return save_image(record, file, &info) == NoError ? file : std::string();
  }();
  return path;
}

struct Window {
  Window() : form(boxes, QString::fromStdString((std::filesystem::temp_directory_path() / "bench_viewer.ini").string()), QString()) {}
  bool open(const std::string& file) {
    form.ReadFromOpenDialog = true;
    form.Unattended = true;
    form.OpenDialogFileName = QString::fromStdString(file);
    form.OpenPicture1Accept();
    return boxes.shown.empty() && !form.WorkingBitmap.isNull();
  }
  ScriptedMessageBoxes boxes;
  TMainWSQForm form;
};

void BM_OpenWsqIntoWindow(benchmark::State& state) {
  application();
  const std::string file = sample_wsq();
  Window window;
  if (file.empty() || !window.open(file)) {
    state.SkipWithError("the WSQ sample could not be written or opened");
    return;
  }
  for (auto _ : state) {
    window.open(file);
    benchmark::DoNotOptimize(window.form.OutputImage);
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_OpenWsqIntoWindow)->Unit(benchmark::kMillisecond);

// One zoom-in step whose result is a view state.range(0) pixels wide.
void BM_ZoomStep(benchmark::State& state) {
  application();
  const std::string file = sample_wsq();
  Window window;
  if (file.empty() || !window.open(file)) {
    state.SkipWithError("the WSQ sample could not be written or opened");
    return;
  }
  const int target = static_cast<int>(state.range(0));
  const int width = static_cast<int>(target / 1.3) - 1;
  const int height = width * kHeight / kWidth;
  for (auto _ : state) {
    window.form.SetImageRect({0, 0, width, height});
    window.form.ZoomInButtonClick();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(window.form.ImageRect().width) *
                          window.form.ImageRect().height);
}
BENCHMARK(BM_ZoomStep)->Arg(256)->Arg(512)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);

constexpr int kLargeSide = 4000;

// A 4000 x 4000 synthetic print as the window's 24-bit image.
const QImage& large_print() {
  static const QImage image = [] {
    const std::vector<uint8_t> grey = make_synthetic_print(kLargeSide, kLargeSide);
    QImage print(kLargeSide, kLargeSide, QImage::Format_RGB888);
    for (int y = 0; y < kLargeSide; ++y) {
      uchar* row = print.scanLine(y);
      for (int x = 0; x < kLargeSide; ++x) std::fill_n(row + 3 * x, 3, grey[static_cast<size_t>(y) * kLargeSide + x]);
    }
    return print;
  }();
  return image;
}

// The window showing the large print through a paste, at its design size.
struct LargeWindow : Window {
  LargeWindow() {
    ConnectClipboard(form);
    QGuiApplication::clipboard()->setImage(large_print());
    form.MenuPasteClick();
    form.show();
  }
  // Draws what the scroll box shows, as the next screen update would.
  void repaint() { benchmark::DoNotOptimize(form.ProcessedImageScrollBox->grab()); }
};

long max_rss_kb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// One Ctrl++ step about the centre and the repaint of the visible part,
// starting from magnification state.range(0) / 4 (0: the fit view).
void BM_KeyboardZoomStep4000(benchmark::State& state) {
  application();
  LargeWindow window;
  if (window.form.WorkingBitmap.size() != QSize(kLargeSide, kLargeSide)) {
    state.SkipWithError("the paste did not give the 4000 x 4000 print");
    return;
  }
  if (state.range(0) == 0) {
    window.form.FitViewButtonClick();
  } else {
    const int side = static_cast<int>(kLargeSide * state.range(0) / 4);
    window.form.SetImageRect({-side / 2, -side / 2, side, side});
  }
  const ViewRect start = window.form.ImageRect();
  window.repaint();
  for (auto _ : state) {
    window.form.ZoomStepAboutCentre(true);
    window.repaint();
    state.PauseTiming();
    window.form.SetImageRect(start);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_KeyboardZoomStep4000)->Arg(0)->Arg(4)->Arg(64)->Unit(benchmark::kMillisecond);

// Zooms the large print from the fit view to 64x, repainting at each step;
// reports how much the process's peak memory grew on the way.
void BM_MemoryUpToSixtyFourTimes(benchmark::State& state) {
  application();
  LargeWindow window;
  window.form.FitViewButtonClick();
  window.repaint();
  const long before = max_rss_kb();
  int steps = 0;
  for (auto _ : state) {
    window.form.FitViewButtonClick();
    while (window.form.ImageRect().width < kLargeSide * 64) {
      window.form.ZoomStepAboutCentre(true);
      window.repaint();
      ++steps;
    }
  }
  state.counters["peak_growth_kB"] = static_cast<double>(max_rss_kb() - before);
  state.counters["steps"] = steps;
}
BENCHMARK(BM_MemoryUpToSixtyFourTimes)->Iterations(1)->Unit(benchmark::kMillisecond);

// The half-size copy the first reduced view of a 4000 x 4000 print makes
// (once per picture; later reduced views reuse it).
void BM_HalfSize4000(benchmark::State& state) {
  const QImage& print = large_print();
  for (auto _ : state) benchmark::DoNotOptimize(half_size(print));
}
BENCHMARK(BM_HalfSize4000)->Unit(benchmark::kMillisecond);

// Edit > Paste of a 4000 x 4000 image, with the first repaint.
void BM_Paste4000(benchmark::State& state) {
  application();
  Window window;
  ConnectClipboard(window.form);
  window.form.show();
  QGuiApplication::clipboard()->setImage(large_print());
  for (auto _ : state) {
    window.form.MenuPasteClick();
    benchmark::DoNotOptimize(window.form.ProcessedImageScrollBox->grab());
  }
}
BENCHMARK(BM_Paste4000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
