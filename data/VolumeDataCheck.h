#pragma once
// A NIfTI, Analyze or TIFF header may claim gigabytes of voxels for a file of a few hundred
// bytes, and the toolkit allocates what the header claims before it reads a byte. The claim
// is therefore checked against what the files beside the header hold, measured as they are
// stored: the NIfTI header's own voxel type (the toolkit reports a scaled file as floating
// point, whatever it stores), each TIFF page's strips or tiles and their compression.
#include <cstdint>
#include <string>

#include "data/LOCTVolume.h"

// True when the data file of the header at path (the file itself for NIfTI and TIFF, the
// ".img" or ".img.gz" beside an Analyze or NIfTI-pair ".hdr") holds the voxels it declares
// and at least `voxels`, those the toolkit makes room for. Compressed data is bounded by the
// stream's own size field and the largest ratio the compression reaches, then inflated once;
// MetaImage is checked by MetaImageDataPresent.
bool VolumeDataFits(const std::string& path, ScanFormat format, uint64_t voxels);
