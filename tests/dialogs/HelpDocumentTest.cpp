#include "fixtures/FixtureFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

// The guide the About box's Help opens is built beside the program, and what it teaches can
// be read out of it as text (pdftotext joins lines, so phrases are looked for word by word).
TEST(HelpDocumentTest, BesideTheProgramWithFirstStepsButtonsModesAndCoordinates)
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
    // The mouse modes by the names the settings keep them under.
    "UndefinedRegion", "GridCenter",
    // The first steps: open a folder, look, correct, save.
    "First steps", "1. Open a folder.", "2. Look.", "3. Correct.", "4. Save.",
    // The button legend, by the names the buttons' tips show.
    "Open", "Save", "Thickness", "Create Proj.", "Reset", "Guide Lines", "Overlay", "Undefined Region",
    "Executables", "Options", "About", "Add Spline", "Play Backward", "Play Forward", "Stop", "Copy", "Save All",
    "Thickness Options", "Show/Hide All", "Isotropic", "Blending", "OCT XY", "OCT ZY", "OCT XZ",
    // The coordinate convention the About box's note points to.
    "Coordinates", "x: the A-scan", "y: the depth", "z: the B-scan", "x + X * (y + Y * z)",
  };
  for (const char* taught : kTaught)
    EXPECT_NE(text.find(taught), std::string::npos) << taught;

  // The first steps and the legend show pictures: the four steps' screenshots, the two
  // other screenshots and the 25 button icons.
  std::string images;
  ASSERT_EQ(fixtures::RunCommand("pdfimages -list '" + pdf + "'", &images), 0);
  size_t count = 0;
  for (size_t line = images.find('\n'); line != std::string::npos; line = images.find('\n', line + 1))
    ++count;
  EXPECT_GE(count, 2u + 5u + 25u) << images;  // two heading lines, then one line per picture
}

}  // namespace
