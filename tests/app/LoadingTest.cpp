#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "data/LGridCenter.h"
#include "data/LMarkers.h"
#include "data/LSplines.h"
#include "data/LSurfaces.h"
#include "dialogs/CDlgVoxelSize.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ResultXmlText.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"
#include "platform/Dialogs.h"
#include "platform/ExecutableDir.h"
#include "platform/Messages.h"
#include "platform/Profile.h"

#include <FreeImage.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Distinct sizes per axis, so that a check of the wrong axis fails.
constexpr int kX = 16, kY = 24, kZ = 6;

LResultHeader Header(CenterType center = CenterNA)
{
  LResultHeader h = UnknownResultHeader();
  h.version = "4.0.0";
  h.centerType = center;
  return h;
}

bool WriteVolume(const std::string& path, int x, int y, int z, int bytes, bool block)
{
  LOCTVolume v;
  const int size[3] = {x, y, z};
  const float spacing[3] = {0.01f, 0.002f, 0.05f};
  v.CreateVolume(size, FormatMetaImage, spacing, bytes, LateralityOD, CenterMacula);
  for (uint64_t i = 0; i < v.VoxelCount(); ++i)
    v.Voxels()[i] = static_cast<unsigned short>(bytes == 1 ? 0 : i % 4000);
  if (block)  // a 4 x 4 x 3 label block inside the volume
    for (int zz = 1; zz < 4; ++zz)
      for (int yy = 5; yy < 9; ++yy)
        for (int xx = 3; xx < 7; ++xx)
          v.Voxels()[size_t(xx) + size_t(x) * (size_t(yy) + size_t(y) * zz)] = 255;
  return v.WriteMetaImage(path) == 0;
}

bool WriteSurfaces(const std::string& path, int x = kX, int z = kZ, CenterType center = CenterNA)
{
  LSurfaces s;
  s.Create(x, z, 1, {5}, {5}, {"NA"}, Header(center));
  return s.WriteXml(path) == 0;
}

bool WriteRefSurf(const std::string& path, int x = kX, int z = kZ)
{
  return fixtures::WriteText(path, fixtures::ResultXmlText("reference_surface",
      "<surface_size><x>" + std::to_string(x) + "</x><z>" + std::to_string(z) + "</z></surface_size>"));
}

bool WriteImage(const std::string& path, int width = kX, int height = kZ)
{
  FIBITMAP* bitmap = FreeImage_Allocate(width, height, 8);
  const bool saved = bitmap && FreeImage_Save(FIF_PNG, bitmap, path.c_str());
  FreeImage_Unload(bitmap);
  return saved;
}

bool WriteGridCenter(const std::string& path)
{
  LGridCenter c;
  c.Create(3, 2, Header());
  return c.WriteXml(path) == 0;
}

bool WriteMarkers(const std::string& path)
{
  LMarkers m;
  m.Create(1, 1, Header());
  return m.WriteXml(path) == 0;
}

bool WriteSplines(const std::string& path)
{
  LSplines s;
  s.Create(0, 0, Header());
  return s.WriteXml(path) == 0;
}

class LoadingTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    fs::create_directories(m_Profile.Path());
    platform::Profile::SetFolderForTests(QString::fromStdString(m_Profile.Path().string()));
    m_Frame.resize(1280, 800);
    m_Frame.View()->OnInitialUpdate();
  }

  CStrataviewView& View() { return *m_Frame.View(); }
  std::string File(const std::string& name) const { return m_Dir.File(name); }
  QWidget* Find(const char* name) const { return m_Frame.findChild<QWidget*>(QString::fromLatin1(name)); }
  QComboBox* Combo(const char* name) const { return qobject_cast<QComboBox*>(Find(name)); }
  static QStringList Items(const QComboBox* combo)
  {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
      items << combo->itemText(i);
    return items;
  }

  // A scan with one file of every kind, all fitting it, in a folder of its own.
  std::string WriteFullFolder(const std::string& name)
  {
    const std::string folder = File(name);
    fs::create_directories(folder);
    const auto f = [&](const std::string& rest) { return folder + "/s" + rest; };
    const bool written = WriteVolume(f("_OCT.mhd"), kX, kY, kZ, 2, false) && WriteRefSurf(f("_RefSurf_Vamo.xml")) &&
                         WriteSurfaces(f("_Surfaces_Vamo.xml"), kX, kZ, CenterONH) && WriteImage(f("_Proj_Vamo.png")) &&
                         WriteImage(f("_Disc_Vamo.png")) && WriteVolume(f("_Vessel_Vamo.mhd"), kX, kY, kZ, 1, true) &&
                         WriteVolume(f("_SEAD_Vamo.mhd"), kX, kY, kZ, 1, true) &&
                         WriteGridCenter(f("_GridCenter_Vamo.xml")) && WriteMarkers(f("_Markers_Vamo.xml")) &&
                         WriteSplines(f("_Splines_Vamo.xml"));
    EXPECT_TRUE(written) << folder;
    return folder;
  }

  // Opens the folder, recording every message instead of showing it.
  bool Open(const std::string& folder)
  {
    m_Messages.clear();
    const platform::ScopedMessageHook hook([this](const std::string& text, unsigned) {
      m_Messages.push_back(text);
      return static_cast<int>(platform::kIdOk);
    });
    return View().ScanFolder(folder);
  }

  TempDir m_Dir;
  TempDir m_Profile;
  CMainFrame m_Frame;
  std::vector<std::string> m_Messages;
};

