#include "panes/EnFaceProjection.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace {

bool Usable(const EnFaceVolume& v, const EnFaceSurfaces& s, int from, int to)
{
  return v.voxels && s.points && v.sizeX > 0 && v.sizeY > 0 && v.sizeZ > 0 && from >= 0 && to >= 0 &&
         from < s.count && to < s.count;
}

// The depth row of a surface at an A-scan.
int DepthAt(const EnFaceVolume& v, const EnFaceSurfaces& s, int surface, int x, int z)
{
  const int64_t point = (static_cast<int64_t>(surface) * v.sizeZ + z) * v.sizeX + x;
  return s.points[3 * point + 1];
}

// Adds up, for every A-scan x of one B-scan, the voxels of the rows first[x] to last[x]. The
// B-scan is read row by row, in memory order: rows that every A-scan takes are added whole,
// the ragged rows above and below them through a mask.
template <typename Sum>
void AddRows(const unsigned short* bscan, size_t width, const int* first, const int* last, int top, int bottom,
             Sum* sums)
{
  int allFrom = top;
  int allTo = bottom;
  for (size_t x = 0; x < width; ++x) {
    allFrom = std::max(allFrom, first[x]);
    allTo = std::min(allTo, last[x]);
  }
  for (int y = top; y <= bottom; ++y) {
    const unsigned short* row = bscan + width * static_cast<size_t>(y);
    if (y >= allFrom && y <= allTo) {
      for (size_t x = 0; x < width; ++x)
        sums[x] += row[x];
    } else {
      for (size_t x = 0; x < width; ++x)
        sums[x] += static_cast<Sum>(row[x]) * static_cast<Sum>(first[x] <= y && y <= last[x]);
    }
  }
}

template <typename Sum>
void MeansOfEveryBScan(const EnFaceVolume& v, const EnFaceSurfaces& s, int upper, int lower, uint8_t* means)
{
  const size_t width = static_cast<size_t>(v.sizeX);
  std::vector<int> first(width), last(width);
  std::vector<Sum> sums(width);
  const bool sixteenBit = v.maximum == 65535;
  for (int z = 0; z < v.sizeZ; ++z) {
    // The rows each A-scan of this B-scan averages, cut to the volume.
    int top = v.sizeY;
    int bottom = -1;
    for (int x = 0; x < v.sizeX; ++x) {
      first[x] = std::max(DepthAt(v, s, upper, x, z), 0);
      last[x] = std::min(DepthAt(v, s, lower, x, z), v.sizeY - 1);
      if (first[x] <= last[x]) {
        top = std::min(top, first[x]);
        bottom = std::max(bottom, last[x]);
      }
    }
    std::fill(sums.begin(), sums.end(), 0);
    const unsigned short* bscan = v.voxels + width * static_cast<size_t>(v.sizeY) * static_cast<size_t>(z);
    AddRows(bscan, width, first.data(), last.data(), top, bottom, sums.data());
    uint8_t* out = means + width * static_cast<size_t>(z);
    for (size_t x = 0; x < width; ++x) {
      const int count = std::max(last[x] - first[x] + 1, 1);
      float value = static_cast<float>(static_cast<int>(static_cast<float>(sums[x]) / static_cast<float>(count)));
      if (sixteenBit)
        value *= 0.00390625f;
      // An 8-bit scan whose voxels exceed 255 must not reach past the histogram.
      out[x] = static_cast<uint8_t>(std::min(static_cast<int>(value), 255));
    }
  }
}

}  // namespace

bool MeanBetweenSurfaces(const EnFaceVolume& v, const EnFaceSurfaces& s, int from, int to, uint8_t* means)
{
  if (!Usable(v, s, from, to))
    return false;
  const int upper = std::min(from, to);
  const int lower = std::max(from, to);
  // 32-bit sums while a whole A-scan of the largest voxels fits in them.
  if (static_cast<uint64_t>(v.sizeY) * 65535u <= UINT32_MAX)
    MeansOfEveryBScan<uint32_t>(v, s, upper, lower, means);
  else
    MeansOfEveryBScan<uint64_t>(v, s, upper, lower, means);
  return true;
}

void StretchHistogram(uint8_t* values, int64_t cellCount)
{
  std::array<int64_t, 256> histogram{};
  for (int64_t i = 0; i < cellCount; ++i)
    ++histogram[values[i]];
  const int64_t threshold = static_cast<int64_t>(static_cast<float>(cellCount) * 0.01f);
  int lo = 0;
  for (int64_t sum = 0; lo < 255; ++lo) {
    sum += histogram[static_cast<size_t>(lo)];
    if (sum >= threshold)
      break;
  }
  int hi = 255;
  for (int64_t sum = 0; hi > 0; --hi) {
    sum += histogram[static_cast<size_t>(hi)];
    if (sum >= threshold)
      break;
  }
  std::array<uint8_t, 256> table{};
  for (int k = 0; k < 256; ++k) {
    if (k < lo)
      table[static_cast<size_t>(k)] = 0;
    else if (k > hi)
      table[static_cast<size_t>(k)] = 255;
    else if (hi > lo)
      table[static_cast<size_t>(k)] =
          static_cast<uint8_t>(static_cast<float>((k - lo) * 255) / static_cast<float>(hi - lo));
    else
      table[static_cast<size_t>(k)] = 0;
  }
  for (int64_t i = 0; i < cellCount; ++i)
    values[i] = table[values[i]];
}

bool ComputeEnFaceProjection(const EnFaceVolume& v, const EnFaceSurfaces& s, int from, int to, uint8_t* plane)
{
  if (!MeanBetweenSurfaces(v, s, from, to, plane))
    return false;
  StretchHistogram(plane, static_cast<int64_t>(v.sizeX) * v.sizeZ);
  return true;
}
