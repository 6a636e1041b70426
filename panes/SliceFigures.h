#pragma once
// The figures a slice pane's info text shows, computed when their data are set.
#include <cstddef>
#include <cstdint>

// sqrt(cup / (cup + rim)) over the cells of the optic-disc mask; 0 without cup and rim.
float CupToDiscRatio(const uint8_t* mask, size_t cells);

class LabelLayer;

// The volume in mm^3 of the layer's labelled voxels at the given voxel spacing (x, y, z in
// mm); 0 without a layer.
float LabelVolumeMm3(const LabelLayer* labels, const float spacing[3]);
