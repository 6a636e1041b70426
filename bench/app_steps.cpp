// The whole program on a scan folder: the time from process start until every pane of the
// opened folder is drawn, beside reading every file of the folder into fresh buffers; then
// 2-D steps (the next B-scan from the scroll bar, a window drag step in the B-scan pane) and
// a surface-drag step in the B-scan pane with the 3-D pane shown (through its kept picture,
// drawn in full from its buffers, and cell by cell) and hidden, each timed until all their
// paints are done; and the peak memory (VmHWM) of the empty window and with
// the folder open, beside the scan's voxel bytes. Needs a display (xvfb-run).
//
//   bench_app_steps FOLDER [steps]
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

// Counts the paints it delivers, so that a step can wait until its paints are done.
class PaintTimer : public QApplication {
public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override
  {
    if (event->type() == QEvent::Paint)
      ++paints;
    return QApplication::notify(receiver, event);
  }
  long paints = 0;
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

// The mean time of `steps` steps until their paints are done.
template <typename Step>
double StepMs(PaintTimer& app, int steps, Step step)
{
  Settle(app);
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
    std::fprintf(stderr, "usage: bench_app_steps FOLDER [steps]\n");
    return 2;
  }
  const std::string folder = argv[1];
  // 0 steps: only the open figures.
  const int steps = argc > 2 ? std::max(0, std::atoi(argv[2])) : 20;
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
  std::printf("scan %d x %d x %d, %.0f MiB of voxels\n", scan.sizeX, scan.sizeY, scan.sizeZ, voxelMiB);
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
  // The 3-D pane through its kept picture, drawn in full from its buffers, drawn cell by
  // cell, and hidden.
  const struct {
    const char* what;
    bool shown;
    bool buffered;
    bool kept;
  } modes[] = {{"3-D pane shown", true, true, true},
               {"3-D pane shown, drawn in full from buffers", true, true, false},
               {"3-D pane shown, drawn cell by cell", true, false, false},
               {"3-D pane hidden", false, true, true}};
  for (const auto& mode : modes) {
    pane3D->setVisible(mode.shown);
    pane3D->SetBufferedDrawing(mode.buffered);
    pane3D->SetLayerKeeping(mode.kept);
    Settle(app);
    frame.View()->SetMouseMode(MouseWindow);
    Mouse(bscan, QEvent::MouseButtonPress, middle, Qt::LeftButton, Qt::LeftButton);
    const double slice = StepMs(app, steps, nextBScan);
    const double window = StepMs(app, steps, windowStep);
    Mouse(bscan, QEvent::MouseButtonRelease, middle, Qt::LeftButton, Qt::NoButton);
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
