#include "model/DisplayedObjects.h"

#include "data/Diagnostics.h"
#include "model/HeaderStrings.h"

#include <algorithm>
#include <string>

namespace {

int ClampCount(int count, const char* what)
{
  if (count <= kMaxDisplayedMarkers)
    return std::max(count, 0);
  diag::Warning("Only the first " + std::to_string(kMaxDisplayedMarkers) + " " + what + " of " +
                std::to_string(count) + " are shown");
  return kMaxDisplayedMarkers;
}

Point3i Shifted(const Point3i& p, const FlatteningShift& shift)
{
  return Point3i{p.x, shift.ToDisplayed(p.x, p.y, p.z), p.z};
}

// Moves the y of every (x, y, z) triple of a float list.
void ShiftTriples(std::vector<float>& triples, const FlatteningShift& shift)
{
  for (size_t i = 0; i + 2 < triples.size(); i += 3)
    triples[i + 1] = shift.ToDisplayed(triples[i], triples[i + 1], triples[i + 2]);
}

}  // namespace

LResultHeader CreatedRecordHeader(const LOCTVolume& displayed, bool approval)
{
  const auto& s = kHeaderStrings;
  LResultHeader h;
  h.version = s[0];
  h.executableName = s[1];
  h.executableVersion = s[2];
  h.executableDate = s[3];
  h.configuration = s[4];
  h.authors = s[5];
  h.institute = s[6];
  h.comment = s[7];
  h.modificationDate = s[8];
  h.modificationTime = s[9];
  h.modifier = s[10];
  h.approval = approval;
  h.format = displayed.format;
  h.sizeX = displayed.sizeX;
  h.sizeY = displayed.sizeY;
  h.sizeZ = displayed.sizeZ;
  h.voxelSizeX = displayed.spacingX;
  h.voxelSizeY = displayed.spacingY;
  h.voxelSizeZ = displayed.spacingZ;
  h.laterality = displayed.laterality;
  h.centerType = displayed.centerType;
  return h;
}

LResultHeader KeepFieldsTheScanLacks(LResultHeader created, const LResultHeader& file)
{
  if (created.laterality == LateralityNA)
    created.laterality = file.laterality;
  if (created.centerType == CenterNA)
    created.centerType = file.centerType;
  return created;
}

void MakeDisplayedRefSurface(const LRefSurface& file, const FlatteningShift& shift,
                             const LResultHeader& header, LRefSurface& original, LRefSurface& displayed)
{
  const LResultHeader shown = KeepFieldsTheScanLacks(header, file.header);
  original.Create(file.surfaceSizeX, file.surfaceSizeZ, file.labelIndex, file.nameIndex, file.GetInstance(), shown);
  displayed.Create(file.surfaceSizeX, file.surfaceSizeZ, file.labelIndex, file.nameIndex, file.GetInstance(), shown);
  for (size_t i = 0; i < file.points.size() && i < original.points.size(); ++i) {
    original.points[i].y = file.points[i].y;
    // Over a flattened volume the surface it was flattened on is the straight middle row;
    // any other surface shows where it lies in the flattened geometry.
    displayed.points[i] = Shifted(file.points[i], shift);
  }
}

void MakeDisplayedSurfaces(const LSurfaces& file, const FlatteningShift& shift,
                           const LResultHeader& header, LSurfaces& displayed)
{
  displayed.Create(file.surfaceSizeX, file.surfaceSizeZ, file.surfaceCount, file.labelIndex, file.nameIndex,
                   file.instance, KeepFieldsTheScanLacks(header, file.header), file.nameText);
  displayed.undefinedMask = file.undefinedMask;
  for (size_t i = 0; i < file.points.size() && i < displayed.points.size(); ++i)
    displayed.points[i] = Shifted(file.points[i], shift);
}

void MakeDisplayedGridCenter(const LGridCenter& source, const LResultHeader& header, LGridCenter& displayed)
{
  displayed.Create(source.centerX, source.centerZ, KeepFieldsTheScanLacks(header, source.header));
}

