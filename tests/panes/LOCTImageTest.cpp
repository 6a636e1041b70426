#include "SlicePaneTestData.h"

#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "panes/SlicePainting.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QGuiApplication>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace {

const int kOrientations[] = {OrientationXY, OrientationZY, OrientationXZ};

// A pane in a host window, rendered at a position inside the test volume.
class PaneTest : public ::testing::Test {
protected:
  void SetUpFor(int orientation)
  {
    SetUpPane(m_Pane, m_Data, orientation, m_Position, &m_Centre, &m_Width, &m_Host);
    m_Pane.Render();
  }
  // Every visible cell shows its bitmap pixel at its window centre.
  void ExpectCellsAtTheirCentres(const QImage& window) const
  {
    const auto m = m_Pane.Mapping();
    ASSERT_TRUE(m);
    const PixelRect part = m->VisiblePart();
    for (int r = part.y; r < part.y + part.height; ++r)
      for (int c = part.x; c < part.x + part.width; ++c) {
        const QPoint p(m->CentreX(static_cast<float>(c)), m->CentreY(static_cast<float>(r)));
        ASSERT_EQ(window.pixel(p), m_Pane.Bitmap().pixel(c, r)) << "cell " << c << ", " << r;
      }
  }

  SliceTestData m_Data;
  int m_Position[3] = {5, 9, 3};
  float m_Centre = 32768;
  float m_Width = 65535;
  FakeView m_View;
  CChildWnd m_Host;
  LOCTImage m_Pane{m_View};
};

TEST_F(PaneTest, ResizedWindowStretchesEveryCell)
{
  for (int orientation : kOrientations) {
    SCOPED_TRACE(orientation);
    SetUpFor(orientation);
    m_Pane.SetShowGuideLines(false);
    m_Pane.SetShowOverlay(false);
    EXPECT_TRUE(m_Pane.RenderToImage() == m_Pane.Bitmap()) << "before Resize the bitmap is shown 1:1";
    m_Pane.Resize(83, 131);  // not a multiple of any axis of the volume
    const QImage window = m_Pane.RenderToImage();
    ASSERT_EQ(window.size(), QSize(83, 131));
    ExpectCellsAtTheirCentres(window);
  }
}

TEST_F(PaneTest, ZoomedAndPannedPartIsStretchedOverTheWindow)
{
  QImage bitmap(16, 24, QImage::Format_RGB32);
  for (int r = 0; r < 24; ++r)
    for (int c = 0; c < 16; ++c)
      bitmap.setPixel(c, r, qRgb(c * 16, r * 10, 99));
  const auto m = SliceMapping::Make(16, 24, 0.5f, 2, 3, 50, 70);
  ASSERT_TRUE(m);
  QImage window(50, 70, QImage::Format_RGB32);
  QPainter painter(&window);
  DrawVisiblePart(painter, bitmap, *m, window.size());
  painter.end();
  const PixelRect part = m->VisiblePart();
  for (int r = part.y; r < part.y + part.height; ++r)
    for (int c = part.x; c < part.x + part.width; ++c) {
      const QPoint p(m->CentreX(static_cast<float>(c)), m->CentreY(static_cast<float>(r)));
      ASSERT_EQ(window.pixel(p), bitmap.pixel(c, r)) << "cell " << c << ", " << r;
    }
}

