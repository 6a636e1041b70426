#pragma once
// Voxels of a signed, wider or floating-point type brought into the unsigned 16-bit range
// every scan is held in. A plain cast would wrap negative values round to near-white and is
// undefined for floating-point values outside the range.
#include <cstddef>
#include <cstdint>

enum class VoxelMapping {
  Saturated,  // each value rounded to the nearest integer and clamped to 0-65535
  Stretched,  // the values' own finite minimum-maximum mapped linearly onto 0-65535
};

// Values stored as integers (also when a scale factor made them fractional) are saturated.
// Values stored as floating point are saturated when every one is an integer, and stretched
// otherwise: normalised 0-1 intensities, for instance, would all round to black.
// Not-a-number voxels become 0, infinities the ends of the range. Returns the mapping used.
template <typename T>
VoxelMapping ConvertToUnsigned16(const T* values, size_t count, bool storedAsFloat, uint16_t* out);

// The same, with a "Warning: " line when the values had to be stretched: what a volume
// reader tells its user.
template <typename T>
void ConvertVoxelsToUnsigned16(const T* values, size_t count, bool storedAsFloat, uint16_t* out);
