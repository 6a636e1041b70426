// The whole program on a scan folder: the time from process start until every pane of the
// opened folder is drawn, beside reading every file of the folder into fresh buffers; then
// 2-D steps (the next B-scan from the scroll bar, a window drag step in the B-scan pane) and
// a surface-drag step in the B-scan pane with the 3-D pane shown (through its kept picture,
// drawn in full from its buffers, and cell by cell) and hidden, each timed until all their
// paints are done, with the 3-D pane's own CPU time on this thread per step beside that of
// a repaint in full; and the peak memory (VmHWM) of the empty window and with the folder
// open, beside the scan's voxel bytes. With --dense-label the folder is opened from a copy
// whose vessel labels are set in a tenth of the voxels (a band of depth rows through the
// whole scan), beside the folder's own, usually thin, labels. Needs a display (xvfb-run).
//
//   bench_app_steps FOLDER [steps] [--dense-label]
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "data/DecoderHelper.h"
#include "data/LSurfaces.h"
#include "panes/LOCTImage.h"
#include "panes/L3D.h"
#include "panes/PaneWidget.h"
#include "platform/ExecutableDir.h"
#include "platform/Messages.h"
#include "platform/Profile.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point kStart = Clock::now();

double MsSince(Clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double ThreadCpuMs();

// Counts the paints it delivers, so that a step can wait until its paints are done, and
// takes this thread's CPU time in the paints of one widget.
class PaintTimer : public QApplication {
public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override
  {
    if (event->type() != QEvent::Paint)
      return QApplication::notify(receiver, event);
    ++paints;
    if (receiver != watched)
      return QApplication::notify(receiver, event);
    const double start = ThreadCpuMs();
    const bool done = QApplication::notify(receiver, event);
    watchedMs += ThreadCpuMs() - start;
    ++watchedPaints;
    return done;
  }
  void ResetWatched()
  {
    watchedMs = 0.0;
    watchedPaints = 0;
  }
  long paints = 0;
  QObject* watched = nullptr;
  double watchedMs = 0.0;
  long watchedPaints = 0;
};

// Delivers what is pending until nothing more gets painted.
void Settle(PaintTimer& app)
{
  for (int idle = 0; idle < 3;) {
    const long before = app.paints;
    QApplication::sendPostedEvents();
    QApplication::processEvents(QEventLoop::AllEvents);
    idle = app.paints == before ? idle + 1 : 0;
  }
}

// A line of /proc/self/status in KiB ("VmHWM:" the peak, "VmRSS:" now).
long StatusKiB(const std::string& key)
{
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0)
      return std::atol(line.c_str() + key.size());
  return 0;
}

long VmHWMKiB()
{
  return StatusKiB("VmHWM:");
}

double ThreadCpuMs()
{
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A copy of the folder whose vessel labels are set in the depth rows from 45% to 55% of
// every A-scan: a tenth of the voxels, in every B-scan.
std::string FolderWithDenseLabels(const std::string& folder)
{
  namespace fs = std::filesystem;
  const fs::path copy = fs::temp_directory_path() / "strataview-app-steps-dense";
  fs::remove_all(copy);
  fs::create_directories(copy);
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || name.find(".vtk") != std::string::npos)
      continue;
    if (name.find("_Vessel_") == std::string::npos || entry.path().extension() != ".raw")
      fs::copy_file(entry.path(), copy / name);
  }
  for (const auto& entry : fs::directory_iterator(copy)) {
    const std::string name = entry.path().filename().string();
    if (name.find("_Vessel_") == std::string::npos || entry.path().extension() != ".mhd")
      continue;
    std::ifstream header(entry.path());
    std::string line;
    long size[3] = {0, 0, 0};
    while (std::getline(header, line))
      if (line.rfind("DimSize", 0) == 0)
        std::sscanf(line.c_str(), "DimSize = %ld %ld %ld", &size[0], &size[1], &size[2]);
    std::vector<char> slice(static_cast<size_t>(size[0] * size[1]), 0);
    std::fill(slice.begin() + size[0] * (size[1] * 45 / 100), slice.begin() + size[0] * (size[1] * 55 / 100),
              static_cast<char>(255));
    std::ofstream raw(copy / (entry.path().stem().string() + ".raw"), std::ios::binary);
    for (long z = 0; z < size[2]; ++z)
      raw.write(slice.data(), static_cast<std::streamsize>(slice.size()));
  }
  return copy.string();
}

// Every file of the folder read into a fresh buffer of its size.
double ReadFolderMs(const std::string& folder)
{
  const Clock::time_point start = Clock::now();
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file())
      continue;
    std::vector<char> bytes(entry.file_size());
    std::FILE* f = std::fopen(entry.path().c_str(), "rb");
    if (!f)
      continue;
    const size_t read = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (read != bytes.size())
      std::fprintf(stderr, "short read of %s\n", entry.path().c_str());
  }
  return MsSince(start);
}

