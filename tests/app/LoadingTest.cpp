#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "model/ThicknessAnalysis.h"
#include "data/LGridCenter.h"
#include "data/LMarkers.h"
#include "data/LSplines.h"
#include "data/LSurfaces.h"
#include "dialogs/CDlgVoxelSize.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ResultXmlText.h"
#include "fixtures/ScopedDecoder.h"
#include "fixtures/SmallDisk.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"
#include "fixtures/ToolkitFaults.h"
#include "platform/Dialogs.h"
#include "platform/ExecutableDir.h"
#include "platform/Messages.h"
#include "platform/Profile.h"

#include <FreeImage.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <sys/wait.h>

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

// A view that was never shown, on a profile of its own; a message outside Open and
// OpenScanFile fails the test.
class LoadingTest : public ::testing::Test {
protected:
  CStrataviewView& View() { return m_Demo.View(); }
  std::string File(const std::string& name) const { return m_Dir.File(name); }
  QWidget* Find(const char* name) const { return m_Demo.Frame().findChild<QWidget*>(QString::fromLatin1(name)); }
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

  // Opens one scan file, recording every message instead of showing it.
  bool OpenScanFile(const std::string& path)
  {
    m_Messages.clear();
    const platform::ScopedMessageHook hook([this](const std::string& text, unsigned) {
      m_Messages.push_back(text);
      return static_cast<int>(platform::kIdOk);
    });
    return View().OpenOCTFile(path);
  }

  // The scan that is open stays open and shown, the program still handles events, and no
  // decoder helper is left behind.
  void ExpectStillShowing(const std::string& scanPath, int sizeX)
  {
    QCoreApplication::processEvents();
    EXPECT_EQ(View().GetScanPath(), scanPath);
    EXPECT_TRUE(View().GetReadVolume().loaded);
    EXPECT_EQ(View().GetReadVolume().sizeX, sizeX);
    EXPECT_EQ(View().GetDisplayedVolume().sizeX, sizeX);
    int status = 0;
    EXPECT_TRUE(::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD) << "a helper outlived its read";
  }

  TempDir m_Dir;
  const fixtures::DemoView m_Demo{fixtures::DemoViewOptions().FrameSize(1280, 800).KeepMessageHook()};
  std::vector<std::string> m_Messages;
};

