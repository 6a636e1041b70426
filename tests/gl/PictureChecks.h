#pragma once
// Pictures of the 3-D pane compared in the gl tests, and a tilted view to take them from.
#include "panes/L3D.h"

#include <QImage>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdlib>

// A rotation of a degrees about x, then b degrees about y, in OpenGL column order.
inline std::array<float, 16> Tilted(float a, float b)
{
  const float ca = std::cos(a * 0.0174533f), sa = std::sin(a * 0.0174533f);
  const float cb = std::cos(b * 0.0174533f), sb = std::sin(b * 0.0174533f);
  // Ry * Rx
  return {cb, 0, -sb, 0, sb * sa, ca, cb * sa, 0, sb * ca, -sa, cb * ca, 0, 0, 0, 0, 1};
}

// Pixels of the buffered picture that no pixel of the cell-by-cell one within one pixel
// matches to one step per channel; cells narrower than a pixel may fall to either side of
// a boundary, which moves a colour by one pixel but never invents one. Where two shapes
// cross (a plane through a surface), the pixels on the crossing line may go to either,
// and blending adds up the rounding of each layer: a few of those stay unmatched.
struct Difference {
  int unmatched = 0;
  int moved = 0;
};

inline Difference Compare(const QImage& cells, const QImage& buffered)
{
  Difference d;
  const auto close = [](QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 1 && std::abs(qGreen(a) - qGreen(b)) <= 1 && std::abs(qBlue(a) - qBlue(b)) <= 1;
  };
  for (int y = 0; y < buffered.height(); ++y) {
    for (int x = 0; x < buffered.width(); ++x) {
      const QRgb b = buffered.pixel(x, y);
      if (close(cells.pixel(x, y), b))
        continue;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy)
        for (int dx = -1; dx <= 1 && !near; ++dx)
          near = cells.valid(x + dx, y + dy) && close(cells.pixel(x + dx, y + dy), b);
      ++(near ? d.moved : d.unmatched);
    }
  }
  return d;
}

inline int DifferingPixels(const QImage& a, const QImage& b)
{
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

// Renders the pane's present state with the cells left out and with every cell drawn, and
// expects the same picture; gives the number of cells left out. The pane leaves cells out
// again afterwards, as it does by default.
inline size_t ExpectLeftOutCellsChangeNoPixel(L3D& pane)
{
  pane.SetGuideCellSkipping(true);
  const QImage skipping = pane.RenderToImage();
  const size_t leftOut = pane.GuideCellsLeftOut();
  pane.SetGuideCellSkipping(false);
  const QImage every = pane.RenderToImage();
  pane.SetGuideCellSkipping(true);
  EXPECT_FALSE(skipping.isNull());
  EXPECT_EQ(skipping.size(), every.size());
  if (skipping.size() == every.size())
    EXPECT_EQ(DifferingPixels(every, skipping), 0);
  return leftOut;
}