int MakeDisplayedMarkers(const LMarkers& source, const FlatteningShift& shift,
                         const LResultHeader& header, LMarkers& displayed)
{
  const int count = ClampCount(std::min<int>(source.count, static_cast<int>(source.points.size())), "markers");
  displayed.Create(count, kMaxDisplayedMarkers, KeepFieldsTheScanLacks(header, source.header));
  for (int i = 0; i < count; ++i) {
    displayed.points[i] = Shifted(source.points[i], shift);
    if (i < static_cast<int>(source.labels.size()))
      displayed.labels[i] = source.labels[i];
  }
  return count;
}

int MakeDisplayedSplines(const LSplines& source, const FlatteningShift& shift,
                         const LResultHeader& header, LSplineSet& displayed)
{
  const int available = static_cast<int>(std::min({source.planes.size(), source.controlPoints.size(), source.closed.size()}));
  const int count = ClampCount(std::min(source.count, available), "splines");
  displayed.Create(count, kMaxSplines, KeepFieldsTheScanLacks(header, source.header));
  for (int i = 0; i < count; ++i) {
    displayed.planes[i] = source.planes[i];
    displayed.closed[i] = source.closed[i];
    for (const Point3i& p : source.controlPoints[i])
      displayed.controlPoints[i].push_back(Shifted(p, shift));
  }
  for (int i = 0; i < kMaxSplines; ++i)
    displayed.ComputeSplineCurve(count, i);
  return count;
}

bool MakeDisplayedVolume(const LOCTVolume& source, const FlatteningShift& shift, LOCTVolume& displayed)
{
  if (!shift.IsFlattened()) {
    displayed.ShareVoxels(source);
    return true;
  }
  const int size[3] = {source.sizeX, source.sizeY, source.sizeZ};
  const float spacing[3] = {source.spacingX, source.spacingY, source.spacingZ};
  LOCTVolume shifted;
  if (shifted.CreateVolume(size, source.format, spacing, source.bytesPerVoxel, source.laterality,
                           source.centerType) != 0)
    return false;
  shift.ShiftVolume(source, shifted);
  displayed.ShareVoxels(shifted);
  return true;
}

bool MakeDisplayedLabels(const LOCTVolume& source, const LMesh& sourceMesh, const FlatteningShift& shift,
                         LOCTVolume& displayed, LMesh& displayedMesh)
{
  const int size[3] = {source.sizeX, source.sizeY, source.sizeZ};
  const float spacing[3] = {source.spacingX, source.spacingY, source.spacingZ};
  // Unflattened, the displayed labels are the labels as read until the first brush stroke.
  if (!MakeDisplayedVolume(source, shift, displayed))
    return false;
  try {
    if (!shift.IsFlattened()) {
      // The mesh as read, taken over without a shifted working copy.
      displayedMesh.SetArrays(size, spacing, sourceMesh.GetTriangleVertexCount(), sourceMesh.GetTriangleVertices(),
                              sourceMesh.GetVertexCount(), sourceMesh.GetVertices(), sourceMesh.GetIndexCount(),
                              sourceMesh.GetIndices());
      return true;
    }
    std::vector<float> corners(sourceMesh.GetTriangleVertices(),
                               sourceMesh.GetTriangleVertices() + 3 * sourceMesh.GetTriangleVertexCount());
    std::vector<float> vertices(sourceMesh.GetVertices(),
                                sourceMesh.GetVertices() + 3 * sourceMesh.GetVertexCount());
    ShiftTriples(corners, shift);
    // The vertices move with the corners, so both lists keep describing the same surface.
    ShiftTriples(vertices, shift);
    displayedMesh.SetArrays(size, spacing, corners.size() / 3, corners.data(), vertices.size() / 3, vertices.data(),
                            sourceMesh.GetIndexCount(), sourceMesh.GetIndices());
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}
