#pragma once
// What a NIfTI or Analyze header says its voxels are stored as. The toolkit reports a file
// whose header carries a scale factor as floating point, whatever type its voxels are stored
// in; the stored type decides how much data the file must hold and how the voxels are brought
// into 16 bits: integers scaled to fractions are rounded, true floating-point data with
// fractions is stretched over the range.
#include <cstdint>
#include <string>

struct NiftiStorage {
  int16_t datatype = 0;
  uint64_t voxelBytes = 0;  // of one stored voxel, by the datatype (the decoder ignores bitpix)
  uint64_t voxels = 0;      // over every axis the header declares
  uint64_t dataOffset = 0;  // where the voxels begin in the data file
  bool oneFile = false;     // the data file is the header's own (else the ".img" beside it)

  // The bytes the data file must hold from its start: the voxels and what precedes them.
  uint64_t DataEnd() const { return dataOffset + voxels * voxelBytes; }
  bool StoresFloatingPoint() const;
  bool StoresColour() const { return datatype == 128 || datatype == 2304; }  // RGB24, RGBA32
};

// Reads the NIfTI-1, NIfTI-2 or Analyze header at path (also compressed). False when there is
// none, or when it declares a voxel type without a size, axes the decoder refuses, or voxels
// that could not be counted or stored; `storage` is then unspecified.
bool ReadNiftiStorage(const std::string& path, NiftiStorage& storage);

// True when the NIfTI (".nii", ".nii.gz") or Analyze (".hdr") header at path stores
// floating-point or complex voxels; false when it stores integers or cannot be read.
bool NiftiStoresFloatingPoint(const std::string& path);

// True when the header at path stores colour voxels (8 bits per channel).
bool NiftiStoresColour(const std::string& path);
