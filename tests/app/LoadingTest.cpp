#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgVoxelSize.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ResultXmlText.h"
#include "fixtures/ScanFolderFiles.h"
#include "fixtures/ScopedDecoder.h"
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
#include <functional>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

constexpr int kX = fixtures::kScanX, kY = fixtures::kScanY, kZ = fixtures::kScanZ;
using fixtures::WriteGridCenter;
using fixtures::WriteImage;
using fixtures::WriteMarkers;
using fixtures::WriteRefSurf;
using fixtures::WriteSurfaces;
using fixtures::WriteVolume;

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
    EXPECT_TRUE(fixtures::WriteFullFolder(folder)) << folder;
    return folder;
  }

  // Opens the folder, recording every message (and its detail) instead of showing it.
  bool Open(const std::string& folder)
  {
    const platform::ScopedMessageHook hook = RecordMessages();
    return View().ScanFolder(folder);
  }

  // Opens one scan file, recording every message instead of showing it.
  bool OpenScanFile(const std::string& path)
  {
    const platform::ScopedMessageHook hook = RecordMessages();
    return View().OpenOCTFile(path);
  }

  platform::ScopedMessageHook RecordMessages()
  {
    m_Messages.clear();
    m_Details.clear();
    return platform::ScopedMessageHook([this](const std::string& text, const std::string& detail, unsigned) {
      m_Messages.push_back(text);
      m_Details.push_back(detail);
      return static_cast<int>(platform::kIdOk);
    });
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
  std::vector<std::string> m_Details;  // one per message
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
            demo + "/Demo_OCT.mhd[*] - Strataview (For investigational use only, not FDA approved)");
  EXPECT_TRUE(qobject_cast<QPlainTextEdit*>(Find("IDC_EDIT_OCTINFO"))->toPlainText().startsWith(" - MetaImage\n - 64 x"));

  view.RefreshAll();
  EXPECT_TRUE(view.GetDisplayedVolume().loaded);
  EXPECT_EQ(view.GetDisplayedVolume().sizeZ, view.GetReadVolume().sizeZ);
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

