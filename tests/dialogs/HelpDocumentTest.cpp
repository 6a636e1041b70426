#include "fixtures/FixtureFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

// The guide the About box's Help opens is built beside the program, and what it teaches can
// be read out of it as text (pdftotext joins lines, so phrases are looked for word by word).
TEST(HelpDocumentTest, BesideTheProgramWithTheNamingRuleAndEveryMouseMode)
{
  const std::string pdf = std::string(STRATAVIEW_PROGRAM_DIR) + "/Help.pdf";
  ASSERT_TRUE(std::filesystem::is_regular_file(pdf)) << pdf;
  std::string text;
  ASSERT_EQ(fixtures::RunCommand("pdftotext -layout '" + pdf + "' -", &text), 0) << "pdftotext (poppler-utils) reads it";

  const char* const kTaught[] = {
    // The folder naming rule with every kind's name part and the scan extensions.
    "\"_OCT\"", "\"_RefSurf_\"", "\"_Surfaces_\"", "\"_Proj_\"", "\"_Disc_\"", "\"_Vessel_\"", "\"_SEAD_\"",
    "\"_GridCenter_\"", "\"_Markers_\"", "\"_Splines_\"", ".ScanParameters.dat", ".nii.gz",
    // Every mouse mode by the name the Mouse list shows.
    "Position", "Window", "Zoom", "Pan", "Surfaces", "Undef. Region", "Grid Center", "Vessel", "SEAD", "Markers",
    "Splines",
    // The eleven layouts.
    "\"Horizontal\"", "\"Horizontal2\"", "\"Vertical\"", "\"Vertical2\"", "\"OCTXY\"", "\"OCTZY\"", "\"OCTXZ\"",
    "\"OCTXZ2\"", "\"Proj.\"", "\"Proj.2\"", "\"3D\"",
    // Flattening, thickness, saving, the executables and where settings live.
    "Flattening", "Quantity", "Approval", "Executables.xml", "[OCT]", "Thickness Analysis", "Strataview.ini",
  };
  for (const char* taught : kTaught)
    EXPECT_NE(text.find(taught), std::string::npos) << taught;
}

}  // namespace
