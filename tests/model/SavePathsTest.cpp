#include "model/SavePaths.h"

#include <gtest/gtest.h>

namespace {

TEST(SavePaths, ProposedNamesFollowTheScanName)
{
  struct Case {
    std::string scan;
    ResultKind kind;
    std::string proposed;
  } const cases[] = {
    {"/d/eye_OCT_Vamo.img", ResultKind::Vessel, "/d/eye_Vessel_Temp.mhd"},
    {"/d/eye.img", ResultKind::Markers, "/d/eye_Markers_Temp.xml"},
    {"/d/eye.nii.gz", ResultKind::SEAD, "/d/eye.nii_SEAD_Temp.mhd"},
    {"/d_OCT/eye.img", ResultKind::GridCenter, "/d_OCT/eye_GridCenter_Temp.xml"},
    {"/data.v1/scan", ResultKind::Splines, "/data.v1/scan_Splines_Temp.xml"},
    {"/d/Demo_OCT.mhd", ResultKind::Surfaces, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(savepaths::ProposedPath(c.kind, c.scan), c.proposed) << c.scan;
  EXPECT_EQ(savepaths::LabelHeaderPath("/d/a_Vessel_x"), "/d/a_Vessel_x.mhd");
  EXPECT_EQ(savepaths::LabelDataPath("/d/a_Vessel_x.mhd"), "/d/a_Vessel_x.raw");
}

}  // namespace