TEST_F(LoadingTest, SmallDemoFolderOpensWithTheSuitesFilesChosen)
{
  const std::string demo = File("Demo");
  ASSERT_TRUE(fixtures::MakeSmallDemo(demo));
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
  EXPECT_EQ(m_Demo.Frame().windowTitle().toStdString(),
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

TEST_F(LoadingTest, NaturalOrderPreselectionAndAFailedLoadKeepsThePreviousScan)
{
  const std::string first = WriteFullFolder("first");
  for (const char* tag : {"B", "10", "A", "2"})
    ASSERT_TRUE(WriteSurfaces(first + "/s_Surfaces_" + tag + ".xml"));
  ASSERT_TRUE(WriteRefSurf(first + "/s_RefSurf_A.xml"));
  ASSERT_TRUE(Open(first));
  EXPECT_EQ(Items(Combo("IDC_COMBO_SURFACES")), (QStringList{"2", "10", "A", "B", "Vamo"}));
  EXPECT_EQ(View().GetSurfacesCurSel(), 4);
  EXPECT_EQ(Combo("IDC_COMBO_SURFACES")->currentIndex(), 4);
  EXPECT_EQ(Items(Combo("IDC_COMBO_REFSURF")), (QStringList{"None", "A", "Vamo"}));
  EXPECT_EQ(View().GetRefSurfCurSel(), 0);
  // The chosen surfaces file tells where the scan is centred.
  EXPECT_EQ(View().GetReadVolume().centerType, CenterONH);

  const std::string second = WriteFullFolder("second");
  fs::remove(second + "/s_Surfaces_Vamo.xml");
  ASSERT_TRUE(WriteSurfaces(second + "/s_Surfaces_B.xml"));
  ASSERT_TRUE(WriteSurfaces(second + "/s_Surfaces_A.xml"));
  ASSERT_TRUE(WriteImage(second + "/s_Disc_Vamo.png", kX, kZ + 1));
  EXPECT_FALSE(Open(second));
  // Nothing of the second folder is taken: the first scan stays whole and usable.
  EXPECT_EQ(View().GetScanPath(), first + "/s_OCT.mhd");
  EXPECT_EQ(View().GetSurfacesCount(), 5);
  EXPECT_EQ(View().GetSurfacesCurSel(), 4);
  EXPECT_EQ(Combo("IDC_COMBO_SURFACES")->count(), 5);
  EXPECT_TRUE(Find("IDC_BUTTON_SAVE")->isEnabled());

  fs::remove(second + "/s_Disc_Vamo.png");
  ASSERT_TRUE(Open(second));
  EXPECT_EQ(Items(Combo("IDC_COMBO_SURFACES")), (QStringList{"A", "B"}));
  EXPECT_EQ(View().GetSurfacesCurSel(), 0);
  EXPECT_EQ(View().GetDiscCurSel(), -1);
  EXPECT_EQ(Combo("IDC_COMBO_DISC")->count(), 0);
  EXPECT_FALSE(Find("IDC_CHECK_DISC")->isEnabled());
}

TEST_F(LoadingTest, ScanWithoutResultFilesGetsDefaultObjects)
{
  const std::string folder = File("bare");
  fs::create_directories(folder);
  ASSERT_TRUE(WriteVolume(folder + "/s_OCT.mhd", kX, kY, kZ, 2, false));
  ASSERT_TRUE(Open(folder));
  const LResultSlots& loaded = View().Slots();
  const LOCTVolume& labels = *loaded.vessel.defaultObject;
  EXPECT_EQ(labels.bytesPerVoxel, 1);
  EXPECT_EQ(labels.sizeX * labels.sizeY * labels.sizeZ, kX * kY * kZ);
  EXPECT_EQ(std::count(labels.Voxels(), labels.Voxels() + labels.VoxelCount(), 0), kX * kY * kZ);
  EXPECT_EQ(loaded.vessel.defaultMesh->GetVertexCount(), 0u);
  EXPECT_EQ(loaded.gridCenter.defaultObject->centerX, kX / 2);
  EXPECT_EQ(loaded.gridCenter.defaultObject->centerZ, kZ / 2);
  EXPECT_EQ(loaded.markers.defaultObject->points.size(), 3000u);
  EXPECT_EQ(loaded.splines.defaultObject->count, 0);
  EXPECT_EQ(loaded.gridCenter.defaultObject->header.executableName, "Strataview");
  EXPECT_TRUE(Find("IDC_CHECK_VESSEL")->isEnabled());
  EXPECT_FALSE(Find("IDC_COMBO_VESSEL")->isEnabled());
  EXPECT_FALSE(Find("IDC_CHECK_SURFACES")->isEnabled());
  EXPECT_FALSE(Find("IDC_BUTTON_FLATTENING")->isEnabled());
}

TEST_F(LoadingTest, OlderGridCentreNameIsRenamedButNeverOverAnotherFile)
{
  const std::string folder = WriteFullFolder("legacy");
  fs::remove(folder + "/s_GridCenter_Vamo.xml");
  ASSERT_TRUE(WriteGridCenter(folder + "/s_GridCenter.xml"));
  ASSERT_TRUE(Open(folder));
  EXPECT_FALSE(fs::exists(folder + "/s_GridCenter.xml"));
  EXPECT_TRUE(fs::exists(folder + "/s_GridCenter_Vamo.xml"));
  EXPECT_EQ(Items(Combo("IDC_COMBO_GRIDCENTER")), QStringList{"Vamo"});
  EXPECT_EQ(View().GetGridCenterCurSel(), 0);

  // Both names taken: the rename is refused with the system's reason and nothing is loaded.
  ASSERT_TRUE(fixtures::WriteText(folder + "/s_GridCenter.xml", "older"));
  const std::string newer = fixtures::ReadAll(folder + "/s_GridCenter_Vamo.xml");
  const std::string scan = View().GetScanPath();
  EXPECT_FALSE(Open(folder));
  EXPECT_EQ(m_Messages, std::vector<std::string>{std::strerror(EEXIST)});
  EXPECT_EQ(fixtures::ReadAll(folder + "/s_GridCenter.xml"), "older");
  EXPECT_EQ(fixtures::ReadAll(folder + "/s_GridCenter_Vamo.xml"), newer);
  EXPECT_EQ(View().GetScanPath(), scan);
}

TEST_F(LoadingTest, MeshCacheIsWrittenReusedAndRebuiltWhenStale)
{
  const std::string folder = WriteFullFolder("mesh");
  const std::string labels = folder + "/s_Vessel_Vamo.mhd";
  const std::string cache = folder + "/s_Vessel_Vamo.vtk";
  ASSERT_TRUE(Open(folder));
  ASSERT_TRUE(fs::exists(cache));
  const size_t built = View().Slots().vessel.meshes[0].GetVertexCount();
  ASSERT_GT(built, 0u);

  // A cache newer than its labels is read as it is: here one of a single voxel.
  LOCTVolume single;
  const int size[3] = {kX, kY, kZ};
  const float spacing[3] = {0.01f, 0.002f, 0.05f};
  single.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityOD, CenterMacula);
  std::fill_n(single.Voxels(), single.VoxelCount(), static_cast<unsigned short>(0));
  single.Voxels()[kX + 1 + kX * kY * 2] = 255;
  LMesh other;
  other.SetLabelVolume(size, spacing, single.Voxels(), 1);
  other.Build(true, 0);
  ASSERT_EQ(other.WriteVtk(cache), 0);
  ASSERT_NE(other.GetVertexCount(), built);
  ASSERT_TRUE(Open(folder));
  EXPECT_EQ(View().Slots().vessel.meshes[0].GetVertexCount(), other.GetVertexCount());

  const struct { const char* what; bool corrupt; } stale[] = {{"older than its labels", false}, {"unreadable", true}};
  for (const auto& c : stale) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(other.WriteVtk(cache), 0);
    if (c.corrupt)
      ASSERT_TRUE(fixtures::WriteText(cache, "# vtk DataFile Version 3.0\ncut"));
    else
      fs::last_write_time(labels, fs::last_write_time(cache) + std::chrono::seconds(10));
    ASSERT_TRUE(Open(folder));
    EXPECT_EQ(View().Slots().vessel.meshes[0].GetVertexCount(), built);
    LMesh reread;
    ASSERT_EQ(reread.ReadVtk(cache, size, spacing), 0);
    EXPECT_EQ(reread.GetVertexCount(), built);
  }
}