TEST_F(PaneTest, FrameTakesTheSliceAxisColourWhileGuideLinesShow)
{
  const struct {
    int orientation;
    QRgb frame;
  } kFrames[] = {{OrientationXY, qRgb(255, 0, 0)}, {OrientationZY, qRgb(0, 255, 0)}, {OrientationXZ, qRgb(0, 0, 255)}};
  for (const auto& f : kFrames) {
    SCOPED_TRACE(f.orientation);
    SetUpFor(f.orientation);
    m_Pane.Resize(60, 50);
    m_Pane.SetShowGuideLines(true);
    m_Pane.SetShowOverlay(false);  // the info text of a narrow pane may run over the frame
    const QImage window = m_Pane.RenderToImage();
    for (int i : {0, 1, 58, 59})
      for (int y : {0, 7, 25, 49})
        EXPECT_EQ(window.pixel(i, y), f.frame) << "column " << i << " row " << y;
    for (int i : {0, 1, 48, 49})
      for (int x : {0, 13, 30, 59})
        EXPECT_EQ(window.pixel(x, i), f.frame) << "column " << x << " row " << i;
    // Grey pixels inside: the frame is two pixels wide.
    for (int y : {2, 25, 47})
      for (int x : {2, 30, 57})
        EXPECT_NE(window.pixel(x, y), f.frame) << "column " << x << " row " << y;
  }
}

TEST_F(PaneTest, TintTogglesRenderAgainAndCreatePaneClearsThemAndTheirData)
{
  using Toggle = std::function<void(LOCTImage&, bool)>;
  const struct {
    const char* what;
    Toggle toggle;
  } kToggles[] = {
      {"undefined region", [](LOCTImage& p, bool on) { p.ShowUndefinedRegion(on); }},
      {"disc", [](LOCTImage& p, bool on) { p.ShowDisc(on); }},
      {"vessel", [](LOCTImage& p, bool on) { p.ShowVessel(on); }},
      {"SEAD", [](LOCTImage& p, bool on) { p.ShowSEAD(on); }},
  };
  for (const auto& t : kToggles) {
    SCOPED_TRACE(t.what);
    LOCTImage pane(m_View);
    SetUpPane(pane, m_Data, OrientationXZ, m_Position, &m_Centre, &m_Width);
    pane.Render();
    const QImage plain = pane.Bitmap();

    t.toggle(pane, true);  // shown without its data: nothing to draw
    EXPECT_TRUE(pane.Bitmap() == plain);

    pane.SetSurfaces(0, nullptr, m_Data.undefinedMask.data());
    pane.SetDiscMask(m_Data.discMask.data());
    pane.SetVesselVolume(m_Data.vesselLabels.Layer());
    pane.SetSEADVolume(m_Data.seadLabels.Layer());
    t.toggle(pane, true);
    EXPECT_FALSE(pane.Bitmap() == plain);
    t.toggle(pane, false);
    EXPECT_TRUE(pane.Bitmap() == plain);

    t.toggle(pane, true);
    SetUpPane(pane, m_Data, OrientationXZ, m_Position, &m_Centre, &m_Width);
    pane.Render();
    EXPECT_TRUE(pane.Bitmap() == plain) << "a new CreatePane turns the tints off";
    t.toggle(pane, true);
    EXPECT_TRUE(pane.Bitmap() == plain) << "and lets go of the data they were drawn from";
  }
}

TEST_F(PaneTest, NothingHappensWithoutAPaneAVolumeOrPixels)
{
  // Before CreatePane: no bitmap, no window, no mapping.
  m_Pane.ShowVessel(true);
  m_Pane.Render();
  m_Pane.Resize(40, 40);
  EXPECT_TRUE(m_Pane.Bitmap().isNull());
  EXPECT_FALSE(m_Pane.Mapping());
  EXPECT_EQ(m_Pane.GetWindowWidth(), 0);

  // Created, but without a volume: the bitmap stays black and the window is untouched.
  m_Pane.CreatePane(16, 24, DibColors24Bit, &m_Host);
  m_Pane.SetOrientation(OrientationXY);
  m_Pane.SetPosition(m_Position);
  float centre = -5;
  m_Pane.SetWindowLevel(&centre, &m_Width);
  m_Pane.Render();
  EXPECT_EQ(m_Pane.Bitmap().pixel(3, 4), qRgb(0, 0, 0));
  EXPECT_EQ(centre, -5) << "no render, no clamp";

  // A pane hidden by a layout: no mapping, no image, no export.
  SetUpFor(OrientationXY);
  m_Pane.Resize(0, 0);
  EXPECT_FALSE(m_Pane.Mapping());
  EXPECT_TRUE(m_Pane.RenderToImage().isNull());
  QGuiApplication::clipboard()->setText("kept");
  m_Pane.CopyToClipboard();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
  const TempDir dir;
  EXPECT_EQ(m_Pane.SaveImage(dir.File("hidden.png")), -1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("hidden.png")));
}

