#include "data/LMesh.h"
#include "fixtures/CommaLocale.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int kSize[3] = {16, 11, 9};
const float kSpacing[3] = {0.0117f, 0.0039f, 0.047f};

// Two smoothed blobs of different sizes in a 16 x 11 x 9 label volume.
void BuildBlobs(LMesh& mesh, std::vector<unsigned short>& voxels)
{
  voxels.assign(static_cast<size_t>(kSize[0]) * kSize[1] * kSize[2], 0);
  for (int z = 0; z < kSize[2]; ++z)
    for (int y = 0; y < kSize[1]; ++y)
      for (int x = 0; x < kSize[0]; ++x) {
        const auto near = [&](float cx, float cy, float cz, float r) {
          return (x - cx) * (x - cx) + (y - cy) * (y - cy) + (z - cz) * (z - cz) <= r * r;
        };
        if (near(4.0f, 5.0f, 4.5f, 2.5f) || near(11.0f, 5.5f, 4.0f, 3.1f))
          voxels[x + kSize[0] * (y + kSize[1] * z)] = 255;
      }
  mesh.SetLabelVolume(kSize, kSpacing, voxels.data(), 1);
  EXPECT_TRUE(mesh.Build(true, 2));
}

void ExpectSameMesh(const LMesh& read, const LMesh& written)
{
  ASSERT_EQ(read.GetVertexCount(), written.GetVertexCount());
  ASSERT_EQ(read.GetIndexCount(), written.GetIndexCount());
  ASSERT_EQ(read.GetTriangleVertexCount(), written.GetIndexCount());
  for (size_t i = 0; i < 3 * read.GetVertexCount(); ++i)  // six decimals of millimetres
    ASSERT_NEAR(read.GetVertices()[i] * kSpacing[i % 3], written.GetVertices()[i] * kSpacing[i % 3], 6e-7);
  for (size_t k = 0; k < read.GetIndexCount(); ++k) {
    ASSERT_EQ(read.GetIndices()[k], written.GetIndices()[k]);
    for (int i = 0; i < 3; ++i)
      ASSERT_EQ(read.GetTriangleVertices()[3 * k + i], read.GetVertices()[3 * read.GetIndices()[k] + i]);
  }
}

TEST(LMeshVtk, WritesTheDeclaredLayoutForEmptyAndSingleVoxelMeshes)
{
  const TempDir dir;
  std::vector<unsigned short> voxels(4 * 5 * 3, 0);
  const int size[3] = {4, 5, 3};
  LMesh mesh;
  mesh.SetLabelVolume(size, kSpacing, voxels.data(), 1);
  EXPECT_TRUE(mesh.Build(true, 0));
  ASSERT_EQ(mesh.WriteVtk(dir.File("empty.vtk")), 0);
  EXPECT_EQ(fixtures::ReadAll(dir.File("empty.vtk")),
            "# vtk DataFile Version 3.0\nComment:\nASCII\nDATASET POLYDATA\nPOINTS 0 float\nPOLYGONS 0 0\n");

  voxels[1 + 4 * (2 + 5 * 1)] = 255;
  EXPECT_TRUE(mesh.Build(true, 0));
  ASSERT_EQ(mesh.WriteVtk(dir.File("voxel.vtk")), 0);
  const std::string text = fixtures::ReadAll(dir.File("voxel.vtk"));
  EXPECT_NE(text.find("\nPOINTS 6 float\n"), std::string::npos);
  EXPECT_NE(text.find("\nPOLYGONS 8 32\n3 "), std::string::npos);
  // The first vertex, half a voxel from (1, 2, 1) along one axis, in millimetres.
  EXPECT_NE(text.find("\n0.005850 0.007800 0.047000\n"), std::string::npos) << text;
}

// VTK's own reader takes our file: the same points in millimetres and the same triangles.
TEST(LMeshVtk, VtkReadsTheCache)
{
  const TempDir dir;
  std::vector<unsigned short> voxels;
  LMesh mesh;
  BuildBlobs(mesh, voxels);
  const std::string file = dir.File("labels.vtk");
  ASSERT_EQ(mesh.WriteVtk(file), 0);

  std::string out;
  ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 " STRATAVIEW_SOURCE_DIR "/tests/data/mesh_oracle.py read " + file, &out), 0);
  std::istringstream text(out);
  std::string word;
  size_t points = 0, triangles = 0;
  ASSERT_TRUE(text >> word >> points);
  ASSERT_EQ(points, mesh.GetVertexCount());
  for (size_t i = 0; i < 3 * points; ++i) {
    double mm = 0;
    ASSERT_TRUE(text >> mm);
    EXPECT_NEAR(mm, mesh.GetVertices()[i] * kSpacing[i % 3], 6e-7);
  }
  ASSERT_TRUE(text >> word >> triangles);
  ASSERT_EQ(3 * triangles, mesh.GetIndexCount());
  for (size_t k = 0; k < 3 * triangles; ++k) {
    int index = -1;
    ASSERT_TRUE(text >> index);
    EXPECT_EQ(index, mesh.GetIndices()[k]);
  }
}

