#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "platform/ExecutableDir.h"
#include "platform/Profile.h"

#include <QShortcut>
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// The guide the About box's Help opens is built beside the program, and what it teaches can
// be read out of it as text (pdftotext joins lines, so phrases are looked for word by word).
TEST(HelpDocumentTest, BesideTheProgramWithFirstStepsKeysButtonsModesAndCoordinates)
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
    // The first steps, for the installed program: where a first scan comes from, then open a
    // folder, look, correct, save.
    "First steps", "Sample", "strataview_make_demo", "1. Open a folder.", "2. Look.", "3. Correct.", "4. Save.",
    // Unsaved edits: the question and its answers.
    "have not been saved", "Save", "Discard", "Cancel",
    // The keys that are not the window's shortcuts (those are read from the window below).
    "Space", "Left", "Right", "Up", "Down", "Escape",
    // The button legend, by the names the buttons' tips show.
    "Open", "Save", "Thickness", "Create Proj.", "Reset", "Guide Lines", "Overlay", "Undefined Region",
    "Executables", "Options", "About", "Add Spline", "Play Backward", "Play Forward", "Stop", "Copy", "Save All",
    "Thickness Options", "Show/Hide All", "Isotropic", "Blending", "OCT XY", "OCT ZY", "OCT XZ",
    // The coordinate convention the About box's note points to.
    "Coordinates", "x: the A-scan", "y: the depth", "z: the B-scan", "x + X * (y + Y * z)",
  };
  for (const char* taught : kTaught)
    EXPECT_NE(text.find(taught), std::string::npos) << taught;
  EXPECT_EQ(text.find("tools/"), std::string::npos) << "an installed program has no source checkout";
  // What a line break may split, looked for without the white space.
  std::string joined;
  for (const char c : text)
    if (!std::isspace(static_cast<unsigned char>(c)))
      joined += c;
  for (const char* taught : {"/usr/lib/strataview/strataview_make_demo", "titleshowsa*after"})
    EXPECT_NE(joined.find(taught), std::string::npos) << taught;

  // Every key the main window answers to, by the name the tooltips show.
  const TempDir profile;
  platform::Profile::SetFolderForTests(QString::fromStdString(profile.Path().string()));
  platform::SetExecutableDirForTests(STRATAVIEW_SOURCE_DIR "/res");
  CMainFrame frame;
  frame.View()->OnInitialUpdate();
  const QList<QShortcut*> shortcuts = frame.findChildren<QShortcut*>();
  EXPECT_GE(shortcuts.size(), 4);
  for (const QShortcut* shortcut : shortcuts) {
    const std::string key = shortcut->key().toString(QKeySequence::NativeText).toStdString();
    EXPECT_NE(text.find(key), std::string::npos) << key;
  }

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
