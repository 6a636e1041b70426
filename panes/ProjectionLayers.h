#pragma once
// Composing the projection pane's bitmap: the R, G, B planes (or black), then by opacity
// the undefined region, the optic-disc cup and rim, and the thickness map in its palette.
#include "data/ColorRef.h"
#include "panes/ThicknessMap.h"
#include "panes/ThicknessPalette.h"

#include <QImage>
#include <cstdint>

struct ProjectionLayers {
  int colorMode = 0;        // DibColorMode; only the 24-bit mode draws layers
  const uint8_t* red = nullptr;  // width x height cells each, cell (x, z) at x + width * z
  const uint8_t* green = nullptr;
  const uint8_t* blue = nullptr;
  bool showProjection = false;   // otherwise the base is black
  // The undefined region: blended where its mask is 1 while shown (mask null otherwise).
  const uint8_t* undefinedRegion = nullptr;
  platform::COLORREF undefinedColor = 0;
  int undefinedOpacity = 0;
  // The disc mask, null while not shown.
  const uint8_t* disc = nullptr;
  platform::COLORREF cupColor = 0;
  int cupOpacity = 0;
  platform::COLORREF rimColor = 0;
  int rimOpacity = 0;
  // The thickness map, null while not shown. It never paints a cell of the undefined-region
  // mask (given here whether that region is shown or not).
  const ThicknessMap* thickness = nullptr;
  const uint8_t* undefinedMask = nullptr;
  const ThicknessPalette* palette = nullptr;
  int thicknessOpacity = 0;
};

// Writes every cell of the bitmap (width x height, row z at the top-down row z).
void ComposeLayers(const ProjectionLayers& layers, QImage& bitmap);
