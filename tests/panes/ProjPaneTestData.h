#pragma once
// A small en-face scene for the projection pane: a volume, surfaces as depth rows per
// (surface, z, x), an undefined-region mask and a disc mask, and a view fake that records
// what the pane asks of the view.
#include "panes/LProjImage.h"

#include <string>
#include <vector>

class RecordingView : public ViewServices {
public:
  int SurfacesFileCount() const override { return surfacesFiles; }
  bool ShowThickness() const override { return showThickness; }
  int GridMode() const override { return gridMode; }
  void RenderSlicePane(int orientation) override { calls.push_back("render " + std::to_string(orientation)); }
  void InvalidateSlicePane(int orientation) override { calls.push_back("invalidate " + std::to_string(orientation)); }
  void Invalidate3DPane() override { calls.push_back("3d"); }
  void SetSliceScrollPos(int orientation, int position) override
  {
    calls.push_back("scroll " + std::to_string(orientation) + " " + std::to_string(position));
  }

  int surfacesFiles = 1;
  bool showThickness = false;
  int gridMode = 0;
  std::vector<std::string> calls;
};

struct EnFaceScene {
  EnFaceScene(int x, int y, int z, int surfaces)
      : sizeX(x), sizeY(y), sizeZ(z), surfaceCount(surfaces), voxels(static_cast<size_t>(x) * y * z),
        points(3 * static_cast<size_t>(surfaces) * x * z), undefined(static_cast<size_t>(x) * z),
        disc(static_cast<size_t>(x) * z)
  {
    for (int s = 0; s < surfaces; ++s)
      for (int k = 0; k < z; ++k)
        for (int i = 0; i < x; ++i) {
          int* p = Point(s, i, k);
          p[0] = i;
          p[1] = -1;
          p[2] = k;
        }
  }
  int* Point(int s, int x, int z) { return &points[3 * ((static_cast<size_t>(s) * sizeZ + z) * sizeX + x)]; }
  void SetDepth(int s, int x, int z, int y) { Point(s, x, z)[1] = y; }
  unsigned short& Voxel(int x, int y, int z) { return voxels[x + static_cast<size_t>(sizeX) * (y + static_cast<size_t>(sizeY) * z)]; }
  size_t Cell(int x, int z) const { return static_cast<size_t>(x) + static_cast<size_t>(sizeX) * z; }

  // Hands everything to a created pane of the scene's size.
  void Apply(LProjImage& pane, int bytesPerVoxel = 1, CChildWnd* host = nullptr)
  {
    const int size[3] = {sizeX, sizeY, sizeZ};
    pane.CreatePane(sizeX, sizeZ, DibColors24Bit, host);
    pane.SetVolume(size, voxels.data(), spacing, bytesPerVoxel);
    pane.SetPosition(position);
    pane.SetGridCenter(gridCenter);
    pane.SetSurfaces(surfaceCount, points.data(), undefined.data());
    pane.SetDiscMask(disc.data());
  }

  int sizeX, sizeY, sizeZ, surfaceCount;
  float spacing[3] = {0.012f, 0.25f, 0.05f};
  std::vector<unsigned short> voxels;
  std::vector<int> points;
  std::vector<uint8_t> undefined;
  std::vector<uint8_t> disc;
  int position[3] = {0, 3, 0};
  int gridCenter[2] = {0, 0};
};
