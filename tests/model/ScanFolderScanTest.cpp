#include "model/OctInfoText.h"
#include "model/ScanFolderScan.h"

#include <gtest/gtest.h>
#include <set>

namespace {

using namespace scanfolder;

std::set<ResultKind> KindsOf(const std::string& path)
{
  std::set<ResultKind> kinds;
  for (int k = 0; k < kResultKindCount; ++k)
    if (IsOfKind(static_cast<ResultKind>(k), path))
      kinds.insert(static_cast<ResultKind>(k));
  return kinds;
}

TEST(ScanFolderRules, FileKindsByNamePartAndExtension)
{
  using K = ResultKind;
  const struct { const char* path; std::set<ResultKind> kinds; } cases[] = {
    {"/d/s_OCT.mhd", {K::OCT}},
    {"/d/s_OCT.ScanParameters.dat", {K::OCT}},
    {"/d/s_OCT.NII.GZ", {K::OCT}},
    {"/d/s_oct.mhd", {}},                         // the part's letter case counts
    {"/d/s_OCT.nii", {}},                         // ".nii" and TIFF scans open only as files
    {"/d/s_OCT.tif", {}},
    {"/d/p_OCT_Vessel_Vamo.mhd", {K::OCT, K::Vessel}},
    {"/d/p_Vessel_OCT.png", {}},
    {"/d/x_Surfaces_a.XML", {K::Surfaces}},
    {"/d/x_surfaces_a.xml", {}},
    {"/d/x_RefSurf_Vamo.xml", {K::RefSurf}},
    {"/d/x_Proj_Vamo.JPEG", {K::Proj}},
    {"/d/x_Disc_Vamo.mhd", {}},
    {"/d/x_SEAD_Vamo.nii.gz", {K::SEAD}},
    {"/d/x_GridCenter_Vamo.xml", {K::GridCenter}},
    {"/d/x_Markers_1.xml", {K::Markers}},
    {"/d/x_Splines_.xml", {K::Splines}},
    {"/d_Surfaces_x/scan.xml", {}},               // a folder's name does not count
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(KindsOf(c.path), c.kinds);
  }
}

TEST(ScanFolderRules, DerivedNames)
{
  const struct { const char* path; const char* companion; const char* renamed; const char* cache; } cases[] = {
    {"/d/s_OCT.raw", "/d/s_OCT.mhd", "", "/d/s_OCT.vtk"},
    {"/d/s_OCT.RAW", "/d/s_OCT.MHD", "", "/d/s_OCT.vtk"},
    {"/d/s_OCT.Raw", "", "", "/d/s_OCT.vtk"},
    {"/d/s_OCT.img", "/d/s_OCT.hdr", "", "/d/s_OCT.vtk"},
    {"/d/s_OCT.IMG", "/d/s_OCT.HDR", "", "/d/s_OCT.vtk"},
    {"/d/p_GridCenter.xml", "", "/d/p_GridCenter_Vamo.xml", "/d/p_GridCenter.vtk"},
    {"/d/p_GridCenter.xml.bak", "", "", "/d/p_GridCenter.xml.vtk"},
    {"/d/p_GridCenter_Vamo.xml", "", "", "/d/p_GridCenter_Vamo.vtk"},
    {"/d/p_Vessel_Vamo.nii.gz", "", "", "/d/p_Vessel_Vamo.nii.vtk"},
    {"/d.x/labels", "", "", "/d.x/labels.vtk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(CompanionPath(c.path), c.companion);
    EXPECT_EQ(RenamedGridCenterPath(c.path), c.renamed);
    EXPECT_EQ(MeshCachePath(c.path), c.cache);
  }
}

TEST(ScanFolderRules, TagsAndPreselection)
{
  const struct { ResultKind kind; const char* path; const char* tag; } tags[] = {
    {ResultKind::Surfaces, "/d/scan1_Surfaces_Vamo.xml", "Vamo"},
    {ResultKind::Vessel, "/d/scan1_Vessel_Vamo.nii.gz", "Vamo.nii"},
    {ResultKind::Surfaces, "/d/layers.xml", "layers.xml"},
    {ResultKind::Markers, "/d/a_Markers_x_Markers_y.xml", "x_Markers_y"},
    {ResultKind::Splines, "/d/a_Splines_", ""},
    {ResultKind::Proj, "/d.e/a_Proj_", ""},
  };
  for (const auto& c : tags) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(Tag(c.kind, c.path), c.tag);
  }
  const struct { std::vector<std::string> tags; int selected; } picks[] = {
    {{}, -1}, {{"A", "B"}, 0}, {{"A", "B", "Vamo"}, 2}, {{"Vamo", "x", "Vamo", "vamo"}, 2}, {{"Vamo.nii"}, 0}};
  for (const auto& c : picks)
    EXPECT_EQ(PreselectedIndex(c.tags), c.selected) << c.tags.size();
}

TEST(ScanFolderRules, SortFolderPicksTheScanAndListsEveryKind)
{
  const struct { const char* what; std::vector<std::string> files; const char* scan; } cases[] = {
    {"Analyze pair, header first", {"/d/s_OCT.hdr", "/d/s_OCT.img"}, "/d/s_OCT.hdr"},
    {"Analyze pair, data first", {"/d/s_OCT.img", "/d/s_OCT.hdr"}, "/d/s_OCT.hdr"},
    {"raw without header", {"/d/s_OCT.raw"}, "/d/s_OCT.raw"},
    {"upper-case pair", {"/d/s_OCT.RAW", "/d/s_OCT.MHD"}, "/d/s_OCT.MHD"},
    {"two scans: the last by name", {"/d/b_OCT.vol", "/d/a_OCT.fds"}, "/d/b_OCT.vol"},
    {"no scan", {"/d/s_Surfaces_Vamo.xml"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SortFolder(c.files).scanPath, c.scan);
  }

  const FolderContents contents = SortFolder({"/d/p_GridCenter.xml", "/d/p_OCT_Vessel_Vamo.mhd", "/d/p_OCT.mhd",
                                              "/d/p_GridCenter_A.xml", "/d/p_Surfaces_B.xml", "/d/p_Surfaces_A.xml"});
  EXPECT_EQ(contents.scanPath, "/d/p_OCT_Vessel_Vamo.mhd");
  const auto list = [&](ResultKind kind) { return contents.lists[static_cast<int>(kind)]; };
  EXPECT_EQ(list(ResultKind::Vessel), std::vector<std::string>{"/d/p_OCT_Vessel_Vamo.mhd"});
  EXPECT_EQ(list(ResultKind::Surfaces), (std::vector<std::string>{"/d/p_Surfaces_A.xml", "/d/p_Surfaces_B.xml"}));
  EXPECT_EQ(list(ResultKind::GridCenter),
            (std::vector<std::string>{"/d/p_GridCenter_Vamo.xml", "/d/p_GridCenter_A.xml"}));
  ASSERT_EQ(contents.renames.size(), 1u);
  EXPECT_EQ(contents.renames[0], std::make_pair(std::string("/d/p_GridCenter.xml"),
                                                std::string("/d/p_GridCenter_Vamo.xml")));
}

TEST(ScanInfo, TextByScanFormat)
{
  LOCTVolume scan;
  scan.sizeX = 512;
  scan.sizeY = 1024;
  scan.sizeZ = 128;
  scan.spacingX = 0.01171875f;
  scan.spacingY = 0.001953125f;
  scan.spacingZ = 0.046875f;
  scan.format = FormatZeiss;
  EXPECT_EQ(OctInfoText(scan), " - Carl Zeiss Meditec, Inc.\n - 512 x 1024 x 128 voxels\n"
                               " - 11.72 x 1.95 x 46.88 um3\n - 6.00 x 2.00 x 6.00 mm3");
  const struct { int format; const char* maker; } makers[] = {
    {FormatNA, "NA"}, {FormatBioptigen, "Bioptigen, Inc."}, {FormatNIfTI, "NIFTI"}, {FormatTIFF, ""}, {-1, ""}};
  for (const auto& c : makers)
    EXPECT_EQ(ScanMakerName(c.format), c.maker) << c.format;
}

}  // namespace
