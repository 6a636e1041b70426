#pragma once
// Codes and small rules that the slice, projection and 3-D panes share.
#include "data/ColorRef.h"

#include <cstdint>

// Which plane a slice pane shows: its columns, rows and slice index.
enum SliceOrientation : int {
  OrientationXY = 1,  // columns x, rows y, slice index z
  OrientationZY = 2,  // columns z, rows y, slice index x
  OrientationXZ = 3,  // columns x, rows z, slice index y
};

// The same numbers in every pane; each pane keeps its own copy, handed over by the view.
enum MouseMode : int {
  MousePosition = 0,
  MouseWindow = 1,
  MouseZoom = 2,
  MousePan = 3,
  MouseSurfaces = 4,
  MouseUndefinedRegion = 5,
  MouseGridCenter = 6,
  MouseVessel = 7,
  MouseSEAD = 8,
  MouseMarkers = 9,
  MouseSplines = 10,
};

// The bitmap's colour mode, given as a number of colours. The view always asks for 24 bits.
enum DibColorMode : int {
  DibColors32Bit = 1,  // projection pane only
  DibColors256 = 256,
  DibColors24Bit = 0x1000000,
};

// The bytes of the optic-disc mask, one per (x, z) cell at x + sizeX * z.
enum DiscMaskValue : int {
  DiscRimMin = 100,  // 100 to 199: rim
  DiscCupMin = 200,  // 200 to 255: cup; below 100: background
};
constexpr bool IsDiscCup(uint8_t v) { return v >= DiscCupMin; }
constexpr bool IsDiscRim(uint8_t v) { return v >= DiscRimMin && v < DiscCupMin; }

// The undefined-region mask holds one byte per (x, z) cell; this value marks a cell.
constexpr uint8_t kUndefinedCell = 1;

// Axis numbers as used for volume sizes and positions.
enum VolumeAxis : int { AxisX = 0, AxisY = 1, AxisZ = 2 };

// Which volume axis runs along a slice image's columns and rows, and across its slab.
struct SliceAxes {
  int column = AxisX;
  int row = AxisY;
  int slice = AxisZ;
};
// False for a code that is no SliceOrientation.
inline bool SliceAxesOf(int orientation, SliceAxes& axes)
{
  switch (orientation) {
  case OrientationXY: axes = {AxisX, AxisY, AxisZ}; return true;
  case OrientationZY: axes = {AxisZ, AxisY, AxisX}; return true;
  case OrientationXZ: axes = {AxisX, AxisZ, AxisY}; return true;
  default: return false;
  }
}

// The largest voxel or label value of a volume with the given bytes per voxel
// (2^(8 * bytes) - 1): 65535 for two bytes; any other count is taken as one byte, as the
// label meshes take it.
constexpr int MaximumForBytes(int bytesPerVoxel) { return bytesPerVoxel == 2 ? 65535 : 255; }

// The fixed colours of the axes: x green, y blue, z red. A slice pane's frame takes the
// colour of its slice axis.
constexpr platform::COLORREF kAxisColors[3] = {0x00FF00, 0xFF0000, 0x0000FF};

// One colour channel blended towards a colour: trunc(channel * (1 - a) + colour * t), in
// single precision. t is a for a plain tint; a label scales it by its value.
inline int BlendChannel(int channel, int colour, float a, float t)
{
  return static_cast<int>(static_cast<float>(channel) * (1.0f - a) + static_cast<float>(colour) * t);
}

// An opacity percentage as the fraction used for blending.
inline float OpacityFraction(int percent) { return static_cast<float>(percent) / 100.0f; }
