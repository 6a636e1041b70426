// Writes a synthetic scan folder with every kind of result beside it, as the analysis
// suite would leave it: a layered retina with a foveal pit, eleven layer surfaces, speckle,
// vessels with their shadows and a fluid pocket, and the suite's files tagged "Vamo".
//
//   strataview_make_demo FOLDER [--small | --size X Y Z]   (a FOLDER starting with "-": ./-name)
#include "data/GreyPng.h"
#include "data/LGridCenter.h"
#include "data/LMarkers.h"
#include "data/LOCTVolume.h"
#include "data/LSplines.h"
#include "data/LSurfaces.h"
#include "data/SurfaceGridXml.h"
#include "data/SurfaceTable.h"
#include "data/XmlWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

struct Geometry {
  int x, y, z;             // voxels
  float sx, sy, sz;        // mm
};

// Surface-table rows of the eleven boundaries, top to bottom, with the intensity of the
// layer below each (the vitreous above the first is dark).
struct Layer {
  int row;
  float below;
};
const Layer kLayers[] = {
  {5, 0.85f},   // ILM; below it the bright nerve fibre layer
  {6, 0.45f},   // RNFL-GCL; ganglion cells
  {7, 0.60f},   // GCL-IPL; inner plexiform
  {8, 0.25f},   // IPL-INL; inner nuclear (dark)
  {9, 0.55f},   // INL-OPL; outer plexiform
  {10, 0.15f},  // OPL-HFL; outer nuclear (dark)
  {13, 0.30f},  // OB_ELM; inner segments
  {15, 0.90f},  // IS/OSJ; ellipsoid zone
  {18, 1.00f},  // IB_RPE; pigment epithelium
  {19, 0.70f},  // OB_RPE
  {20, 0.35f},  // BM; choroid
};
constexpr int kLayerCount = sizeof(kLayers) / sizeof(kLayers[0]);

// Depth of each boundary (rows) at an A-scan, from the fovea distance r (mm).
std::vector<float> Boundaries(const Geometry& g, float xmm, float zmm)
{
  const float r = std::sqrt(xmm * xmm + zmm * zmm);
  const float pit = std::exp(-(r / 0.55f) * (r / 0.55f));
  const float nasal = 1.0f + 0.25f * std::tanh(xmm);  // thicker nerve fibres towards the disc
  // Thicknesses in mm of the layers from BM upwards, reversed below.
  const float thickness[kLayerCount - 1] = {
    0.040f * nasal * (1 - pit) + 0.004f,  // RNFL
    0.045f * (1 - pit) + 0.003f,          // GCL
    0.035f * (1 - pit) + 0.004f,          // IPL
    0.032f * (1 - 0.8f * pit) + 0.004f,   // INL
    0.028f * (1 - 0.5f * pit),            // OPL
    0.065f + 0.035f * pit,                // ONL
    0.022f,                               // ELM to IS/OS
    0.028f + 0.008f * pit,                // IS/OS to RPE
    0.018f,                               // RPE
    0.006f,                               // RPE to BM
  };
  // The back of the eye is a bowl: the retina rises towards the edges of the scan.
  const float curvature = 0.012f * (xmm * xmm + zmm * zmm);
  std::vector<float> depth(kLayerCount);
  depth[kLayerCount - 1] = 0.60f * g.y + (0.03f * std::sin(0.7f * xmm) - curvature) / g.sy;
  for (int s = kLayerCount - 2; s >= 0; --s)
    depth[s] = depth[s + 1] - thickness[s] / g.sy;
  return depth;
}

