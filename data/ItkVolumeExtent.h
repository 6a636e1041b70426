#pragma once
// The decoder helper's side of a MetaImage volume whose voxels lie as one stretch of stored
// values in one data file (see VoxelExtent.h): the header is read and checked exactly as the
// volume reader checks it, but the voxels are left for the program to read.
#include "data/LOCTVolume.h"
#include "data/VoxelExtent.h"

#include <string>

// The answer of DescribeVoxelExtent for a file whose voxels are stored otherwise.
constexpr int kNoVoxelExtent = 1;

// kScanOk when the MetaImage at `path` holds its voxels as one uncompressed stretch of one
// data file: `volume` then has every field the reader gives it and an image with the
// geometry but without voxels, and `extent` and `dataPath` name the stretch. kNoVoxelExtent
// when the voxels are stored otherwise (nothing printed, nothing changed). Any other value is
// the reader's failure, with the reader's lines printed.
[[nodiscard]] int DescribeVoxelExtent(const std::string& path, LOCTVolume& volume, decoder::VoxelExtent& extent,
                                      std::string& dataPath);
