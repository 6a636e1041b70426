#include "data/ReadBounds.h"

#include "data/LOCTVolume.h"
#include "data/NumberText.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace readbounds {

namespace {

constexpr uint64_t kHeaderBytes = kResultHeaderBytes;

// One number in an element of its own line, as the suite and this program write them:
// "<y>-2147483648</y>" is 18 characters, which with any sensible indentation (up to 45
// blanks or tabs) and the line end fits in 64.
constexpr uint64_t kNumberLineBytes = 64;

// A surfaces file names each surface once, or a few instances of one: the panes show 20,
// the table of retinal surfaces has 25, and 64 leave room for any file of a real analysis.
constexpr uint64_t kSurfacesPerFile = 64;
// A surface's own elements besides its depths (label, name, instance).
constexpr uint64_t kSurfaceElementsBytes = 4096;

// Markers and splines: the panes show 3000 of each, a file may hold more (the user is told
// and only the first are shown). A point lying at every pixel of the scan's largest slice
// plane is beyond any real file and still bounds the file by the scan.
constexpr uint64_t kShownPoints = 3000;
// One marker (label, x, y, z and its own element) or one spline's elements besides its
// points (plane, point count, closed) or one control point (x, y, z and its element).
constexpr uint64_t kPointEntryBytes = 8 * kNumberLineBytes;

// The mesh cache's lines besides its points and triangles: the declaration, the comment,
// the format, the dataset and the two section lines with their counts.
constexpr uint64_t kVtkHeaderBytes = 4096;

uint64_t Positive(int size)
{
  return size > 0 ? uint64_t(size) : 0;
}

// Characters of "%f" for a coordinate of at most `largest` in magnitude: sign, the integer
// digits, the point and six decimals.
uint64_t FixedWidth(double largest)
{
  const double digits = largest >= 10.0 ? std::floor(std::log10(largest)) + 1.0 : 1.0;
  return 1 + uint64_t(std::min(digits, 40.0)) + 1 + 6;
}

// The number in the element `name` inside `element`'s text, 0 when it has none.
int DeclaredSize(std::string_view element, std::string_view name)
{
  const std::string open = "<" + std::string(name) + ">";
  const size_t at = element.find(open);
  return at == std::string_view::npos ? 0 : numtext::ParseInt(element.substr(at + open.size()));
}

// The bound of a surfaces file of the grid that the first element `name` in `head` declares
// (its x and z); 0 when the head holds no such element whole.
uint64_t DeclaredGridBytes(std::string_view head, std::string_view name)
{
  const std::string open = "<" + std::string(name) + ">", close = "</" + std::string(name) + ">";
  const size_t start = head.find(open);
  const size_t end = start == std::string_view::npos ? start : head.find(close, start);
  if (end == std::string_view::npos)
    return 0;
  const std::string_view grid = head.substr(start, end - start);
  // No larger than the grid of the largest scan the readers accept, whatever it declares.
  const int z = std::max(DeclaredSize(grid, "z"), 0);
  int x = std::max(DeclaredSize(grid, "x"), 0);
  if (z > 0 && uint64_t(x) * uint64_t(z) > kMaxScanVoxels)
    x = static_cast<int>(kMaxScanVoxels / uint64_t(z));
  return SurfacesFileBytes(x, z);
}

}  // namespace

uint64_t MeshCacheBytes(const int size[3], const float spacing[3], uint64_t insideVoxels)
{
  // Marching cubes puts a vertex only on an edge of the voxel grid between an inside and an
  // outside voxel, at most one on each: fewer than three edges per voxel of the grid, and at
  // most the six edges of each inside voxel. A cell has triangles (at most five) only when
  // one of its eight corners is inside: at most eight cells per inside voxel, and never more
  // than the grid's cells. A label with no inside voxel has an empty mesh.
  const uint64_t voxels = Positive(size[0]) * Positive(size[1]) * Positive(size[2]);
  const uint64_t cells = Positive(size[0] - 1) * Positive(size[1] - 1) * Positive(size[2] - 1);
  const uint64_t inside = std::min(insideVoxels, voxels);
  const uint64_t vertices = std::min(3 * voxels, 6 * inside);
  const uint64_t triangles = 5 * std::min(cells, 8 * inside);
  uint64_t pointLine = 1;  // the line end
  for (int axis = 0; axis < 3; ++axis)
    pointLine += FixedWidth(double(Positive(size[axis])) * std::fabs(double(spacing[axis])) + 1.0) + 1;
  const uint64_t vertexNumber = 1 + 10;  // a blank and up to ten digits
  const uint64_t triangleLine = 1 + 3 * vertexNumber + 1;
  return kVtkHeaderBytes + vertices * pointLine + triangles * triangleLine;
}

uint64_t SurfacesFileBytes(int sizeX, int sizeZ)
{
  const uint64_t depths = Positive(sizeX) * Positive(sizeZ);
  const uint64_t surface = kSurfaceElementsBytes + Positive(sizeZ) * 2 * kNumberLineBytes + depths * kNumberLineBytes;
  return kHeaderBytes + kSurfacesPerFile * surface;
}

uint64_t DeclaredSurfacesFileBytes(std::string_view head)
{
  return std::max({SurfacesFileBytes(0, 0), DeclaredGridBytes(head, "surface_size"), DeclaredGridBytes(head, "size")});
}

uint64_t PointFileBytes(int sizeX, int sizeY, int sizeZ)
{
  const uint64_t x = Positive(sizeX), y = Positive(sizeY), z = Positive(sizeZ);
  const uint64_t points = std::max({kShownPoints, x * y, y * z, x * z});
  // Splines: as many splines as points, and as many control points again.
  return kHeaderBytes + 2 * points * kPointEntryBytes;
}

}  // namespace readbounds