// Vessels of the en-face plane: arcs around the disc, which lies nasally beyond x < 0.
float VesselDistance(float xmm, float zmm, float& radiusOut)
{
  const struct { float angle, width; } vessels[] = {{0.45f, 0.07f}, {-0.42f, 0.07f}, {0.15f, 0.04f}, {-0.2f, 0.035f}};
  float best = 1e9f;
  for (const auto& v : vessels) {
    // A curve leaving the disc at (-4 mm, 0) with the vessel's angle, bending round the fovea.
    const float dx = xmm + 4.0f, dz = zmm;
    const float along = dx * std::cos(v.angle) + dz * std::sin(v.angle);
    const float across = -dx * std::sin(v.angle) + dz * std::cos(v.angle);
    const float bend = 0.05f * along * along * (v.angle > 0 ? 1.0f : -1.0f);
    const float d = std::abs(across - bend) - v.width;
    if (d < best) {
      best = d;
      radiusOut = v.width;
    }
  }
  return best;
}

LResultHeader Header(const Geometry& g)
{
  LResultHeader h;
  h.version = "4.0.0";
  h.executableName = "Vamo Reference Algorithms (synthetic demo)";
  h.executableVersion = "1.0.0";
  h.executableDate = "NA";
  h.configuration = "NA";
  h.authors = "NA";
  h.institute = "NA";
  h.comment = "Synthetic data for trying the program";
  h.modifier = "NA";
  h.format = FormatMetaImage;
  h.sizeX = g.x;
  h.sizeY = g.y;
  h.sizeZ = g.z;
  h.voxelSizeX = g.sx;
  h.voxelSizeY = g.sy;
  h.voxelSizeZ = g.sz;
  h.laterality = LateralityOD;
  h.centerType = CenterMacula;
  return h;
}

// The program reads reference surfaces but never writes them; the suite does, in the
// surfaces layout under their own root.
int WriteReferenceSurface(const std::string& path, const LSurfaces& one, const LResultHeader& header)
{
  return WriteResultXml(path, "reference_surface", header, [&](XmlWriter& out) {
    out.Open("surface_size");
    out.Int("x", one.surfaceSizeX);
    out.Int("z", one.surfaceSizeZ);
    out.Close();
    out.Open("surface");
    out.Text("label", SurfaceTable::At(one.labelIndex[0]).labelCode);
    out.Text("name", SurfaceTable::At(one.nameIndex[0]).name);
    out.Text("instance", "NA");
    WriteSurfaceDepths(out, {one.surfaceSizeX, one.surfaceSizeZ}, one.points.data());
    out.Close();
  });
}

int Fail(const std::string& what)
{
  std::fprintf(stderr, "strataview_make_demo: cannot write %s\n", what.c_str());
  return 1;
}

// The command line: the folder, then at most one size option.
struct Arguments {
  std::filesystem::path folder;
  int x = 384, y = 496, z = 97;
};

constexpr const char* kUsage =
  "usage: strataview_make_demo FOLDER [--small | --size X Y Z]\n"
  "Writes a synthetic scan folder with every kind of result into FOLDER (made if missing):\n"
  "a 384 x 496 x 97 scan, 64 x 96 x 17 with --small, or the given size.\n";