TEST_F(PaneTest, HostIsBlackAroundThePane)
{
  m_Host.resize(70, 90);
  SetUpFor(OrientationXY);
  m_Pane.Resize(40, 50);
  const QImage host = m_Host.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(host.size(), QSize(70, 90));
  EXPECT_EQ(host.pixel(55, 20), qRgb(0, 0, 0));
  EXPECT_EQ(host.pixel(10, 70), qRgb(0, 0, 0));
  EXPECT_TRUE(host.copy(0, 0, 40, 50) == m_Pane.RenderToImage());
}

TEST_F(PaneTest, ClipboardHoldsThePanesOwnRendering)
{
  SetUpFor(OrientationZY);
  m_Pane.Resize(37, 81);
  m_Pane.CopyToClipboard();
  const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(copied == m_Pane.RenderToImage());
}

std::string Md5OfRgb(const QImage& image)
{
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  QCryptographicHash hash(QCryptographicHash::Md5);
  for (int y = 0; y < rgb.height(); ++y)
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(rgb.constScanLine(y)), rgb.width() * 3));
  return hash.result().toHex().toStdString();
}

TEST_F(PaneTest, SavedImagesReadBackAsTheWindowShowsIt)
{
  SetUpFor(OrientationXY);
  m_Pane.SetSurfaces(0, nullptr, m_Data.undefinedMask.data());
  m_Pane.ShowUndefinedRegion(true);
  m_Pane.Resize(45, 61);
  const QImage shown = m_Pane.RenderToImage();
  const std::string expected = "45 61 RGB " + Md5OfRgb(shown) + "\n";
  const TempDir dir;
  for (const char* name : {"pane.tif", "pane.png", "pane.bmp", "PANE.TIF"}) {
    SCOPED_TRACE(name);
    QGuiApplication::clipboard()->clear();
    ASSERT_EQ(m_Pane.SaveImage(dir.File(name)), 0);
    std::string read;
    ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 -c \"import sys, hashlib; from PIL import Image; "
                                   "im = Image.open(sys.argv[1]); "
                                   "print(im.width, im.height, im.mode, hashlib.md5(im.tobytes()).hexdigest())\" " +
                                       dir.File(name),
                                   &read),
              0);
    EXPECT_EQ(read, expected);
    EXPECT_TRUE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32) == shown)
        << "saving places the image on the clipboard as well";
  }
}

TEST_F(PaneTest, FailedSaveKeepsTheOldFile)
{
  SetUpFor(OrientationXY);
  m_Pane.Resize(20, 20);
  const TempDir dir;
  const std::string unknown = dir.File("old.xyz");
  ASSERT_TRUE(fixtures::WriteText(unknown, "old"));
  std::filesystem::create_directory(dir.Path() / "folder.png");
  const struct {
    const char* what;
    std::string path;
  } kFailures[] = {
      {"no format for the extension", unknown},
      {"the target is a folder", dir.File("folder.png")},
      {"the folder does not exist", dir.File("missing/pane.png")},
  };
  for (const auto& f : kFailures) {
    SCOPED_TRACE(f.what);
    EXPECT_EQ(m_Pane.SaveImage(f.path), -1);
  }
  EXPECT_EQ(fixtures::ReadAll(unknown), "old");
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder.png"));
  size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 2u) << "no temporary file is left behind";
}

}  // namespace
