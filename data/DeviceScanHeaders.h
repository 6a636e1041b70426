#pragma once
// The geometry and header steps of the Zeiss, Optovue, Topcon and Heidelberg readers, and
// their sample conversions. Each step fills the volume's fields (never its image) and
// refuses, with "Error: Unsupported OCT\n" and kScanUnsupported, anything whose sizes are
// not positive, whose voxel count is absurd or whose promised data does not fit in the file.
#include "data/BinaryReader.h"
#include "data/LOCTVolume.h"

#include <cstdint>
#include <string>

namespace devicescan {

// Headerless formats: the exact file size selects the geometry; 0, or kScanUnsupported
// (with its line) for a size not in the table.
int GetZeissGeometry(uint64_t fileSize, LOCTVolume& volume);
int GetOptovueGeometry(uint64_t fileSize, LOCTVolume& volume);

// Finds the first "@IMG_SCAN" of the file and reads the image record after it; on 0,
// dataOffset is where the big-endian 16-bit voxels begin.
int ReadTopconHeader(binary::FileReader& in, LOCTVolume& volume, uint64_t& dataOffset);

// Where the B-scans of a ".vol" file lie.
struct HeidelbergLayout {
  int32_t fundusWidth = 0;
  int32_t fundusHeight = 0;
  int32_t bscanHeaderSize = 0;
  uint64_t firstBscanOffset = 0;  // header (2048 bytes) plus the fundus image
};
int ReadHeidelbergHeader(binary::FileReader& in, LOCTVolume& volume, HeidelbergLayout& layout);

// A raw Optovue sample: a tenth of it, truncated toward zero and saturated to 0-255
// (NaN gives 0), so that negative noise stays dark.
inline uint16_t OptovueValue(float sample)
{
  const float tenth = sample / 10;
  if (!(tenth >= 1.0f))  // also NaN
    return 0;
  return tenth >= 255.0f ? 255 : static_cast<uint16_t>(tenth);
}

// Heidelberg reflectivities in (0, 1] shown through their fourth root on the full 16-bit
// range, rounded to nearest; anything else (negative, NaN, the invalid-pixel marker above
// 1) gives 0.
void ConvertHeidelbergSamples(const float* samples, uint64_t count, uint16_t* values);

// Opens a scan file (a regular file only, never waiting on what lies under the name); on
// failure reports the path with the reason and returns false (the reader then answers
// kScanOpenFailed).
bool OpenScanFile(const std::string& path, binary::FileReader& in);

// Reports a file that failed while being read (or that needs more memory than there is)
// and returns kScanOpenFailed.
int FileFailure(const std::string& path, int errorNumber);

// Allocates the image from the volume's own sizes and spacing; false when memory runs out.
bool AllocateFromFields(LOCTVolume& volume);

}  // namespace devicescan
