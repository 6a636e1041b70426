#pragma once
// The mean and the sample standard deviation of a per-cell figure over each sector of a
// grid. Sums run in single precision over the cells in their order, so that every caller
// gets the same figures for the same cells.
#include <cstddef>
#include <cstdint>

// labels: 0 outside every sector, k + 1 in sector k. values: the figure per cell;
// kNoThickness marks a cell that does not count. For each sector k < sectorCount, means[k]
// is the mean of its counted cells (kNoThickness for none), sds[k] their standard deviation
// with n - 1 in the denominator (kNoThickness for fewer than two cells).
void ComputeSectorStatistics(const uint16_t* labels, const float* values, size_t cellCount, int sectorCount,
                             float* means, float* sds);