TEST_F(LoadingTest, LabelsOnAReadOnlyDiskOpenWithTheirMeshBuiltInMemory)
{
  const std::string source = WriteFullFolder("source");
  const std::string folder = File("readonly");
  fs::create_directories(folder);
  // Tests run as root, who writes through any permission bits: a read-only mount is the
  // one sure read-only disk.
  if (fixtures::RunCommand("mount -t tmpfs -o size=8m tmpfs '" + folder + "' 2>/dev/null") != 0)
    GTEST_SKIP() << "mounting a tmpfs is not allowed here";
  struct Unmount {
    std::string path;
    ~Unmount() { fixtures::RunCommand("umount '" + path + "'"); }
  } unmount{folder};
  ASSERT_EQ(fixtures::RunCommand("cp -a '" + source + "/.' '" + folder + "' && mount -o remount,ro '" +
                                 folder + "'"), 0);

  const StdoutCapture out;
  ASSERT_TRUE(Open(folder));
  EXPECT_EQ(m_Messages, std::vector<std::string>{});
  EXPECT_GT(View().Slots().vessel.meshes[0].GetVertexCount(), 0u);
  EXPECT_GT(View().Slots().sead.meshes[0].GetVertexCount(), 0u);
  EXPECT_FALSE(fs::exists(folder + "/s_Vessel_Vamo.vtk"));
  for (const char* kind : {"Vessel", "SEAD"})
    EXPECT_NE(out.Text().find("Warning: The mesh cache " + folder + "/s_" + kind +
                              "_Vamo.vtk cannot be written\n"), std::string::npos) << out.Text();
}

