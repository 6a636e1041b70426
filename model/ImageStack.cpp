#include "model/ImageStack.h"

#include "data/Diagnostics.h"
#include "data/LImage2D.h"
#include "data/LOCTVolume.h"
#include "model/ScanFolderScan.h"

#include <algorithm>
#include <filesystem>

namespace {

const char* const kImageExtensions[] = {".tif", ".tiff", ".bmp", ".gif", ".jpg", ".jpeg", ".png"};

// Hidden files are no B-scans: a copied folder often carries a "._img1.png" of metadata
// beside each image.
bool IsImageName(const std::string& path)
{
  if (scanfolder::FileName(path).rfind('.', 0) == 0)
    return false;
  return std::any_of(std::begin(kImageExtensions), std::end(kImageExtensions),
                     [&path](const char* extension) { return scanfolder::HasExtension(path, extension); });
}

// Says which image cannot be loaded; the import's message gives the line as its reason.
bool LoadImage(LImage2D& image, const std::string& path)
{
  if (image.Load(path) == 0)
    return true;
  diag::Error("the image '" + path + "' cannot be loaded");
  return false;
}

// Bytes per voxel of a stack whose first image has the depth; 0 for a depth without a plane.
int BytesForDepth(int bitsPerPixel)
{
  switch (bitsPerPixel) {
    case 8:
    case 24:
    case 32: return 1;
    case 16: return 2;
    default: return 0;
  }
}

// Copies the image's plane of its own depth into B-scan z; false when it has none.
bool CopyImage(const LImage2D& image, size_t z, LOCTVolume& volume)
{
  const size_t pixels = size_t(image.GetWidth()) * size_t(image.GetHeight());
  unsigned short* bscan = volume.Voxels() + pixels * z;
  if (image.GetBitsPerPixel() == 16 && image.GetPlane16()) {
    std::copy(image.GetPlane16(), image.GetPlane16() + pixels, bscan);
    return true;
  }
  const uint8_t* plane = image.GetBitsPerPixel() == 8 ? image.GetPlane8() : image.GetRedPlane();
  if (BytesForDepth(image.GetBitsPerPixel()) != 1 || !plane)
    return false;
  std::copy(plane, plane + pixels, bscan);
  return true;
}

}  // namespace

void ListImageFiles(const std::string& folder, CSortStringArray& files)
{
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code kindError;
    const std::string path = it->path().string();
    if (!it->is_directory(kindError) && IsImageName(path))
      files.Add(path);
  }
}

ImageStackResult BuildImageStack(const CSortStringArray& files, const float voxelSizeUm[3], LOCTVolume& volume)
{
  if (files.GetSize() < 2)
    return ImageStackResult::kTooFewImages;
  LImage2D image;
  if (!LoadImage(image, files[0]))
    return ImageStackResult::kUnreadableImage;
  const int bytes = BytesForDepth(image.GetBitsPerPixel());
  if (bytes == 0)
    return ImageStackResult::kUnsupportedDepth;
  const int size[3] = {image.GetWidth(), image.GetHeight(), files.GetSize()};
  if (uint64_t(size[0]) * uint64_t(size[1]) * uint64_t(size[2]) > kMaxScanVoxels)
    return ImageStackResult::kTooLarge;
  const float spacing[3] = {voxelSizeUm[0] / 1000.0f, voxelSizeUm[1] / 1000.0f, voxelSizeUm[2] / 1000.0f};
  if (volume.CreateVolume(size, FormatNA, spacing, bytes, LateralityNA, CenterNA) != 0)
    return ImageStackResult::kNoMemory;
  for (int i = 0; i < files.GetSize(); ++i) {
    // The first image is read again so that every B-scan takes the same way in.
    if (!LoadImage(image, files[i]))
      return ImageStackResult::kUnreadableImage;
    if (image.GetWidth() != size[0] || image.GetHeight() != size[1])
      return ImageStackResult::kDifferentSizes;
    if (!CopyImage(image, size_t(i), volume))
      return ImageStackResult::kUnsupportedDepth;
  }
  return ImageStackResult::kOk;
}

std::string SequenceHeaderPath(const std::string& folder)
{
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path + "_Sequence.mhd";
}
