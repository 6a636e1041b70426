// On a platform without OpenGL (the offscreen one these tests run on) the 3-D pane stores
// what it is handed and draws and exports nothing, without touching OpenGL.
#include "panes/L3D.h"

#include <QWidget>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(L3DWithoutOpenGL, StoresButDrawsAndExportsNothing)
{
  QWidget host;
  host.resize(300, 200);
  host.show();
  const int size[3] = {16, 24, 6};
  const float spacing[3] = {0.05f, 0.002f, 0.05f};
  std::vector<unsigned short> voxels(16 * 24 * 6, 100);
  int position[3] = {8, 12, 3};
  float centre = 127.5f;
  float width = 255.0f;

  L3D pane;
  pane.CreatePane(300, 200, &host);
  pane.SetVolume(size, voxels.data(), spacing, 1);
  pane.SetPosition(position);
  pane.SetWindowLevel(&centre, &width);
  pane.Show3DOCTXY(true);
  pane.Resize(280, 180);
  pane.UpdateProjection();
  pane.repaint();

  EXPECT_TRUE(pane.IsCreated());
  EXPECT_FALSE(pane.isVisible());
  EXPECT_EQ(pane.GetWindowWidth(), 280);
  EXPECT_TRUE(pane.Flag(SceneFlag::PlaneXY));
  EXPECT_TRUE(pane.RenderToImage().isNull());
  pane.CopyToClipboard();
  const std::string path = (std::filesystem::path(testing::TempDir()) / "l3d_offscreen.png").string();
  std::filesystem::remove(path);
  EXPECT_EQ(pane.SaveImage(path), -1);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
