#pragma once
// Where each surface of the kept 3-D picture has pixels, in tiles of 8 x 8 pixels, read from
// the picture's stencil once per kept picture; and whether a guide-line cell, projected with
// the pane's own matrices, can reach any of them. A guide-line cell is drawn only where the
// stencil names its own surface, so a cell whose screen box, widened by two pixels for the
// rasteriser's rounding, touches no tile of that surface changes no pixel and need not be
// drawn at all.
#include "panes/Scene3D.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class GuideCellTiles {
public:
  // For each stencil value, the surfaces (a bit each) whose guide-line cells pass there.
  using SurfacesOfValue = std::array<uint32_t, 256>;

  // From the stencil of a picture of width x height pixels, a byte per pixel, rows from the
  // bottom up as the picture is read back.
  void Build(const std::vector<uint8_t>& stencil, int width, int height, const SurfacesOfValue& surfacesOf);
  void Clear()
  {
    m_Tiles.clear();
    m_LeftOut = 0;
  }
  bool Built() const { return !m_Tiles.empty(); }
  // The transform of the render the cells are drawn in: modelview and projection matrices
  // (column-major, as OpenGL keeps them) and the viewport.
  void SetTransform(const std::array<double, 16>& modelview, const std::array<double, 16>& projection,
                    const std::array<int, 4>& viewport);
  // Whether a cell of surface `surface` with these corners may show; always true for a cell
  // reaching behind the eye, whose screen box cannot be told from its corners.
  bool MayShow(int surface, const std::array<ScenePoint, 4>& corners) const;
  // The cells MayShow refused since the transform was set, for benchmarks and tests.
  size_t LeftOut() const { return m_LeftOut; }

private:
  static constexpr int kTile = 8;
  static constexpr double kMargin = 2.0;

  std::vector<uint32_t> m_Tiles;  // the surfaces in each tile, rows of tiles from the bottom
  int m_Columns = 0;
  int m_Rows = 0;
  int m_Width = 0;
  int m_Height = 0;
  std::array<double, 16> m_Transform{};  // projection x modelview
  std::array<int, 4> m_Viewport{};
  mutable size_t m_LeftOut = 0;
};
