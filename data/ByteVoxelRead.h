#pragma once
// Volumes of one unsigned byte per voxel (8-bit label files above all) read as the bytes
// they are and widened to 16 bits with a plain loop, a slab at a time where the file allows
// it, instead of the toolkit's voxel-by-voxel conversion through a second full buffer.
#include "data/LOCTVolume.h"

#include <string>

#include <itkImageIOBase.h>

// True for a header that describes one unsigned byte per voxel. Its information must have
// been read.
bool HoldsPlainBytes(const itk::ImageIOBase& io);

// The voxels of the file `io` reads, in a new image with the geometry the toolkit's reader
// gives it. Throws the toolkit's exceptions or std::bad_alloc, as that reader does.
LOCTVolume::ImageType::Pointer ReadBytesWidened(itk::ImageIOBase* io, const std::string& path);

// The image the toolkit's reader makes of the file `io` reads, geometry and region, without
// voxels. Throws the toolkit's exceptions, as that reader does.
LOCTVolume::ImageType::Pointer ImageWithoutVoxels(itk::ImageIOBase* io, const std::string& path);

// Widens `count` bytes to 16 bits.
void WidenBytes(const unsigned char* bytes, size_t count, unsigned short* voxels);