// 0: parsed; -1: usage asked for; otherwise the exit status after a message.
int ParseArguments(int argc, char** argv, Arguments& parsed)
{
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& arg : args)
    if (arg == "--help" || arg == "-h")
      return -1;
  const auto usageError = [](const std::string& why) {
    std::fprintf(stderr, "strataview_make_demo: %s\n%s", why.c_str(), kUsage);
    return 2;
  };
  if (args.empty() || args[0].empty())
    return usageError("no folder given");
  if (args[0].front() == '-')
    return usageError("unknown option " + args[0]);
  parsed.folder = args[0];
  if (args.size() == 2 && args[1] == "--small") {
    parsed.x = 64, parsed.y = 96, parsed.z = 17;
  } else if (args.size() == 5 && args[1] == "--size") {
    parsed.x = std::atoi(args[2].c_str());
    parsed.y = std::atoi(args[3].c_str());
    parsed.z = std::atoi(args[4].c_str());
    if (parsed.x < 8 || parsed.y < 8 || parsed.z < 4 || parsed.x > 4096 || parsed.y > 4096 || parsed.z > 1024) {
      std::fprintf(stderr, "sizes from 8 x 8 x 4 to 4096 x 4096 x 1024\n");
      return 2;
    }
  } else if (args.size() > 1) {
    if (args[1] == "--size")
      return usageError("--size takes three numbers");
    if (!args[1].empty() && args[1].front() == '-' && args[1] != "--small")
      return usageError("unknown option " + args[1]);
    return usageError("unexpected argument " + args.back());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv)
{
  Arguments arguments;
  if (const int status = ParseArguments(argc, argv, arguments); status != 0) {
    if (status > 0)
      return status;
    std::fputs(kUsage, stdout);
    return 0;
  }
  const std::filesystem::path& folder = arguments.folder;
  const int x = arguments.x, y = arguments.y, z = arguments.z;
  const Geometry g{x, y, z, 6.0f / float(x), 2.0f / float(y), 6.0f / float(z)};
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const auto path = [&](const std::string& name) { return (folder / ("Demo_" + name)).string(); };
  const LResultHeader header = Header(g);
  const int size[3] = {g.x, g.y, g.z};
  const float spacing[3] = {g.sx, g.sy, g.sz};

  LOCTVolume scan, vessel, sead;
  if (scan.CreateVolume(size, FormatMetaImage, spacing, 2, LateralityOD, CenterMacula) != 0 ||
      vessel.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityOD, CenterMacula) != 0 ||
      sead.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityOD, CenterMacula) != 0)
    return Fail("the volumes (out of memory)");
  LSurfaces surfaces;
  std::vector<int32_t> rows;
  for (const Layer& layer : kLayers)
    rows.push_back(layer.row);
  surfaces.Create(g.x, g.z, kLayerCount, rows, rows, std::vector<std::string>(kLayerCount, "NA"), header);
  LSurfaces reference;  // the reference surface: one surface along the RPE's outer boundary
  reference.Create(g.x, g.z, 1, {SurfaceTable::kRowCount - 1}, {SurfaceTable::kRowCount - 1}, {"NA"}, header);

  std::mt19937 random(20171208);
  std::exponential_distribution<float> speckle(1.0f);
  std::vector<uint8_t> projection(size_t(g.x) * g.z), disc(size_t(g.x) * g.z, 0);
  const float cx = (g.x - 1) * 0.5f, cz = (g.z - 1) * 0.5f;
  for (int z = 0; z < g.z; ++z)
    for (int x = 0; x < g.x; ++x) {
      const float xmm = (x - cx) * g.sx, zmm = (z - cz) * g.sz;
      const std::vector<float> depth = Boundaries(g, xmm, zmm);
      for (int s = 0; s < kLayerCount; ++s)
        surfaces.Point(s, x, z) = Point3i{x, static_cast<int32_t>(std::lround(depth[s])), z};
      reference.Point(0, x, z) = Point3i{x, static_cast<int32_t>(std::lround(depth[9])), z};
      float vesselRadius = 0;
      const float vesselDistance = VesselDistance(xmm, zmm, vesselRadius);
      const bool inVessel = vesselDistance < 0;
      const float vesselTop = depth[0] + 0.006f / g.sy;
      const float vesselBottom = vesselTop + 2 * vesselRadius / g.sy * 0.35f;
      // A fluid pocket under the outer nuclear layer, temporal to the fovea.
      const float fx = (xmm - 1.0f) / 0.5f, fz = (zmm + 0.6f) / 0.7f;
      const float pocket = 1.0f - (fx * fx + fz * fz);
      double sum = 0;
      for (int y = 0; y < g.y; ++y) {
        float level = 0.02f;
        for (int s = 0; s < kLayerCount; ++s)
          if (y >= depth[s])
            level = kLayers[s].below;
        if (y > depth[kLayerCount - 1])
          level *= std::max(0.2f, 1.0f - (y - depth[kLayerCount - 1]) * g.sy / 0.35f);
        const bool vesselHere = inVessel && y >= vesselTop && y <= vesselBottom;
        if (vesselHere)
          level = 0.95f;
        else if (inVessel && y > vesselBottom)
          level *= 0.45f;  // the vessel's shadow
        const float pocketTop = depth[5] + 0.4f * (depth[6] - depth[5]);
        const float pocketBottom = pocketTop + pocket * 0.08f / g.sy;
        const bool fluid = pocket > 0 && y >= pocketTop && y < pocketBottom;
        if (fluid)
          level = 0.03f;
        const float noisy = level * (speckle(random) + speckle(random) + speckle(random)) / 3.0f;
        const unsigned short value = static_cast<unsigned short>(std::min(65535.0f, 8000.0f + noisy * 32000.0f));
        const size_t at = size_t(x) + size_t(g.x) * (size_t(y) + size_t(g.y) * z);
        scan.Voxels()[at] = value;
        vessel.Voxels()[at] = vesselHere ? 255 : 0;
        sead.Voxels()[at] = fluid ? 255 : 0;
        sum += value;
      }
      projection[size_t(x) + size_t(z) * g.x] = static_cast<uint8_t>(std::clamp((sum / g.y - 8000.0) / 60.0, 0.0, 255.0));
      // A disc mask near the nasal edge: cup (255) inside the rim (150).
      const float dx = (x - 0.08f * g.x) * g.sx, dz = zmm;
      const float r = std::sqrt(dx * dx + dz * dz);
      disc[size_t(x) + size_t(z) * g.x] = r < 0.3f ? 255 : (r < 0.6f ? 150 : 0);
    }

  LGridCenter center;
  center.Create(static_cast<int>(cx), static_cast<int>(cz), header);
  LMarkers markers;
  markers.Create(3, 3, header);
  const int mz = g.z / 2;
  markers.points = {Point3i{g.x / 4, g.y / 2, mz}, Point3i{g.x / 2, g.y / 2, mz}, Point3i{3 * g.x / 4, g.y / 2, g.z / 3}};
  markers.labels = {"0", "5", "11"};
  LSplines splines;
  splines.Create(1, 1, header);
  splines.planes[0] = 3;  // drawn on the en-face plane, round the fluid pocket
  const float px = cx + 1.0f / g.sx, pz = cz - 0.6f / g.sz;
  for (int k = 0; k < 6; ++k) {
    const double a = k * 2 * M_PI / 6;
    splines.controlPoints[0].push_back(Point3i{static_cast<int>(px + 0.6 / g.sx * std::cos(a)), g.y / 2,
                                               static_cast<int>(pz + 0.8 / g.sz * std::sin(a))});
  }
  splines.closed[0] = true;

  if (scan.WriteMetaImage(path("OCT.mhd")) != 0) return Fail("the scan");
  if (vessel.WriteMetaImage(path("Vessel_Vamo.mhd")) != 0) return Fail("the vessel labels");
  if (sead.WriteMetaImage(path("SEAD_Vamo.mhd")) != 0) return Fail("the SEAD labels");
  if (surfaces.WriteXml(path("Surfaces_Vamo.xml")) != 0) return Fail("the surfaces");
  if (WriteReferenceSurface(path("RefSurf_Vamo.xml"), reference, header) != 0)
    return Fail("the reference surface");
  if (center.WriteXml(path("GridCenter_Vamo.xml")) != 0) return Fail("the grid centre");
  if (markers.WriteXml(path("Markers_Vamo.xml")) != 0) return Fail("the markers");
  if (splines.WriteXml(path("Splines_Vamo.xml")) != 0) return Fail("the splines");
  if (WriteGreyPng(path("Proj_Vamo.png"), projection, g.x, g.z) != 0) return Fail("the projection");
  if (WriteGreyPng(path("Disc_Vamo.png"), disc, g.x, g.z) != 0) return Fail("the disc mask");
  std::printf("%s\n", folder.string().c_str());
  return 0;
}
