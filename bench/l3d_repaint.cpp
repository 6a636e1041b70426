// Repainting the 3-D pane of a 512 x 1024 x 128 16-bit scan with 11 surfaces, the three
// planes and the guide lines shown, after a 2-D step (the next B-scan, a window step), a
// surface-drag step (a brush-sized patch of one surface moved) and with nothing changed:
// through the kept picture of the unchanged geometry (a drag step draws only the rows it
// moved over a picture kept without them), drawn in full from the kept buffers, and cell by
// cell, beside a frame that only clears, all in the same run. Needs a display (xvfb-run).
//
// submit_ms: the render call until it returns (our work and the driver's vertex work on
// this thread); total_ms: until the picture is finished. Run with GALLIUM_NOOP=1 (Mesa drops
// every draw) the figures are the pane's own CPU work and the driver's bookkeeping alone;
// that driver crashes on buffer updates, so the buffered drag steps are skipped there.
#include "panes/L3D.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kX = 512;
constexpr int kY = 1024;
constexpr int kZ = 128;
constexpr int kSurfaces = 11;

struct Scene {
  Scene()
  {
    for (size_t i = 0; i < voxels.size(); ++i)
      voxels[i] = static_cast<unsigned short>((i * 2654435761u) >> 16);
    for (int s = 0; s < kSurfaces; ++s)
      for (int z = 0; z < kZ; ++z)
        for (int x = 0; x < kX; ++x)
          points.push_back({x, 200 + 50 * s + static_cast<int>(20.0 * std::sin(x * 0.02 + z * 0.05 + s)), z});
    host.resize(600, 500);
    host.show();
    pane.CreatePane(600, 500, &host);
    pane.SetVolume(size, voxels.data(), spacing, 2);
    pane.SetPosition(position);
    pane.SetGridCenter(gridCenter);
    pane.SetWindowLevel(&centre, &width);
    pane.SetSurfaces(kSurfaces, points.data(), nullptr);
    for (int s = 0; s < kSurfaces; ++s)
      pane.SetShowSurface(s, true);
    for (SceneFlag f : {SceneFlag::Surfaces, SceneFlag::PlaneXY, SceneFlag::PlaneZY, SceneFlag::PlaneXZ,
                        SceneFlag::GuideLines})
      pane.SetFlag(f, true);
  }

  const int size[3] = {kX, kY, kZ};
  const float spacing[3] = {0.0117f, 0.002f, 0.047f};
  std::vector<unsigned short> voxels = std::vector<unsigned short>(static_cast<size_t>(kX) * kY * kZ);
  std::vector<Point3i> points;
  int position[3] = {kX / 2, kY / 2, kZ / 2};
  int gridCenter[2] = {kX / 2, kZ / 2};
  float centre = 32768.0f;
  float width = 65535.0f;
  QWidget host;
  L3D pane;
};

std::unique_ptr<Scene> g_Scene;  // made after the application, gone before it

long ResidentKiB()
{
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0)
      return std::atol(line.c_str() + 6);
  return 0;
}

double PaintMs(L3D& pane)
{
  const auto start = std::chrono::steady_clock::now();
  pane.RenderToImage();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The first paint builds every buffer and the kept picture; beside it, a paint of the same
// scene from the buffers as they stand.
void ReportFirstPaint(L3D& pane)
{
  const long before = ResidentKiB();
  const double first = PaintMs(pane);
  const long after = ResidentKiB();
  pane.SetLayerKeeping(false);
  const double again = PaintMs(pane);
  pane.SetLayerKeeping(true);
  std::printf("first paint: %.0f ms, resident +%.1f MiB; the same paint from built buffers: %.0f ms\n", first,
              (after - before) / 1024.0, again);
}

Scene& TheScene()
{
  return *g_Scene;
}

enum Step { Nothing, NextBScan, WindowStep, SurfaceDrag, EmptyFrame };
enum Mode { CellByCell, Buffered, KeptPicture };

void ApplyStep(Scene& s, Step step, int i)
{
  switch (step) {
  case NextBScan: s.position[2] = 32 + i % 64; break;
  case WindowStep: s.centre = 30000.0f + static_cast<float>(i % 100) * 10.0f; break;
  case SurfaceDrag: {
    // The fourth surface moved around the position as a drag step in the B-scan pane moves
    // it with the default brush (1 mm: 171 A-scans by 43 B-scans here), and told to the pane.
    const GridRegion brush{{kX / 2 - 85, kX / 2 + 85}, {s.position[2] - 21, s.position[2] + 21}};
    for (int z = brush.z.first; z <= brush.z.last; ++z)
      for (int x = brush.x.first; x <= brush.x.last; ++x)
        s.points[static_cast<size_t>((3 * kZ + z) * kX + x)].y += (i % 2) ? 1 : -1;
    s.pane.SurfacePointsChanged(3, brush);
    break;
  }
  default: break;
  }
}

void BM_Repaint(benchmark::State& state)
{
  Scene& s = TheScene();
  const auto step = static_cast<Step>(state.range(0));
  const auto mode = static_cast<Mode>(state.range(1));
  if (step == SurfaceDrag && std::getenv("GALLIUM_NOOP") && mode != CellByCell) {
    state.SkipWithError("Mesa's noop driver crashes in glBufferSubData: time drag steps with llvmpipe");
    return;
  }
  s.pane.SetBufferedDrawing(mode != CellByCell);
  s.pane.SetLayerKeeping(mode == KeptPicture);
  s.pane.SetFlag(SceneFlag::All, step != EmptyFrame);
  s.pane.makeCurrent();
  s.pane.RenderScene();
  glFinish();
  double submitMs = 0.0;
  double totalMs = 0.0;
  int i = 0;
  for (auto _ : state) {
    ApplyStep(s, step, ++i);
    const auto start = std::chrono::steady_clock::now();
    s.pane.RenderScene();
    const auto submitted = std::chrono::steady_clock::now();
    glFinish();
    const auto finished = std::chrono::steady_clock::now();
    submitMs += std::chrono::duration<double, std::milli>(submitted - start).count();
    totalMs += std::chrono::duration<double, std::milli>(finished - start).count();
  }
  s.pane.doneCurrent();
  s.pane.SetFlag(SceneFlag::All, true);
  state.counters["submit_ms"] = submitMs / static_cast<double>(state.iterations());
  state.counters["total_ms"] = totalMs / static_cast<double>(state.iterations());
  static const char* names[] = {"nothing changed", "next B-scan", "window step", "surface drag", "clear only"};
  static const char* modes[] = {", cell by cell", ", buffered", ", kept picture"};
  state.SetLabel(std::string(names[step]) + modes[mode]);
}

BENCHMARK(BM_Repaint)
    ->ArgNames({"step", "mode"})
    ->Args({EmptyFrame, Buffered})
    ->ArgsProduct({{Nothing, NextBScan, WindowStep, SurfaceDrag}, {KeptPicture, Buffered, CellByCell}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace

int main(int argc, char** argv)
{
  QApplication app(argc, argv);
  g_Scene = std::make_unique<Scene>();
  ReportFirstPaint(g_Scene->pane);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_Scene.reset();
  return 0;
}
