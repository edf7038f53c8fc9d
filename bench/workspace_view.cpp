// Opens a generated 24-megapixel JPEG through the workspace controller and shows it in a view
// (time to the first painted frame, beside the engine's own open of the same file in the same
// run), then brushes 500 mouse moves through the view (time from the mouse event to the patch in
// the scene, and to the patch painted) and reports the peak memory.
// Usage: workspace_view [work folder]   (runs offscreen unless QT_QPA_PLATFORM says otherwise)
#include "BenchSupport.h"

#include "Engine/PaintTools.h"
#include "Engine/WorkspaceController.h"
#include "Workspace/WorkspaceView.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <glog/logging.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

using namespace Zentor;
using namespace Bench;

namespace {

constexpr int WIDTH = 6000;
constexpr int HEIGHT = 4000;
constexpr int RUNS = 3;
constexpr int MOVES = 500;

// The program's view, noting when its first paint is done.
class TimedView : public Glimra::WorkspaceView {
 public:
  using Glimra::WorkspaceView::WorkspaceView;
  bool painted = false;

 protected:
  void paintEvent(QPaintEvent* event) override {
    Glimra::WorkspaceView::paintEvent(event);
    painted = true;
  }
};

void WritePhotoJpeg(const std::string& path) {
  QImage photo(WIDTH, HEIGHT, QImage::Format_RGB888);
  for (int y = 0; y < HEIGHT; ++y) {
    uchar* row = photo.scanLine(y);
    for (int x = 0; x < WIDTH; ++x) {
      const double wave = std::sin(x * 0.003) * std::cos(y * 0.004);
      const int noise = static_cast<int>((x * 7919u + y * 104729u) % 23u);
      row[x * 3 + 0] = uchar(std::clamp(128 + 100 * wave + noise, 0.0, 255.0));
      row[x * 3 + 1] = uchar((x / 24 + y / 16 + noise) & 0xFF);
      row[x * 3 + 2] = uchar(std::clamp(255.0 * y / HEIGHT - noise, 0.0, 255.0));
    }
  }
  if (!photo.save(QString::fromStdString(path), "JPEG", 92)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

// The offscreen screen is 800 x 600, so the view is smaller; the picture fits into it.
void ShowFitted(TimedView& view, const Glimra::IWorkspaceController& controller) {
  view.resize(800, 600);
  view.setScene(controller.GetScene());
  view.show();
  view.fitInView(controller.GetScene()->sceneRect(), Qt::KeepAspectRatio);
  while (!view.painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1, size_t(std::ceil(p * double(values.size()))) - 1);
  return values[index];
}

}  // namespace

int main(int argc, char** argv) {
  google::InitGoogleLogging(argv[0]);
  FLAGS_minloglevel = google::GLOG_WARNING;
  const std::string dir = argc > 1 ? argv[1] : "/tmp/glimra-bench-workspace";
  RunCommand("rm -rf " + dir + " && mkdir -p " + dir + "/engine");
  // The controller's session folders and settings stay inside the work folder.
  setenv("XDG_CACHE_HOME", (dir + "/cache").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);

  const std::string jpeg = dir + "/photo.jpg";
  std::printf("Generating a %dx%d JPEG...\n", WIDTH, HEIGHT);
  WritePhotoJpeg(jpeg);

  NoStatistics statistics;
  const long baseKb = PeakKb();
  double engineOpen = 1e9;
  double viewOpen = 1e9;
  double controllerOpen = 1e9;
  for (int run = 0; run < RUNS; ++run) {
    {
      // The engine alone: open and the picture to show, as the scene takes it.
      Glimra::IGlimraCore::Initializer init =
          EngineInit(jpeg, dir + "/engine/", "open" + std::to_string(run), &statistics);
      const auto start = Clock::now();
      Glimra::GlimraCorePtr engine = Glimra::IGlimraCore::Create(init);
      if (!engine->GetVideo()) return 1;
      engineOpen = std::min(engineOpen, Seconds(start));
    }
    const auto start = Clock::now();
    Glimra::WorkspaceControllerPtr controller = Glimra::WorkspaceController::Create(&statistics, jpeg, "");
    controllerOpen = std::min(controllerOpen, Seconds(start));
    TimedView view;
    ShowFitted(view, *controller);
    viewOpen = std::min(viewOpen, Seconds(start));
  }
  const long openPeakKb = PeakKb();

  // A stroke of the selection brush at the fitted zoom, 40 view pixels wide.
  Glimra::WorkspaceControllerPtr controller = Glimra::WorkspaceController::Create(&statistics, jpeg, "");
  TimedView view;
  ShowFitted(view, *controller);
  const double zoom = view.transform().m11() * 100.0;
  Glimra::PaintTools& tools = *controller->GetPaintTools();
  tools.OnScaleChanged(zoom);
  tools.BrushModeOn(40);

  QWidget* viewport = view.viewport();
  const QGraphicsScene& scene = *controller->GetScene();
  std::vector<double> toPatch;
  std::vector<double> toPainted;
  int rebuilds = 0;
  int withoutPatch = 0;
  // Rows across the picture as the view shows it, 4 view pixels a move.
  const QRect picture = view.mapFromScene(scene.sceneRect()).boundingRect();
  const QRect shown = picture.intersected(viewport->rect()).adjusted(20, 20, -20, -20);
  const int perRow = shown.width() / 4;
  const auto point = [&](int i) {
    return QPoint(shown.left() + (i % perRow) * 4, shown.top() + (i / perRow) * 30 + i % 7);
  };
  QTest::mousePress(viewport, Qt::LeftButton, {}, point(0));
  for (int i = 1; i <= MOVES; ++i) {
    const qsizetype before = scene.items().size();
    const auto start = Clock::now();
    QTest::mouseMove(viewport, point(i));
    toPatch.push_back(Seconds(start) * 1000.0);
    QCoreApplication::processEvents();
    toPainted.push_back(Seconds(start) * 1000.0);
    // The patch cap makes the scene rebuild the whole picture instead of laying the patch; a move
    // shorter than the brush's stamp spacing gives no patch.
    if (scene.items().size() < before) ++rebuilds;
    if (scene.items().size() == before) ++withoutPatch;
  }
  auto start = Clock::now();
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, point(MOVES));
  while (scene.items().size() != 1) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  const double stop = Seconds(start);
  const bool selected = tools.HasSelectedArea();
  const long peakKb = PeakKb();

  const double mean = std::accumulate(toPatch.begin(), toPatch.end(), 0.0) / double(toPatch.size());
  const double meanPainted = std::accumulate(toPainted.begin(), toPainted.end(), 0.0) / double(toPainted.size());
  std::printf("engine open to first GetVideo          %8.3f s\n", engineOpen);
  std::printf("controller Create                      %8.3f s\n", controllerOpen);
  std::printf("controller to first painted frame      %8.3f s\n", viewOpen);
  std::printf("ratio first painted frame / engine     %8.2f (aim at most 1.20)\n", viewOpen / engineOpen);
  std::printf("view zoom %.1f %%, brush 40 view pixels, %d moves: %d without a patch, %d rebuilds at the patch cap\n",
              zoom, MOVES, withoutPatch, rebuilds);
  std::printf("selection %s\n", selected ? "made" : "MISSING");
  std::printf("move to patch in scene   mean %6.2f ms  p99 %6.2f ms  max %6.2f ms (aim p99 < 16)\n", mean,
              Percentile(toPatch, 0.99), *std::max_element(toPatch.begin(), toPatch.end()));
  std::printf("move to patch painted    mean %6.2f ms  p99 %6.2f ms  max %6.2f ms\n", meanPainted,
              Percentile(toPainted, 0.99), *std::max_element(toPainted.begin(), toPainted.end()));
  std::printf("release to rebuilt picture             %8.3f s\n", stop);
  std::printf("peak memory: after opens %.1f MB, after the stroke %.1f MB (start %.1f MB)\n", openPeakKb / 1024.0,
              peakKb / 1024.0, baseKb / 1024.0);
  controller.reset();
  RunCommand("rm -rf " + dir);
  return selected ? 0 : 1;
}
