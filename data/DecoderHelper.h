#pragma once
// Files that a toolkit decodes (ITK, DCMTK, FreeImage) are read in a helper process of ours,
// so that a decoder that crashes, hangs or claims all memory on a crafted file costs that
// read, not the program: the read then fails as the file's error, with an "Error: " line
// saying what happened. The helper runs the very readers the program would run itself.
#include "data/ScanRoute.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

class LOCTVolume;
class LImage2D;

namespace decoder {

// The helpers' file names; they lie beside the program. The volume helper reads the image
// toolkit's volume formats and the picture helper 2-D pictures, each loading no other
// toolkit, so that they start in a fraction of the time; the first reads the rest (DICOM).
constexpr const char* kHelperName = "strataview-decoder";
constexpr const char* kVolumeHelperName = "strataview-volume-decoder";
constexpr const char* kImageHelperName = "strataview-image-decoder";

// The helper beside the running program.
std::string HelperBesideProgram();

// Toolkit decoders run in `helper` from now on, and the toolkit's volume formats in the
// volume helper beside it; an empty path runs them in this process (the helpers themselves
// do, and so do tests of the readers' insides).
void UseHelper(const std::string& helper);
const std::string& Helper();
std::string VolumeHelper();
std::string ImageHelper();
inline bool Isolated() { return !Helper().empty(); }

// What one read may take: memory on top of what the helper uses at start, and time, which
// grows with the size of the file.
struct Limits {
  uint64_t memoryBytes = uint64_t(8) << 30;
  std::chrono::milliseconds baseTime{30000};
  std::chrono::milliseconds timePerMiB{100};
};
void SetLimits(const Limits& limits);
const Limits& CurrentLimits();

// Tests only: `hook` runs with the path of a data file whose voxels the program reads itself,
// after the helper has checked the file and before the program reads it; none by default.
void SetBeforeVoxelRead(std::function<void(const std::string&)> hook);

// Tests only: `hook` runs with the path of a file the helper is to read, after the program has
// opened and checked it and before the helper starts; none by default.
void SetAfterCheck(std::function<void(const std::string&)> hook);

// What a volume is read for: a scan, whose voxels fill all of it, or labels, mostly 0, of
// which only the voxels that are not 0 are written where the program reads them itself.
enum class VoxelUse { Scan, Labels };

// The seams of LOCTVolume::ReadScanFile (ReadLabelFile) and LImage2D::Load: the same results
// and lines as those readers, through the helper. A failed read leaves the volume as it was.
[[nodiscard]] int ReadScan(LOCTVolume& volume, const std::string& path, ScanRoute route,
                           VoxelUse use = VoxelUse::Scan);
[[nodiscard]] int LoadImage(LImage2D& image, const std::string& path);

}  // namespace decoder
