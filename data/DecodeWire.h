#pragma once
// What the decoder helper hands back to the program. The header fields and the result
// code travel through a pipe as one record; the voxels (or the pixel planes of a 2-D image)
// travel in a shared memory file the program created, unless they lie as one stretch of
// one data file, which the record then names for the program to read (its path follows the
// record). Helper and program are built together from the same sources, so the record is
// plain data in the machine's own layout.
#include "data/VoxelExtent.h"

#include <cstdint>

namespace decoder {

// The helper's descriptors besides standard input, output and error.
constexpr int kResultFd = 3;  // receives one DecodedRecord
constexpr int kSharedFd = 4;  // the shared memory file that receives the voxels or planes
constexpr int kInputFd = 5;   // the file to decode, as the program opened and checked it

// The helper's first argument: what to decode.
constexpr const char* kScanRequest = "scan";
constexpr const char* kImageRequest = "image";

constexpr uint32_t kRecordMagic = 0x32445653;  // "SVD2"

struct DecodedRecord {
  uint32_t magic = kRecordMagic;
  int32_t result = -1;  // the reader's code
  // A scan or label volume.
  int32_t size[3] = {0, 0, 0};
  int32_t format = 0;
  float spacing[3] = {0.0f, 0.0f, 0.0f};
  int32_t bytesPerVoxel = 0;
  int32_t laterality = 0;
  int32_t centerType = 0;
  // The image's own geometry, as the file gave it (written out again with the volume).
  double imageSpacing[3] = {1.0, 1.0, 1.0};
  double origin[3] = {0.0, 0.0, 0.0};
  double direction[9] = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
  // A 2-D image.
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;
  int32_t fileType = -1;
  uint32_t planes = 0;  // which pixel planes follow each other in the shared file
  // Bytes of the shared file that hold the voxels or planes.
  uint64_t sharedBytes = 0;
  // The voxels' stretch of a data file, when they come that way (sharedBytes is then 0), and
  // the bytes of the data file's path that follow the record.
  VoxelExtent extent;
  uint32_t dataPathBytes = 0;
};

}  // namespace decoder
