#include "fixtures/StdoutCapture.h"
#include "model/DisplayedObjects.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

constexpr int kX = 16, kY = 24, kZ = 6;
const int kSize[3] = {kX, kY, kZ};
const float kSpacing[3] = {0.01f, 0.002f, 0.05f};

LRefSurface FlatAt(int depth)
{
  LRefSurface r;
  r.Create(kX, kZ, 0, 0, "NA", LResultHeader{});
  for (auto& p : r.points)
    p.y = depth;
  return r;
}

// Makes `mesh` a label mesh over the test volume: three floats per corner and per vertex.
template <size_t Corners, size_t Vertices, size_t Indices>
void SetMesh(LMesh& mesh, const float (&corners)[Corners], const float (&vertices)[Vertices],
             const int32_t (&indices)[Indices])
{
  mesh.SetArrays(kSize, kSpacing, Corners / 3, corners, Vertices / 3, vertices, Indices, indices);
}

void MakeVolume(LOCTVolume& v, int bytes)
{
  EXPECT_EQ(v.CreateVolume(kSize, FormatMetaImage, kSpacing, bytes, LateralityOS, CenterMacula), 0);
  for (uint64_t i = 0; i < v.VoxelCount(); ++i)
    v.Voxels()[i] = static_cast<unsigned short>(i % 251);
}

TEST(DisplayedObjects, HeaderIsTheViewsAndTheScans)
{
  LOCTVolume scan;
  MakeVolume(scan, 2);
  const LResultHeader h = CreatedRecordHeader(scan);
  EXPECT_EQ(h.version, "4.0.0");
  EXPECT_EQ(h.executableName, "Strataview");
  EXPECT_EQ(h.executableVersion, "3.8.0");
  EXPECT_EQ(h.comment, "For investigational use only, not FDA approved");
  EXPECT_FALSE(h.approval);
  EXPECT_EQ(h.sizeY, kY);
  EXPECT_EQ(h.voxelSizeZ, 0.05f);
  EXPECT_EQ(h.laterality, LateralityOS);
}

// What the scan knows is the scan's; what it does not ("NA") stays as the file had it.
TEST(DisplayedObjects, TheFileKeepsTheEyeAndCentreTheScanDoesNotKnow)
{
  const struct {
    Laterality scanEye, fileEye, shownEye;
    CenterType scanCentre, fileCentre, shownCentre;
  } kCases[] = {
      {LateralityNA, LateralityOD, LateralityOD, CenterNA, CenterONH, CenterONH},
      {LateralityOS, LateralityOD, LateralityOS, CenterMacula, CenterONH, CenterMacula},
      {LateralityNA, LateralityNA, LateralityNA, CenterMacula, CenterNA, CenterMacula},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.scanEye << " over " << c.fileEye);
    LOCTVolume scan;
    ASSERT_EQ(scan.CreateVolume(kSize, FormatMetaImage, kSpacing, 1, c.scanEye, c.scanCentre), 0);
    LResultHeader fileHeader;
    fileHeader.format = FormatTopcon;
    fileHeader.laterality = c.fileEye;
    fileHeader.centerType = c.fileCentre;
    LMarkers file;
    file.Create(0, 10, fileHeader);
    LMarkers shown;
    (void)MakeDisplayedMarkers(file, FlatteningShift(), CreatedRecordHeader(scan), shown);
    EXPECT_EQ(shown.header.format, FormatMetaImage);
    EXPECT_EQ(shown.header.laterality, c.shownEye);
    EXPECT_EQ(shown.header.centerType, c.shownCentre);
  }
}

TEST(DisplayedObjects, ResultsMoveWithTheFlattenedScanAndUndefinedStaysUndefined)
{
  const FlatteningShift shift(FlatAt(16), kY, 0.5f);  // moves every A-scan up by 4
  const LResultHeader header;
  LSurfaces file;
  file.Create(kX, kZ, 2, {5, 7}, {5, 7}, {"NA", "NA"}, header);
  file.Point(0, 3, 2).y = 10;
  file.Point(1, 3, 2).y = 20;
  file.undefinedMask[3 + 2 * kX] = 1;
  LSurfaces shown;
  MakeDisplayedSurfaces(file, shift, header, shown);
  EXPECT_EQ(shown.Point(0, 3, 2).y, 6);
  EXPECT_EQ(shown.Point(1, 3, 2).y, 16);
  EXPECT_EQ(shown.Point(0, 4, 2).y, -1) << "undefined stays undefined";
  EXPECT_EQ(shown.undefinedMask[3 + 2 * kX], 1);
  EXPECT_EQ(file.Point(0, 3, 2).y, 10) << "the loaded record is not changed";

  LMarkers markers;
  markers.Create(2, 2, header);
  markers.points = {Point3i{3, 9, 2}, Point3i{40, 9, 2}};  // the second lies outside the scan
  markers.labels = {"4", "7"};
  LMarkers shownMarkers;
  EXPECT_EQ(MakeDisplayedMarkers(markers, shift, header, shownMarkers), 2);
  EXPECT_EQ(shownMarkers.points[0].y, 5);
  EXPECT_EQ(shownMarkers.points[1].y, 9);
  EXPECT_EQ(shownMarkers.labels[1], "7");
  EXPECT_EQ(shownMarkers.points.size(), size_t(kMaxDisplayedMarkers));

  LSplines splines;
  splines.Create(1, 1, header);
  splines.planes[0] = 1;
  splines.controlPoints[0] = {Point3i{0, 10, 2}, Point3i{12, 10, 2}};
  LSplineSet shownSplines;
  EXPECT_EQ(MakeDisplayedSplines(splines, shift, header, shownSplines), 1);
  EXPECT_EQ(shownSplines.controlPoints[0][1].y, 6);
  ASSERT_FALSE(shownSplines.GetCurves()[0].empty());
  EXPECT_EQ(shownSplines.GetCurves()[0].back().y, 6) << "curves follow the moved points";

  const LRefSurface other = FlatAt(12);
  LRefSurface original, shownRef;
  MakeDisplayedRefSurface(other, shift, header, original, shownRef);
  EXPECT_EQ(original.Point(5, 5).y, 12);
  EXPECT_EQ(shownRef.Point(5, 5).y, 8) << "another surface shows where it lies over the flattened scan";
}

