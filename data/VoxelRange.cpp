#include "data/VoxelRange.h"

#include "data/Diagnostics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kTop = 65535.0;

uint16_t Saturate(double value)
{
  if (!(value > 0.0))  // negative, zero or not a number
    return 0;
  if (value >= kTop)
    return 65535;
  return static_cast<uint16_t>(value + 0.5);
}

template <typename T>
bool AllIntegral(const T* values, size_t count)
{
  return std::all_of(values, values + count,
                     [](T v) { return !std::isfinite(v) || std::trunc(v) == v; });
}

template <typename T>
void Stretch(const T* values, size_t count, uint16_t* out)
{
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  for (size_t i = 0; i < count; ++i)
    if (std::isfinite(values[i])) {
      low = std::min(low, double(values[i]));
      high = std::max(high, double(values[i]));
    }
  const double scale = high > low ? kTop / (high - low) : 0.0;
  for (size_t i = 0; i < count; ++i) {
    const double v = double(values[i]);
    out[i] = std::isfinite(v) ? Saturate((v - low) * scale) : Saturate(v);
  }
}

}  // namespace

template <typename T>
VoxelMapping ConvertToUnsigned16(const T* values, size_t count, bool storedAsFloat, uint16_t* out)
{
  if (storedAsFloat && !AllIntegral(values, count)) {
    Stretch(values, count, out);
    return VoxelMapping::Stretched;
  }
  std::transform(values, values + count, out, [](T v) { return Saturate(double(v)); });
  return VoxelMapping::Saturated;
}

template <typename T>
void ConvertVoxelsToUnsigned16(const T* values, size_t count, bool storedAsFloat, uint16_t* out)
{
  if (ConvertToUnsigned16(values, count, storedAsFloat, out) == VoxelMapping::Stretched)
    diag::Warning("The voxels are not whole numbers: their range is mapped onto 0-65535");
}

template VoxelMapping ConvertToUnsigned16<float>(const float*, size_t, bool, uint16_t*);
template VoxelMapping ConvertToUnsigned16<double>(const double*, size_t, bool, uint16_t*);
template void ConvertVoxelsToUnsigned16<float>(const float*, size_t, bool, uint16_t*);
template void ConvertVoxelsToUnsigned16<double>(const double*, size_t, bool, uint16_t*);
