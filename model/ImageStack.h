#pragma once
// A folder of 2-D images, one per B-scan, stacked into a scan volume: the images in natural
// name order, each image's pixels one B-scan with row 0 at the top.
#include <string>

#include "model/CSortStringArray.h"

class LOCTVolume;

// Appends the full path of every image file directly in the folder (by its extension, in
// any letter case; hidden files are left out and sub-folders are not searched), in the order
// the folder lists them.
void ListImageFiles(const std::string& folder, CSortStringArray& files);

enum class ImageStackResult {
  kOk,
  kTooFewImages,     // fewer than two images: no volume
  kUnreadableImage,  // an image that cannot be loaded
  kDifferentSizes,   // an image of another width or height than the first
  kUnsupportedDepth, // an image of a bit depth without a grey, 16-bit or colour plane
  kTooLarge,         // more voxels than a scan may hold
  kNoMemory,         // no memory for the volume
};

// Builds the volume from the files in their given order. Voxel size in micrometres; the
// volume holds it in millimetres. 8-bit grey images and the red channel of 24- and 32-bit
// colour images give 1 byte per voxel, 16-bit images 2 (decided by the first image; each
// image is read by its own depth). Only one image is held at a time. The volume is to be
// dropped when the result is not kOk.
ImageStackResult BuildImageStack(const CSortStringArray& files, const float voxelSizeUm[3], LOCTVolume& volume);

// The MetaImage header an import writes for the folder: beside it, named after it.
std::string SequenceHeaderPath(const std::string& folder);
