#pragma once
// A NIfTI, Analyze or TIFF header may claim gigabytes of voxels for a file of a few hundred
// bytes, and the toolkit allocates what the header claims before it reads a byte. The claim
// is therefore checked against what the files beside the header can hold.
#include <cstdint>
#include <string>

#include "data/LOCTVolume.h"

// True when the data file of the header at path (the file itself for NIfTI and TIFF, the
// ".img" or ".img.gz" beside an Analyze ".hdr") can hold bytes of voxel data. Compressed
// data is bounded by the stream's own size field and by the largest ratio the compression
// reaches; MetaImage is checked by MetaImageDataPresent.
bool VolumeDataFits(const std::string& path, ScanFormat format, uint64_t bytes);