TEST(LMeshVtk, RoundTripsThroughOurReader)
{
  const TempDir dir;
  std::vector<unsigned short> voxels;
  LMesh written;
  BuildBlobs(written, voxels);
  const std::string file = dir.File("labels.vtk");
  {
    const CommaLocale comma;  // as the running program may have it
    ASSERT_TRUE(comma.Active());
    ASSERT_EQ(written.WriteVtk(file), 0);
    EXPECT_EQ(fixtures::ReadAll(file).find(','), std::string::npos);
    LMesh read;
    ASSERT_EQ(read.ReadVtk(file, kSize, kSpacing), 0);
    EXPECT_TRUE(read.IsAllocated());
    EXPECT_EQ(read.GetSize()[1], kSize[1]);
    ExpectSameMesh(read, written);
  }
  // A file written on Windows has CR LF line ends.
  std::string crlf;
  for (const char c : fixtures::ReadAll(file))
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  ASSERT_TRUE(fixtures::WriteText(dir.File("crlf.vtk"), crlf));
  LMesh read;
  ASSERT_EQ(read.ReadVtk(dir.File("crlf.vtk"), kSize, kSpacing), 0);
  ExpectSameMesh(read, written);
}

TEST(LMeshVtk, MalformedFilesAreRejectedAndLeaveTheMesh)
{
  const std::string header = "# vtk DataFile Version 3.0\nComment:\nASCII\nDATASET POLYDATA\n";
  const std::string points = "POINTS 3 float\n0 0 0\n0.0117 0 0\n0 0.0039 0\n";
  const struct { const char* what; std::string text; } cases[] = {
    {"empty", ""},
    {"header only", header},
    {"points without polygons", header + points},
    {"polygons before points", header + "POLYGONS 1 4\n3 0 1 2\n" + points},
    {"truncated points", header + "POINTS 3 float\n0 0 0\n0.0117 0"},
    {"truncated polygons", header + points + "POLYGONS 2 8\n3 0 1 2\n3 0"},
    {"negative count", header + "POINTS -3 float\n" + "POLYGONS 0 0\n"},
    {"count beyond the file", header + "POINTS 999999999999 float\n0 0 0\nPOLYGONS 0 0\n"},
    {"count missing", header + "POINTS\n0 0 0\nPOLYGONS 0 0\n"},
    {"index out of range", header + points + "POLYGONS 1 4\n3 0 1 3\n"},
    {"negative index", header + points + "POLYGONS 1 4\n3 0 -1 2\n"},
    {"a quad", header + "POINTS 4 float\n0 0 0 1 0 0 1 1 0 0 1 0\nPOLYGONS 1 5\n4 0 1 2 3\n"},
    {"not a number", header + "POINTS 3 float\n0 0 0\n0.0117 x 0\n0 0.0039 0\nPOLYGONS 1 4\n3 0 1 2\n"},
    {"not finite", header + "POINTS 3 float\n0 0 0\nnan 0 0\n0 0.0039 0\nPOLYGONS 1 4\n3 0 1 2\n"},
    {"decimal comma", header + "POINTS 3 float\n0 0 0\n0,0117 0 0\n0 0.0039 0\nPOLYGONS 1 4\n3 0 1 2\n"},
    {"format 5.1 offsets and connectivity",
     "# vtk DataFile Version 5.1\nvtk output\nASCII\nDATASET POLYDATA\n" + points +
         "POLYGONS 2 3\nOFFSETS vtktypeint64\n0 3\nCONNECTIVITY vtktypeint64\n0 1 2\n"},
  };
  const TempDir dir;
  std::vector<unsigned short> voxels;
  LMesh mesh;
  BuildBlobs(mesh, voxels);
  const size_t vertices = mesh.GetVertexCount();
  const float first = mesh.GetVertices()[0];
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = dir.File("bad.vtk");
    ASSERT_TRUE(fixtures::WriteText(file, c.text));
    EXPECT_EQ(mesh.ReadVtk(file, kSize, kSpacing), -1);
    EXPECT_EQ(mesh.GetVertexCount(), vertices);
    EXPECT_EQ(mesh.GetVertices()[0], first);
  }
  EXPECT_EQ(mesh.ReadVtk(dir.File("missing.vtk"), kSize, kSpacing), -1);

  // The same valid file is refused only when millimetres cannot become voxels.
  const std::string good = dir.File("good.vtk");
  ASSERT_TRUE(fixtures::WriteText(good, header + points + "POLYGONS 1 4\n3 0 1 2\n"));
  const float flat[3] = {0.0117f, 0.0f, 0.047f};
  EXPECT_EQ(mesh.ReadVtk(good, kSize, flat), -1);
  ASSERT_EQ(mesh.ReadVtk(good, kSize, kSpacing), 0);
  EXPECT_EQ(mesh.GetVertexCount(), 3u);
  EXPECT_FLOAT_EQ(mesh.GetTriangleVertices()[3], 1.0f);
  EXPECT_FLOAT_EQ(mesh.GetTriangleVertices()[7], 1.0f);
}

TEST(LMeshVtk, FailedWriteKeepsTheOldFile)
{
  const TempDir dir;
  std::vector<unsigned short> voxels;
  LMesh mesh;
  BuildBlobs(mesh, voxels);
  EXPECT_EQ(mesh.WriteVtk(dir.File("missing/labels.vtk")), -1);
  std::filesystem::create_directory(dir.Path() / "folder");
  ASSERT_TRUE(fixtures::WriteText(dir.File("folder/inside"), "kept"));
  EXPECT_EQ(mesh.WriteVtk(dir.File("folder")), -1);
  EXPECT_EQ(fixtures::ReadAll(dir.File("folder/inside")), "kept");
}

}  // namespace