// A failed read keeps its message and says, below it, which file it was and why: the lines
// the reader printed, which a user of the desktop never sees on standard output.
TEST_F(LoadingTest, EveryFailedReadNamesTheFileAndTheReadersReason)
{
  const auto truncatedVol = [this]() {
    const std::string folder = File("truncated");
    fs::create_directories(folder);
    const std::string scan = fixtures::CopySample("heidelberg_valid.vol", folder);
    fs::rename(scan, folder + "/eye_OCT.vol");
    fs::resize_file(folder + "/eye_OCT.vol", 5000);
    return folder;
  };
  const auto noScan = [this]() {
    const std::string folder = File("noscan");
    fs::create_directories(folder);
    EXPECT_TRUE(WriteSurfaces(folder + "/eye_Surfaces_Vamo.xml"));
    return folder;
  };
  const auto pngAsNifti = [this]() {
    EXPECT_TRUE(WriteImage(File("picture.png")));
    fs::rename(File("picture.png"), File("eye_OCT.nii"));
    return File("eye_OCT.nii");
  };
  const auto brokenSurfaces = [this]() {
    const std::string folder = WriteFullFolder("broken");
    EXPECT_TRUE(fixtures::WriteText(folder + "/s_Surfaces_Vamo.xml", "<surfaces><version>4.0"));
    return folder;
  };
  const struct {
    const char* what;
    std::function<std::string()> make;
    bool folder;           // opened as a folder (else as one scan file)
    const char* message;
    const char* failed;    // the file (or folder) named first, below the folder made
    const char* reason;    // a part of the reason given below it
  } kCases[] = {
      {"a truncated Heidelberg scan", truncatedVol, true, "Unsupporting OCT file!", "/eye_OCT.vol", "Error: "},
      {"a folder without a scan", noScan, true, "Unsupporting OCT file!", "", "\"_OCT\""},
      {"a picture named as NIfTI", pngAsNifti, false, "File error: 'OCT'", "", "eye_OCT.nii: "},
      {"surfaces that are not XML", brokenSurfaces, true, "File error: 'Surfaces'", "/s_Surfaces_Vamo.xml",
       "s_Surfaces_Vamo.xml: "},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const std::string opened = c.make();
    EXPECT_FALSE(c.folder ? Open(opened) : OpenScanFile(opened));
    ASSERT_EQ(m_Messages, std::vector<std::string>{c.message});
    const std::string& detail = m_Details.front();
    const std::string failed = opened + c.failed;
    EXPECT_EQ(detail.substr(0, failed.size() + 1), failed + "\n") << detail;
    EXPECT_NE(detail.find(c.reason, failed.size()), std::string::npos) << detail;
  }
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

// The suite's own file is kept even where it sorts beyond the hundredth, and the user is
// told which files were left out.
TEST_F(LoadingTest, AKindTakesAtMostAHundredFilesAndKeepsTheSuitesOwn)
{
  const std::string folder = WriteFullFolder("many");
  for (int i = 1; i <= 100; ++i)
    ASSERT_TRUE(WriteMarkers(folder + "/s_Markers_" + std::to_string(i) + ".xml"));
  ASSERT_TRUE(Open(folder));
  EXPECT_EQ(View().Slots().markers.count, 100);
  EXPECT_EQ(Combo("IDC_COMBO_MARKERS")->itemText(98), "99");
  EXPECT_EQ(Combo("IDC_COMBO_MARKERS")->itemText(99), "Vamo");
  EXPECT_EQ(View().GetMarkersCurSel(), 99);
  EXPECT_EQ(m_Messages, std::vector<std::string>{"The folder holds 101 'Markers' files; only 100 are loaded. "
                                                 "Not loaded: 's_Markers_100.xml'."});

  for (int i = 101; i <= 111; ++i)
    ASSERT_TRUE(WriteMarkers(folder + "/s_Markers_" + std::to_string(i) + ".xml"));
  m_Messages.clear();
  ASSERT_TRUE(Open(folder));
  EXPECT_EQ(View().GetMarkersCurSel(), 99);
  EXPECT_EQ(m_Messages, std::vector<std::string>{
                          "The folder holds 112 'Markers' files; only 100 are loaded. Not loaded: 's_Markers_100.xml', "
                          "'s_Markers_101.xml', 's_Markers_102.xml', 's_Markers_103.xml', 's_Markers_104.xml', "
                          "'s_Markers_105.xml', 's_Markers_106.xml', 's_Markers_107.xml', 's_Markers_108.xml', "
                          "'s_Markers_109.xml' and 2 more."});
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

// Every file on which a toolkit fails, opened as a user would: the scan as one file, a 2-D
// image as the projection of a scan folder. Each is its kind's file error with the reason
// on an "Error: " line, while the scan that was open stays open.
TEST_F(LoadingTest, FilesThatBreakTheToolkitsAreFileErrors)
{
  const fixtures::ScopedDecoder helper(std::chrono::seconds(5));
  const std::string demo = File("Demo");
  ASSERT_TRUE(fixtures::MakeSmallDemo(demo));
  ASSERT_TRUE(Open(demo));
  View().RefreshAll();
  const std::string scan = demo + "/Demo_OCT.mhd";
  const int sizeX = View().GetReadVolume().sizeX;
  const std::string withProjection = File("WithProjection");
  ASSERT_TRUE(fixtures::MakeSmallDemo(withProjection));

  for (const fixtures::ToolkitFault& fault : fixtures::ToolkitFaultFiles()) {
    // A leak costs only the helper, and its read may well succeed.
    if (!fixtures::FailsInThisBuild(fault))
      continue;
    SCOPED_TRACE(std::string(fault.kind) + "/" + fault.name);
    const std::string path = fixtures::PlaceToolkitFault(m_Dir.Path().string(), fault.kind, fault.name);
    ASSERT_FALSE(path.empty());
    const bool image = std::string(fault.kind) == "image2d";
    if (image)
      fs::copy_file(path, withProjection + "/Demo_Proj_Vamo.png", fs::copy_options::overwrite_existing);
    bool opened = true;
    std::string out, err;
    {
      const StdoutCapture outCapture, errCapture(2);
      opened = image ? Open(withProjection) : OpenScanFile(path);
      out = outCapture.Text();
      err = errCapture.Text();
    }
    EXPECT_FALSE(opened);
    EXPECT_EQ(m_Messages, std::vector<std::string>{image ? "File error: 'Proj.'" : "File error: 'OCT'"});
    // A decoder that failed is named on an "Error: " line; a file refused before any decoder
    // failed has its reason on standard error, after its path.
    const std::string read = image ? withProjection + "/Demo_Proj_Vamo.png" : path;
    EXPECT_TRUE(out.find("Error: ") != std::string::npos || err.find(read + ": ") != std::string::npos)
        << out << err;
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
  EXPECT_EQ(labels.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityNA, CenterNA), 0);
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
