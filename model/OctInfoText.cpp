#include "model/OctInfoText.h"

#include <cstdio>

std::string ScanMakerName(int scanFormat)
{
  static const char* const kMakers[] = {
    "NA", "Carl Zeiss Meditec, Inc.", "Topcon", "Heidelberg Engineering", "Optovue", "Nidek",
    "Bioptigen, Inc.", "Canon", "Optos", "MetaImage", "Analyze", "NIFTI"};
  if (scanFormat < 0 || scanFormat >= static_cast<int>(sizeof(kMakers) / sizeof(kMakers[0])))
    return "";
  return kMakers[scanFormat];
}

std::string OctInfoText(const LOCTVolume& scan)
{
  // Extents are single-precision products, as every other figure of the scan.
  const float extentX = static_cast<float>(scan.sizeX) * scan.spacingX;
  const float extentY = static_cast<float>(scan.sizeY) * scan.spacingY;
  const float extentZ = static_cast<float>(scan.sizeZ) * scan.spacingZ;
  char text[512];
  std::snprintf(text, sizeof(text),
                " - %s\n - %d x %d x %d voxels\n - %.2f x %.2f x %.2f um3\n - %.2f x %.2f x %.2f mm3",
                ScanMakerName(scan.format).c_str(), scan.sizeX, scan.sizeY, scan.sizeZ,
                static_cast<double>(scan.spacingX * 1000.0f), static_cast<double>(scan.spacingY * 1000.0f),
                static_cast<double>(scan.spacingZ * 1000.0f), static_cast<double>(extentX),
                static_cast<double>(extentY), static_cast<double>(extentZ));
  return text;
}