TEST(DisplayedObjects, CountsBeyondThePanesLimitAreCut)
{
  LMarkers many;
  many.Create(3005, 3005, LResultHeader{});
  LMarkers shown;
  int count = 0;
  {
    const StdoutCapture out;
    count = MakeDisplayedMarkers(many, FlatteningShift(), LResultHeader{}, shown);
    EXPECT_EQ(out.Text(), "Warning: Only the first 3000 markers of 3005 are shown\n");
  }
  EXPECT_EQ(count, 3000);
  EXPECT_EQ(shown.count, 3000);
}

TEST(DisplayedObjects, LabelVolumeAndMeshMoveTogether)
{
  LOCTVolume labels;
  MakeVolume(labels, 1);
  const float corners[] = {3.0f, 14.0f, 2.0f, 3.2f, 15.0f, 2.4f, 50.0f, 14.0f, 2.0f};
  const float vertices[] = {3.0f, 14.0f, 2.0f};
  const int32_t indices[] = {0, 0, 0};
  LMesh mesh;
  SetMesh(mesh, corners, vertices, indices);
  const FlatteningShift shift(FlatAt(16), kY, 0.5f);
  LOCTVolume shown;
  LMesh shownMesh;
  EXPECT_TRUE(MakeDisplayedLabels(labels, mesh, shift, shown, shownMesh));
  EXPECT_EQ(shown.bytesPerVoxel, 1);
  EXPECT_EQ(shown.Voxels()[3 + kX * (6 + kY * 2)], labels.Voxels()[3 + kX * (10 + kY * 2)]);
  EXPECT_EQ(shownMesh.GetTriangleVertices()[1], 10.0f);
  EXPECT_EQ(shownMesh.GetTriangleVertices()[4], 11.0f);
  EXPECT_EQ(shownMesh.GetTriangleVertices()[7], 14.0f) << "a corner outside the scan stays";
  EXPECT_EQ(shownMesh.GetVertices()[1], 10.0f);
}

TEST(DisplayedObjects, UnflattenedLabelsShowTheMeshAsRead)
{
  LOCTVolume labels;
  MakeVolume(labels, 1);
  const float corners[] = {3.0f, 14.0f, 2.0f, 3.2f, -0.0f, 2.4f, 50.0f, 14.5f, 2.0f};
  const float vertices[] = {3.0f, 14.0f, 2.0f, 50.0f, 14.5f, 2.0f};
  const int32_t indices[] = {0, 1, 1};
  LMesh mesh;
  SetMesh(mesh, corners, vertices, indices);
  LOCTVolume shown;
  LMesh shownMesh;
  EXPECT_TRUE(MakeDisplayedLabels(labels, mesh, FlatteningShift(), shown, shownMesh));
  EXPECT_EQ(shown.Voxels(), labels.Voxels()) << "the voxels as read, until the first stroke";
  ASSERT_EQ(shownMesh.GetTriangleVertexCount(), 3u);
  ASSERT_EQ(shownMesh.GetVertexCount(), 2u);
  ASSERT_EQ(shownMesh.GetIndexCount(), 3u);
  EXPECT_TRUE(std::equal(corners, corners + 9, shownMesh.GetTriangleVertices()));
  EXPECT_TRUE(std::equal(vertices, vertices + 6, shownMesh.GetVertices()));
  EXPECT_TRUE(std::equal(indices, indices + 3, shownMesh.GetIndices()));
  EXPECT_NE(shownMesh.GetTriangleVertices(), mesh.GetTriangleVertices()) << "a mesh of its own";
  EXPECT_TRUE(std::equal(kSize, kSize + 3, shownMesh.GetSize()));
  EXPECT_TRUE(std::equal(kSpacing, kSpacing + 3, shownMesh.GetSpacing()));
}

}  // namespace
