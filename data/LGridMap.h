#pragma once
// The sector label image of a grid definition around a grid centre: one label per A-scan
// position of the en-face plane, 0 outside every sector and k inside sector k. The batch
// thickness analysis averages thickness per label.
#include <cstdint>
#include <string>
#include <vector>

#include "data/BorrowedGridArrays.h"
#include "data/LGrid.h"

class LGridMap {
public:
  LGridMap() = default;
  LGridMap(const LGridMap&) = delete;
  LGridMap& operator=(const LGridMap&) = delete;

  // Replaces the label image by one of width x height labels, all 0. A size that is not
  // positive leaves no image.
  void SetSize(int width, int height);
  void SetSpacing(float spacingX, float spacingY, float spacingZ);
  // The grid centre as a position: A-scan index, B-scan index.
  void SetCenter(int centerX, int centerZ);

  // The setters borrow the arrays of the caller's grid (Compute normalises the angles and
  // radii in them); the label texts are passed along and not used.
  void SetGridCircles(int count, const std::string* labels, float* radiusFrom,
                      float* radiusTo, float* angleFrom, float* angleTo);
  void SetGridEllipses(int count, const std::string* labels, float* horizontalRadiusFrom,
                       float* horizontalRadiusTo, float* verticalRadiusFrom,
                       float* verticalRadiusTo, float* angleFrom, float* angleTo);
  void SetGridRectangles(int count, const std::string* labels, const float* left,
                         const float* top, const float* right, const float* bottom);
  // Each of the region arrays holds one entry per group.
  void SetGridRectangleSets(int groupCount, const std::string* groupLabels,
                            const int32_t* regionCount,
                            const std::vector<std::string>* regionLabels,
                            const std::vector<float>* left, const std::vector<float>* top,
                            const std::vector<float>* right,
                            const std::vector<float>* bottom);

  // Writes the label of every sector into the image; positions outside every sector keep
  // their label. Does nothing without an image, a grid setter or positive spacings.
  void Compute();

  bool IsAllocated() const { return m_Allocated; }
  int Width() const { return m_Width; }
  int Height() const { return m_Height; }
  // Label of position (x, z) at x + Width() * z; null when not allocated.
  const uint16_t* LabelImage() const { return m_Allocated ? m_Labels.data() : nullptr; }

private:

  bool m_Allocated = false;
  int32_t m_Width = 0;
  int32_t m_Height = 0;
  std::vector<uint16_t> m_Labels;
  float m_SpacingX = 0.0f;
  float m_SpacingY = 0.0f;
  float m_SpacingZ = 0.0f;
  int32_t m_CenterX = 0;
  int32_t m_CenterZ = 0;
  GridType m_GridType = GridNone;
  BorrowedGridArrays m_Grid;
};