TEST_F(LoadingTest, AKindTakesAtMostAHundredFiles)
{
  const std::string folder = WriteFullFolder("many");
  for (int i = 1; i <= 100; ++i)
    ASSERT_TRUE(WriteMarkers(folder + "/s_Markers_" + std::to_string(i) + ".xml"));
  const StdoutCapture out;
  ASSERT_TRUE(Open(folder));
  EXPECT_EQ(View().Slots().markers.count, 100);
  EXPECT_EQ(Combo("IDC_COMBO_MARKERS")->itemText(99), "100");
  EXPECT_EQ(View().GetMarkersCurSel(), 0);  // "Vamo" sorts after 100 and is left out
  EXPECT_EQ(out.Text(), "Warning: 'Markers' has 101 files; only the first 100 are loaded\n");
}

TEST_F(LoadingTest, ThreeDimensionalTiffBecomesAMetaImageScan)
{
  ASSERT_EQ(fixtures::RunCommand("cd '" + m_Dir.Path().string() + "' && /usr/bin/python3 -c \"\n"
                                 "import tifffile, numpy as np\n"
                                 "tifffile.imwrite('a.tif', np.arange(6*24*16, dtype=np.uint16).reshape(6, 24, 16), "
                                 "photometric='minisblack')\n"
                                 "tifffile.imwrite('flat.tif', np.zeros((24, 16), np.uint8))\n\""),
            0);
  const auto answer = [](const char* x, const char* y, const char* z) {
    return [=](const platform::DialogRequest& request, QDialog* dialog) {
      platform::DialogAnswer a;
      auto* sizes = qobject_cast<CDlgVoxelSize*>(dialog);
      if (request.kind != platform::DialogKind::Modal || !sizes || !x)
        return a;
      sizes->Edit(0)->setText(x);
      sizes->Edit(1)->setText(y);
      sizes->Edit(2)->setText(z);
      sizes->accept();
      a.accepted = sizes->result() == QDialog::Accepted;
      return a;
    };
  };
  const auto open = [&](const std::string& name, const platform::DialogHandler& dialogs) {
    const platform::ScopedDialogHook hook(dialogs);
    m_Messages.clear();
    const platform::ScopedMessageHook messages([this](const std::string& text, unsigned) {
      m_Messages.push_back(text);
      return static_cast<int>(platform::kIdOk);
    });
    return View().OpenOCTFile(File(name));
  };

  EXPECT_FALSE(open("a.tif", answer(nullptr, nullptr, nullptr)));  // cancelled: no message, no file
  EXPECT_TRUE(m_Messages.empty());
  EXPECT_FALSE(fs::exists(File("a.mhd")));

  EXPECT_FALSE(open("flat.tif", answer("1", "1", "1")));
  EXPECT_EQ(m_Messages, std::vector<std::string>{"This is not a 3D TIFF file."});

  ASSERT_TRUE(open("a.tif", answer("10", "5", "50")));
  EXPECT_TRUE(m_Messages.empty());
  EXPECT_EQ(View().GetScanPath(), File("a.mhd"));
  EXPECT_EQ(View().GetScanFolder(), m_Dir.Path().string());
  const LOCTVolume& scan = View().GetReadVolume();
  EXPECT_EQ(scan.format, FormatMetaImage);
  EXPECT_EQ(scan.sizeX, 16);
  EXPECT_EQ(scan.sizeZ, 6);
  EXPECT_FLOAT_EQ(scan.spacingX, 0.01f);
  EXPECT_FLOAT_EQ(scan.spacingY, 0.005f);
  EXPECT_FLOAT_EQ(scan.spacingZ, 0.05f);
  EXPECT_EQ(scan.Voxels()[16 * 24 * 6 - 1], 16 * 24 * 6 - 1);
  EXPECT_EQ(platform::Profile::GetProfileString("VoxelSizeY", ""), "5.000000");
  EXPECT_EQ(View().Slots().surfaces.count, 0);

  // A converted file is never written over what is already there.
  const std::string data = fixtures::ReadAll(File("a.raw"));
  fs::remove(File("a.mhd"));
  EXPECT_FALSE(open("a.tif", answer("1", "1", "1")));
  EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'OCT'"});
  EXPECT_EQ(fixtures::ReadAll(File("a.raw")), data);
  EXPECT_FALSE(fs::exists(File("a.mhd")));
}