// The mean time of `steps` steps until their paints are done; the watched widget's paints
// are counted from the first step on.
template <typename Step>
double StepMs(PaintTimer& app, int steps, Step step)
{
  Settle(app);
  app.ResetWatched();
  double total = 0.0;
  for (int i = 0; i < steps; ++i) {
    const Clock::time_point start = Clock::now();
    step(i);
    Settle(app);
    total += MsSince(start);
  }
  return total / steps;
}

void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
  QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_app_steps FOLDER [steps] [--dense-label]\n");
    return 2;
  }
  const bool dense = std::string(argv[argc - 1]) == "--dense-label";
  const int arguments = dense ? argc - 1 : argc;
  const std::string folder = dense ? FolderWithDenseLabels(argv[1]) : argv[1];
  // 0 steps: only the open figures.
  const int steps = arguments > 2 ? std::max(0, std::atoi(argv[2])) : 20;
  PaintTimer app(argc, argv);
  // The grid definitions and the decoder helpers lie beside the program, one folder up from
  // the benchmarks; files are decoded in the helpers, as the program does.
  const std::filesystem::path programFolder = std::filesystem::canonical("/proc/self/exe").parent_path().parent_path();
  platform::SetExecutableDirForTests(programFolder.string());
  decoder::UseHelper((programFolder / decoder::kHelperName).string());
  const std::filesystem::path profile = std::filesystem::temp_directory_path() / "strataview-app-steps-profile";
  std::filesystem::create_directories(profile);
  platform::Profile::SetFolderForTests(QString::fromStdString(profile.string()));
  const platform::ScopedMessageHook quiet([](const std::string& text, unsigned) {
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return static_cast<int>(platform::kIdOk);
  });

  // Set up and shown in the order the program does.
  CMainFrame frame;
  frame.resize(1600, 1000);
  frame.View()->OnInitialUpdate();
  frame.show();
  Settle(app);
  const long emptyKiB = VmHWMKiB();

  const Clock::time_point loadCall = Clock::now();
  if (!frame.View()->ScanFolder(folder)) {
    std::fprintf(stderr, "the folder did not open\n");
    return 1;
  }
  frame.View()->RefreshAll();
  Settle(app);
  const double openMs = MsSince(kStart);
  const double loadMs = MsSince(loadCall);
  const long openKiB = VmHWMKiB();
  const double readMs = ReadFolderMs(folder);

  const LOCTVolume& scan = frame.View()->GetReadVolume();
  const double voxelMiB = static_cast<double>(scan.VoxelCount()) * scan.bytesPerVoxel / 1048576.0;
  std::printf("scan %d x %d x %d, %.0f MiB of voxels%s\n", scan.sizeX, scan.sizeY, scan.sizeZ, voxelMiB,
              dense ? ", vessel labels set in a tenth of them" : "");
  std::printf("open, process start to every pane drawn: %.0f ms; reading every file: %.0f ms (x%.2f)\n", openMs,
              readMs, openMs / readMs);
  std::printf("open, load call to every pane drawn: %.0f ms (x%.2f)\n", loadMs, loadMs / readMs);
  std::printf("peak memory: empty window %.0f MiB, folder open %.0f MiB: %.2fx the voxels above the empty window\n",
              emptyKiB / 1024.0, openKiB / 1024.0, (openKiB - emptyKiB) / 1024.0 / voxelMiB);
  std::printf("resident with the folder open: %.0f MiB\n", StatusKiB("VmRSS:") / 1024.0);
  if (steps == 0)
    return 0;

  auto* bar = frame.findChild<QScrollBar*>(QStringLiteral("IDC_SCROLL_OCTXY"));
  QWidget* bscanHost = frame.findChild<QWidget*>(QStringLiteral("PaneHostXY"));
  QWidget* bscan = bscanHost ? bscanHost->findChild<PaneWidget*>() : nullptr;
  L3D* pane3D = frame.View()->Get3DPane();
  if (!bar || !bscan || !pane3D) {
    std::fprintf(stderr, "panes not found\n");
    return 1;
  }
  const auto nextBScan = [&](int) { bar->setValue(bar->value() < bar->maximum() ? bar->value() + 1 : bar->minimum()); };
  const QPoint middle(bscan->width() / 2, bscan->height() / 2);
  // One move of a left drag in the Window mouse mode; the press and release are not timed.
  const auto windowStep = [&](int i) {
    Mouse(bscan, QEvent::MouseMove, middle + QPoint(i % 2 ? 0 : 4, 0), Qt::NoButton, Qt::LeftButton);
  };
  // One move of a left drag in the Surfaces mouse mode: the fourth surface at the middle
  // A-scan of the shown B-scan, dragged two rows up and back in turn.
  const LSurfaces& surfaces = *frame.View()->Slots().surfaces.displayedObject;
  if (surfaces.surfaceCount < 4) {
    std::fprintf(stderr, "no surfaces to drag\n");
    return 1;
  }
  const int dragX = scan.sizeX / 2;
  int dragRow = 0;
  const auto surfacePoint = [&](int row) {
    const std::optional<SliceMapping> mapping = frame.View()->SlicePane(OrientationXY)->Mapping();
    return mapping ? QPoint(mapping->CentreX(static_cast<float>(dragX)), mapping->CentreY(static_cast<float>(row)))
                   : QPoint();
  };
  const auto surfaceStep = [&](int i) {
    Mouse(bscan, QEvent::MouseMove, surfacePoint(dragRow - (i % 2 ? 0 : 2)), Qt::NoButton, Qt::LeftButton);
  };
  // The 3-D pane through its kept picture (leaving out the guide-line cells that cannot show,
  // and drawing every one of them), drawn in full from its buffers, drawn cell by cell, and
  // hidden.
  const struct {
    const char* what;
    bool shown;
    bool buffered;
    bool kept;
    bool skipping;
  } modes[] = {{"3-D pane shown", true, true, true, true},
               {"3-D pane shown, every guide-line cell drawn", true, true, true, false},
               {"3-D pane shown, drawn in full from buffers", true, true, false, true},
               {"3-D pane shown, drawn cell by cell", true, false, false, true},
               {"3-D pane hidden", false, true, true, true}};
  app.watched = pane3D;
  struct PaneCpu {
    double perStep;
    double paintsPerStep;
  };
  const auto TakeCpu = [&] {
    const PaneCpu taken{app.watchedMs / steps, static_cast<double>(app.watchedPaints) / steps};
    app.ResetWatched();
    return taken;
  };
  const auto fullRepaint = [&](int) {
    pane3D->SetLayerKeeping(false);
    pane3D->update();
  };
  for (const auto& mode : modes) {
    pane3D->setVisible(mode.shown);
    pane3D->SetBufferedDrawing(mode.buffered);
    pane3D->SetLayerKeeping(mode.kept);
    pane3D->SetGuideCellSkipping(mode.skipping);
    Settle(app);
    frame.View()->SetMouseMode(MouseWindow);
    Mouse(bscan, QEvent::MouseButtonPress, middle, Qt::LeftButton, Qt::LeftButton);
    const double slice = StepMs(app, steps, nextBScan);
    const PaneCpu sliceCpu = TakeCpu();
    const size_t leftOut = pane3D->GuideCellsLeftOut();
    const double window = StepMs(app, steps, windowStep);
    const PaneCpu windowCpu = TakeCpu();
    Mouse(bscan, QEvent::MouseButtonRelease, middle, Qt::LeftButton, Qt::NoButton);
    if (mode.shown && mode.kept) {
      // The same-run baseline: the unchanged scene repainted in full from the buffers.
      (void)StepMs(app, steps, fullRepaint);
      const double full = TakeCpu().perStep;
      pane3D->SetLayerKeeping(true);
      std::printf("%s, 3-D pane's CPU on this thread per step: next B-scan %.2f ms (%.2f paints, %.2fx of a repaint in "
                  "full, %zu guide-line cells left out), window step %.2f ms (%.2f paints, %.2fx); a repaint in full "
                  "%.2f ms\n",
                  mode.what, sliceCpu.perStep, sliceCpu.paintsPerStep, sliceCpu.perStep / full, leftOut, windowCpu.perStep,
                  windowCpu.paintsPerStep, windowCpu.perStep / full, full);
    }
    frame.View()->SetMouseMode(MouseSurfaces);
    dragRow = surfaces.Point(3, dragX, frame.View()->Position()[2]).y;
    Mouse(bscan, QEvent::MouseMove, surfacePoint(dragRow), Qt::NoButton, Qt::NoButton);
    Mouse(bscan, QEvent::MouseButtonPress, surfacePoint(dragRow), Qt::LeftButton, Qt::LeftButton);
    const double drag = StepMs(app, steps, surfaceStep);
    Mouse(bscan, QEvent::MouseButtonRelease, surfacePoint(dragRow), Qt::LeftButton, Qt::NoButton);
    std::printf("%s: next B-scan %.1f ms, window step %.1f ms, surface drag step %.1f ms\n", mode.what, slice,
                window, drag);
  }
  std::printf("peak memory at the end: %.0f MiB\n", VmHWMKiB() / 1024.0);
  return 0;
}
