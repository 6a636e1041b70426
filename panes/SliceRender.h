#pragma once
// Turns one slice of a volume into the grey pixels of a slice pane: the slab of neighbouring
// slices averaged, mapped through window and level, with the label tints burnt in. A plain
// function of its input, so that tests and benchmarks call it without a window.
#include "data/WrittenPages.h"
#include "panes/PaneConventions.h"

#include <QImage>
#include <cstdint>
#include <vector>

// A mask over the (x, z) cells (one byte per cell, at x + sizeX * z) tinted where it marks.
struct MaskTint {
  const uint8_t* mask = nullptr;  // borrowed; null: not drawn
  platform::COLORREF color = 0;
  int opacity = 0;                // percent
};

// A label volume of the scan's size tinted in proportion to value / maximum.
struct LabelTint {
  const unsigned short* labels = nullptr;  // borrowed; null: not drawn
  int maximum = 0;
  platform::COLORREF color = 0;
  int opacity = 0;
  WrittenPages written;                    // the pages of labels that may hold anything but 0
};

struct SliceRenderInput {
  const unsigned short* voxels = nullptr;  // borrowed; voxel (x, y, z) at x + X * (y + Y * z)
  int size[3] = {0, 0, 0};
  int orientation = 0;                     // a SliceOrientation
  int position[3] = {0, 0, 0};             // the current position; its slice coordinate is used
  int avgSliceNum = 1;                     // slab thickness; below 1 counts as 1
  bool greyOnly = false;                   // the 256-colour mode: current slice, no slab, no tints
  float windowCentre = 0.0f;               // already kept within the value range
  float windowWidth = 1.0f;
  MaskTint undefinedRegion;
  MaskTint cup;                            // the disc mask; cup and rim read the same bytes
  MaskTint rim;
  LabelTint vessel;
  LabelTint sead;
};

// The slice image's columns and rows for a volume size; false for no orientation.
bool SliceImageSize(int orientation, const int size[3], int& columns, int& rows);

// Keeps a window within the value range: a centre within 0 to maximum, a width within 1 to
// maximum (NaN counts as below).
void ClampWindow(float& centre, float& width, int maximum);

// Grey of every 16-bit value through a window: below it 0, above it 255, else linear and
// rounded.
std::vector<uint8_t> SliceGreyTable(float centre, float width);

// The slab means of a slice (grey-only input: the current slice alone), row 0 first, before
// they go through the grey table; false without voxels or orientation.
bool SliceSlabMeans(const SliceRenderInput& in, std::vector<unsigned short>& values);

// Writes the slice into the bitmap (Format_RGB32, row 0 at the top). Nothing is drawn when
// the input has no voxels or the bitmap is not the slice's size.
void RenderSlice(const SliceRenderInput& in, QImage& bitmap);