// On a full disk the conversion fails with its message and leaves nothing beside the TIFF:
// no header, no data file, no temporary.
TEST_F(LoadingTest, ATiffConversionOnAFullDiskLeavesNothingBehind)
{
  const SmallDisk disk;
  if (!disk.Mounted())
    GTEST_SKIP() << SmallDisk::SkipReason();
  ASSERT_EQ(fixtures::RunCommand("cd '" + disk.Path().string() + "' && /usr/bin/python3 -c \"\n"
                                 "import tifffile, numpy as np\n"
                                 "tifffile.imwrite('a.tif', np.arange(20*48*64, dtype=np.uint16).reshape(20, 48, 64), "
                                 "photometric='minisblack')\n\""),
            0);
  ASSERT_TRUE(disk.FillLeaving(64 * 1024));  // room for half the voxels
  const platform::ScopedDialogHook sizes([](const platform::DialogRequest&, QDialog* dialog) {
    auto* voxelSize = qobject_cast<CDlgVoxelSize*>(dialog);
    if (!voxelSize)
      return platform::DialogAnswer{};
    for (int axis = 0; axis < 3; ++axis)
      voxelSize->Edit(axis)->setText("1");
    voxelSize->accept();
    return platform::DialogAnswer{true, ""};
  });
  const platform::ScopedMessageHook messages([this](const std::string& text, unsigned) {
    m_Messages.push_back(text);
    return static_cast<int>(platform::kIdOk);
  });
  const StdoutCapture quiet(2);
  EXPECT_FALSE(View().OpenOCTFile(disk.File("a.tif")));
  EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'OCT'"});
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(disk.Path()))
    left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"a.tif", "filler"}));
}

// What a killed save leaves (a hidden temporary, or a hidden folder of staged files named
// like results) is neither loaded with the folder nor found by the thickness analysis.
TEST_F(LoadingTest, HiddenLeftoversAreNotTheFolders)
{
  const std::string folder = WriteFullFolder("leftovers");
  ASSERT_TRUE(fixtures::WriteText(folder + "/.s_Surfaces_Vamo.xml.Ab12Cd", "<half"));
  fs::create_directory(folder + "/.sv-Ab12Cd");
  ASSERT_TRUE(fixtures::WriteText(folder + "/.sv-Ab12Cd/s_Surfaces_Vamo.xml", "<half"));
  ASSERT_TRUE(fixtures::WriteText(folder + "/.sv-Ab12Cd/s_OCT.mhd", "half"));
  ASSERT_TRUE(Open(folder));
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  EXPECT_EQ(View().GetScanPath(), folder + "/s_OCT.mhd");
  ASSERT_EQ(View().Slots().surfaces.count, 1);
  EXPECT_EQ(View().Slots().surfaces.pathList.GetAt(0), folder + "/s_Surfaces_Vamo.xml");

  CSortStringArray found;
  ListFilesRecursive(m_Dir.Path().string(), "_Surfaces_", found);
  ASSERT_EQ(found.GetSize(), 1);
  EXPECT_EQ(found.GetAt(0), folder + "/s_Surfaces_Vamo.xml");
}

