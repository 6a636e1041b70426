#pragma once
// Where the voxels of a MetaImage lie, when they lie as one uncompressed stretch of one file.
#include "data/VoxelExtent.h"

#include <string>

#include <itkMetaImageIO.h>

// True, with the stretch and the data file's path, for a three-dimensional MetaImage of one
// component per voxel whose data are binary, uncompressed and stored in one file: the header file
// itself ("LOCAL", with the data filling the rest of it) or one named file. False for every
// other layout (voxels written as text, compressed data, a list or pattern of files, a header
// size the toolkit would have to work out), which is then left to the toolkit. The header's information must have
// been read and checked.
bool FindMetaImageExtent(itk::MetaImageIO& io, const std::string& headerPath, decoder::VoxelExtent& extent,
                         std::string& dataPath);
