#pragma once
// The thickness of a layer at one en-face cell, the one rule that the projection pane's
// thickness map and the batch thickness analysis share, so that what the pane shows and what
// the CSV file holds always agree.
#include <cfloat>
#include <cstdint>

// A cell without a thickness (and a missing statistic).
constexpr float kNoThickness = FLT_MAX;

// The layer between the surface with the smaller index (depth row upperDepth at the cell) and
// the one with the larger index (lowerDepth), in the unit of spacingY per depth row. A cell
// has no thickness when it lies in the undefined region (mask byte not 0) or when either
// surface has no depth there (a row below 0). Crossing surfaces give a negative thickness.
inline float CellThickness(int32_t upperDepth, int32_t lowerDepth, uint8_t undefinedMask, float spacingY)
{
  if (undefinedMask != 0 || upperDepth < 0 || lowerDepth < 0)
    return kNoThickness;
  // The integer difference first, so that large depths lose nothing before the product.
  return static_cast<float>(lowerDepth - upperDepth) * spacingY;
}