TEST_F(LoadingTest, OneResultFileReplacesOnlyItsKind)
{
  const std::string folder = WriteFullFolder("single");
  ASSERT_TRUE(Open(folder));
  ASSERT_TRUE(WriteSurfaces(File("layers.xml")));
  ASSERT_TRUE(WriteSurfaces(File("wrong.xml"), kX + 1, kZ));
  m_Messages.clear();
  const platform::ScopedMessageHook hook([this](const std::string& text, unsigned) {
    m_Messages.push_back(text);
    return static_cast<int>(platform::kIdOk);
  });
  EXPECT_FALSE(View().OpenSurfacesFile(File("wrong.xml")));
  EXPECT_EQ(m_Messages, std::vector<std::string>{"The size of 'Surfaces' is not equal to that of 'OCT'."});
  EXPECT_EQ(Items(Combo("IDC_COMBO_SURFACES")), QStringList{"Vamo"});
  EXPECT_TRUE(View().OpenSurfacesFile(File("layers.xml")));
  EXPECT_EQ(Items(Combo("IDC_COMBO_SURFACES")), QStringList{"layers.xml"});
  EXPECT_EQ(View().GetSurfacesCurSel(), 0);
  EXPECT_EQ(View().Slots().markers.count, 1);
}

TEST_F(LoadingTest, GridFallsBackOnTheEtdrsGridAndRecordsIt)
{
  const TempDir exe;
  fs::create_directories(exe.Path() / "Grid");
  fs::copy_file(std::string(STRATAVIEW_SOURCE_DIR) + "/res/Grid/Grid_Circle_Macula_ETDRS.xml",
                exe.Path() / "Grid/Grid_Circle_Macula_ETDRS.xml");
  const TempDir empty;
  struct ExeFolder {
    explicit ExeFolder(const std::string& folder) { platform::SetExecutableDirForTests(folder); }
    ~ExeFolder() { platform::SetExecutableDirForTests(STRATAVIEW_SOURCE_DIR "/res"); }
  };
  const auto open = [&](const std::string& exeFolder, std::unique_ptr<CMainFrame>& frame) {
    const ExeFolder folder(exeFolder);
    platform::Profile::WriteProfileString("GridFileName", "Grid_Missing.xml");
    m_Messages.clear();
    const platform::ScopedMessageHook hook([this](const std::string& text, unsigned) {
      m_Messages.push_back(text);
      return static_cast<int>(platform::kIdOk);
    });
    frame = std::make_unique<CMainFrame>();
    frame->View()->OnInitialUpdate();
  };
  std::unique_ptr<CMainFrame> frame;
  open(exe.Path().string(), frame);
  EXPECT_TRUE(m_Messages.empty());
  EXPECT_TRUE(frame->View()->GetGridDefinition().loaded);
  EXPECT_EQ(frame->View()->Settings().GridFileName, "Grid_Circle_Macula_ETDRS.xml");
  EXPECT_EQ(platform::Profile::GetProfileString("GridFileName", ""), "Grid_Circle_Macula_ETDRS.xml");

  open(empty.Path().string(), frame);
  EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'Grid'"});
  EXPECT_FALSE(frame->View()->GetGridDefinition().loaded);
  EXPECT_EQ(platform::Profile::GetProfileString("GridFileName", ""), "Grid_Missing.xml");
}