TEST_F(LoadingTest, SmallDemoFolderOpensWithTheSuitesFilesChosen)
{
  const std::string demo = File("Demo");
  ASSERT_EQ(fixtures::RunCommand(std::string(STRATAVIEW_MAKE_DEMO) + " '" + demo + "' --small"), 0);
  ASSERT_TRUE(Open(demo));
  EXPECT_TRUE(m_Messages.empty());
  CStrataviewView& view = View();
  EXPECT_EQ(view.GetScanPath(), demo + "/Demo_OCT.mhd");
  EXPECT_EQ(view.GetScanFolder(), demo);
  EXPECT_EQ(view.GetReadVolume().sizeX, 64);
  const LResultSlots& loaded = view.Slots();
  for (const int count : {loaded.refSurf.count, loaded.surfaces.count, loaded.proj.count, loaded.disc.count,
                          loaded.vessel.count, loaded.sead.count, loaded.gridCenter.count, loaded.markers.count,
                          loaded.splines.count})
    EXPECT_EQ(count, 1);
  EXPECT_EQ(view.GetRefSurfCurSel(), 0);
  EXPECT_EQ(view.GetSurfacesCurSel(), 0);
  EXPECT_EQ(view.GetSplinesCurSel(), 0);
  EXPECT_EQ(loaded.surfaces.objects[0].surfaceCount, 11);
  EXPECT_GT(loaded.vessel.meshes[0].GetVertexCount(), 0u);
  EXPECT_TRUE(fs::exists(demo + "/Demo_Vessel_Vamo.vtk"));
  EXPECT_TRUE(fs::exists(demo + "/Demo_SEAD_Vamo.vtk"));

  EXPECT_EQ(Items(Combo("IDC_COMBO_REFSURF")), (QStringList{"None", "Vamo"}));
  EXPECT_EQ(Combo("IDC_COMBO_REFSURF")->currentIndex(), 0);
  EXPECT_EQ(Items(Combo("IDC_COMBO_SURFACES")), QStringList{"Vamo"});
  for (const char* name : {"IDC_COMBO_SURFACES", "IDC_CHECK_SURFACES", "IDC_BUTTON_FLATTENING", "IDC_CHECK_THICKNESS",
                           "IDC_COMBO_GRIDCENTER", "IDC_CHECK_PROJ", "IDC_CHECK_VESSEL", "IDC_BUTTON_SAVE",
                           "IDC_SCROLL_OCTXY", "IDC_BUTTON_3D_OCTXZ", "IDC_COMBO_LATERALITY"})
    EXPECT_TRUE(Find(name)->isEnabled()) << name;
  EXPECT_FALSE(Find("IDC_BUTTON_SURFACE1")->isEnabled());
  EXPECT_EQ(m_Frame.windowTitle().toStdString(),
            demo + "/Demo_OCT.mhd - Strataview (For investigational use only, not FDA approved)");
  EXPECT_TRUE(qobject_cast<QPlainTextEdit*>(Find("IDC_EDIT_OCTINFO"))->toPlainText().startsWith(" - MetaImage\n - 64 x"));

  view.RefreshAll();
  EXPECT_TRUE(view.GetDisplayedVolume().loaded);
  EXPECT_EQ(view.GetDisplayedVolume().sizeZ, view.GetReadVolume().sizeZ);
}

