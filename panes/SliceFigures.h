#pragma once
// The figures a slice pane's info text shows, computed when their data are set.
#include <cstddef>
#include <cstdint>

// sqrt(cup / (cup + rim)) over the cells of the optic-disc mask; 0 without cup and rim.
float CupToDiscRatio(const uint8_t* mask, size_t cells);

// The volume in mm^3 of the voxels whose label is at least half the maximum (integer half),
// for a label volume of the given size and voxel spacing (x, y, z in mm).
float LabelVolumeMm3(const unsigned short* labels, const int size[3], const float spacing[3], int maximum);