TEST_F(LoadingTest, ScansThatBreakTheToolkitsAreFileErrors)
{
  const fixtures::ScopedDecoder helper(std::chrono::seconds(5));
  const std::string demo = File("Demo");
  ASSERT_TRUE(fixtures::MakeSmallDemo(demo));
  ASSERT_TRUE(Open(demo));
  View().RefreshAll();
  const std::string scan = demo + "/Demo_OCT.mhd";
  const int sizeX = View().GetReadVolume().sizeX;

  const struct {
    const char* kind;
    const char* name;
  } cases[] = {
      {"nifti", "itk-png-abort--asan-abrt"},        // aborts libpng
      {"metaimage", "meta-fortify-abort--asan-abrt"},  // aborts in MetaIO's header parse
      {"metaimage", "meta-read-timeout--timeout"},     // hangs MetaIO
      {"nifti", "vnl-svd-timeout--timeout"},           // hangs vnl
      {"analyze", "vnl-nonfinite-abort--asan-abrt"},   // aborts vnl
      {"tiff", "tiff-ifd-timeout--timeout"},           // hangs libtiff
      {"tiff", "tiff-realloc-huge--asan-allocator"},   // asks libtiff for 8.6 GB
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + "/" + c.name);
    const std::string path = fixtures::PlaceToolkitFault(m_Dir.Path().string(), c.kind, c.name);
    ASSERT_FALSE(path.empty());
    EXPECT_FALSE(OpenScanFile(path));
    EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'OCT'"});
    ExpectStillShowing(scan, sizeX);
  }
}

// The helper made to abort, crash, hang or exhaust its memory on request: the scan, a
// label volume and a projection image read through it fail as their kind's file error.
TEST_F(LoadingTest, AFailingDecoderIsTheKindsFileError)
{
  // Topcon scans are read by the program itself, so the fault reaches only the file of
  // the kind under test: a projection image in one folder, a label volume in another.
  const auto topconFolder = [&](const std::string& name) {
    const std::string folder = File(name);
    fs::create_directories(folder);
    fs::rename(fixtures::CopySample("topcon_minimized.fds", folder), folder + "/t_OCT.fds");
    return folder;
  };
  const std::string topcon = topconFolder("topcon"), labelled = topconFolder("labelled");
  const std::string scan = topcon + "/t_OCT.fds";
  ASSERT_TRUE(Open(topcon));
  View().RefreshAll();
  const LOCTVolume& read = View().GetReadVolume();
  const int sizeX = read.sizeX;
  FIBITMAP* bitmap = FreeImage_Allocate(read.sizeX, read.sizeZ, 8);
  ASSERT_TRUE(FreeImage_Save(FIF_PNG, bitmap, (topcon + "/t_Proj_Vamo.png").c_str()));
  FreeImage_Unload(bitmap);
  LOCTVolume labels;
  const int size[3] = {read.sizeX, read.sizeY, read.sizeZ};
  const float spacing[3] = {read.spacingX, read.spacingY, read.spacingZ};
  labels.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityNA, CenterNA);
  std::fill_n(labels.Voxels(), labels.VoxelCount(), static_cast<unsigned short>(0));
  ASSERT_EQ(labels.WriteMetaImage(labelled + "/t_Vessel_Vamo.mhd"), 0);
  ASSERT_TRUE(Open(labelled));
  ASSERT_TRUE(Open(topcon));
  View().RefreshAll();

  const std::string demo = File("Demo");
  ASSERT_TRUE(fixtures::MakeSmallDemo(demo));

  const fixtures::ScopedDecoder helper(std::chrono::seconds(2));
  for (const char* fault : {"abort", "crash", "hang", "allocate"}) {
    SCOPED_TRACE(fault);
    const fixtures::ScopedDecoderFault failing(fault);
    EXPECT_FALSE(Open(demo));
    EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'OCT'"});
    ExpectStillShowing(scan, sizeX);

    EXPECT_FALSE(Open(topcon));
    EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'Proj.'"});
    ExpectStillShowing(scan, sizeX);

    EXPECT_FALSE(Open(labelled));
    EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'Vessel'"});
    ExpectStillShowing(scan, sizeX);
  }
}

}  // namespace