TEST_F(LoadingTest, EveryFailureShowsItsMessageAndStopsTheChain)
{
  const std::string garbage = "not a file of this kind";
  const std::string wrongRoot = fixtures::ResultXmlText("something_else", "");
  const std::string oldMarkers = fixtures::ResultXmlText("markers", "", "3.9.9");
  const std::string oldSurfaces = fixtures::ResultXmlText("surfaces", "", "NA");
  const auto Text = [](const std::string& text) {
    return [text](const std::string& path) { return fixtures::WriteText(path, text); };
  };
  const struct {
    const char* file;
    std::function<bool(const std::string&)> write;
    const char* message;
    bool vesselRead;
  } cases[] = {
    {"s_RefSurf_Vamo.xml", Text(garbage),
     "File error: 'Ref. Surf.'", false},
    {"s_RefSurf_Vamo.xml", Text(wrongRoot),
     "This is not a 'Ref. Surf.' xml file.", false},
    {"s_RefSurf_Vamo.xml", [](auto p) { return WriteRefSurf(p, kX, kZ + 1); },
     "The size of 'Ref. Surf.' is not equal to that of 'OCT'.", false},
    {"s_Surfaces_Vamo.xml", Text(garbage),
     "File error: 'Surfaces'", false},
    {"s_Surfaces_Vamo.xml", Text(wrongRoot),
     "This is not a 'Surfaces' xml file.", false},
    {"s_Surfaces_Vamo.xml", Text(oldSurfaces),
     "The XML version is lower than 4.0.0.", false},
    {"s_Surfaces_Vamo.xml", [](auto p) { return WriteSurfaces(p, kY, kZ); },
     "The size of 'Surfaces' is not equal to that of 'OCT'.", false},
    {"s_Proj_Vamo.png", Text(garbage),
     "File error: 'Proj.'", false},
    {"s_Proj_Vamo.png", [](auto p) { return WriteImage(p, kZ, kX); },
     "The size of 'Proj.' is not equal to that of 'OCT'.", false},
    {"s_Disc_Vamo.png", Text(garbage),
     "File error: 'Disc'", false},
    {"s_Disc_Vamo.png", [](auto p) { return WriteImage(p, kX, kY); },
     "The size of 'Disc' is not equal to that of 'OCT'.", false},
    {"s_Vessel_Vamo.mhd", Text(garbage),
     "File error: 'Vessel'", false},
    {"s_Vessel_Vamo.mhd", [](auto p) { return WriteVolume(p, kX, kY - 1, kZ, 1, false); },
     "The size of 'Vessel' is not equal to that of 'OCT'.", false},
    {"s_SEAD_Vamo.mhd", Text(garbage),
     "File error: 'SEAD'", true},
    {"s_SEAD_Vamo.mhd", [](auto p) { return WriteVolume(p, kX, kY, kZ + 1, 1, false); },
     "The size of 'SEAD' is not equal to that of 'OCT'.", true},
    {"s_GridCenter_Vamo.xml", Text(garbage),
     "File error: 'Grid Center'", true},
    {"s_GridCenter_Vamo.xml", Text(wrongRoot),
     "This is not a 'Grid Center' xml file.", true},
    {"s_Markers_Vamo.xml", Text(garbage),
     "File error: 'Markers'", true},
    {"s_Markers_Vamo.xml", Text(oldMarkers),
     "The XML version is lower than 4.0.0.", true},
    {"s_Splines_Vamo.xml", Text(garbage),
     "File error: 'Splines'", true},
    {"s_Splines_Vamo.xml", Text(wrongRoot),
     "This is not a 'Splines' xml file.", true},
    {"s_OCT.mhd", Text(garbage),
     "File error: 'OCT'", false},
    {"s_OCT.mhd", [](auto p) { return fs::remove(p); },
     "Unsupporting OCT file!", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.message);
    const std::string folder = WriteFullFolder("case" + std::to_string(&c - cases));
    ASSERT_TRUE(c.write(folder + "/" + c.file));
    EXPECT_FALSE(Open(folder));
    EXPECT_EQ(m_Messages, std::vector<std::string>{c.message});
    // The chain stops at the failure: label meshes are built only when the chain gets there.
    EXPECT_EQ(fs::exists(folder + "/s_Vessel_Vamo.vtk"), c.vesselRead);
    EXPECT_FALSE(View().GetReadVolume().loaded);
    EXPECT_EQ(View().GetScanPath(), "");
  }
}

}  // namespace
