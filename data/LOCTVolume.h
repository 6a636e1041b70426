#pragma once
// The one container of voxel data: a scan as read from a file, the displayed (possibly
// flattened) copy of it, and every vessel and SEAD label volume.
#include "data/WriteTarget.h"
#include "data/WrittenPages.h"

#include <cstdint>
#include <string>
#include <vector>

#include <itkImage.h>

enum ScanFormat : int32_t {
  FormatNA = 0,
  FormatZeiss = 1,
  FormatTopcon = 2,
  FormatHeidelberg = 3,
  FormatOptovue = 4,
  FormatNidek = 5,
  FormatBioptigen = 6,
  FormatCanon = 7,
  FormatOptos = 8,
  FormatMetaImage = 9,
  FormatAnalyze = 10,
  FormatNIfTI = 11,
  FormatTIFF = 12,
};

enum Laterality : int32_t { LateralityNA = 0, LateralityOD = 1, LateralityOS = 2 };

enum CenterType : int32_t { CenterNA = 0, CenterMacula = 1, CenterONH = 2 };

// Results of the scan readers.
enum ScanLoadResult : int {
  kScanOk = 0,
  kScanOpenFailed = -1,    // cannot be opened, or a toolkit/DICOM load failure
  kScanUnsupported = -2,   // extension, file size or geometry not supported
  kScan2DTiff = -4,        // a TIFF file with a single slice
  kScanCanonName = -5,     // a Canon file not named exactly "*.ScanParameters.dat"
  kScanDicomMissing = -6,  // a DICOM attribute the reader needs is missing
  kScanNoMemory = -7,      // memory for the voxels could not be had: not a fault of the file
};

// WriteMetaImage's result when memory ran short: not a fault of the file or the disk.
inline constexpr int kWriteNoMemory = -2;

class LOCTVolume {
public:
  using ImageType = itk::Image<unsigned short, 3>;

  LOCTVolume() = default;
  ~LOCTVolume() = default;
  LOCTVolume(const LOCTVolume&) = delete;
  LOCTVolume& operator=(const LOCTVolume&) = delete;

  // Stores every field and allocates the voxels, which read as 0; the caller fills them. A
  // page of them holds memory only once something is written into it, so that a volume
  // written only where it is not 0 (labels) takes memory only there.
  // 0, or -1 when memory for the voxels cannot be had: the volume is then as it was.
  [[nodiscard]] int CreateVolume(const int size[3], ScanFormat scanFormat, const float spacing[3],
                                 int bytes, Laterality eye, CenterType center);
  // Takes the source's fields and holds the same image: no copy of the voxels. A later
  // CreateVolume or AllocateImage gives it an image of its own, and so does WritableVoxels.
  void ShareVoxels(const LOCTVolume& source);
  // The voxels to write into. While another volume holds the same image, the image is first
  // copied (only the voxels that are not 0 are written), so that the other keeps its
  // voxels as they were; null when there is no memory for the copy (both then keep the
  // shared voxels).
  unsigned short* WritableVoxels();
  // A new image of the given size and spacing replaces the held one; voxels 0, as above.
  // False when memory for it cannot be had: the held image stays.
  [[nodiscard]] bool AllocateImage(const int size[3], const float spacing[3]);
  // Sets the voxel size of the fields and of the held image.
  void SetVoxelSize(const float spacing[3]);

  // Picks the reader by the file's extension (and, for ".oct", its size).
  [[nodiscard]] int ReadScanFile(const std::string& path);
  // The same for a label volume: where the program reads the voxels itself, only those that
  // are not 0 are written, so that the volume holds memory only where it is labelled.
  [[nodiscard]] int ReadLabelFile(const std::string& path);
  [[nodiscard]] int ReadItkVolume(const std::string& path, ScanFormat scanFormat);
  [[nodiscard]] int ReadItkImage(const std::string& path, ScanFormat scanFormat);
  // 0; kWriteNoMemory when memory for the write could not be had; -1 when the toolkit
  // cannot write the file or a name it writes is refused. Nothing is replaced unless 0. The
  // origin says whose links the header's and the data file's names may follow.
  [[nodiscard]] int WriteMetaImage(const std::string& path,
                                   writetarget::WriteOrigin origin = writetarget::WriteOrigin::kProgram) const;
  // A file that belongs with the volume (its mesh cache) and is written beside the header:
  // all of them replace their namesakes together, or none does.
  struct CompanionFile {
    std::string name;  // a file name in the header's folder
    std::string text;
  };
  [[nodiscard]] int WriteMetaImage(const std::string& path, writetarget::WriteOrigin origin,
                                   const std::vector<CompanionFile>& companions) const;
  // The header `name` written into a folder already open, which no swap of its path can
  // redirect.
  [[nodiscard]] int WriteMetaImage(const writetarget::OpenFolder& folder, const std::string& name,
                                   writetarget::WriteOrigin origin) const;

  // Device makers' formats.
  [[nodiscard]] int ReadZeissRaw(const std::string& path, uint32_t fileSize);
  [[nodiscard]] int ReadOptovueRaw(const std::string& path, uint32_t fileSize);
  [[nodiscard]] int ReadTopconFds(const std::string& path);
  [[nodiscard]] int ReadHeidelbergVol(const std::string& path);
  [[nodiscard]] int ReadBioptigenOct(const std::string& path);
  [[nodiscard]] int ReadCanonTomograms(const std::string& path);
  // DICOM in flavour 1 (".dicom"), 2 (".DICOM" and other cases) or 3 (".dcm").
  [[nodiscard]] int ReadDicomVolume(const std::string& path, int flavour);

  // The voxel buffer: voxel (x, y, z) is element x + sizeX * (y + sizeY * z).
  unsigned short* Voxels() { return image ? image->GetBufferPointer() : nullptr; }
  const unsigned short* Voxels() const { return image ? image->GetBufferPointer() : nullptr; }
  // The pages of the voxels that may hold anything but 0: only those a pass that looks for
  // what is not 0 need read. Every page may, unless the voxels are the program's own memory.
  WrittenPages WrittenVoxels() const;
  // sizeX * sizeY * sizeZ in 64 bits (0 for an empty volume).
  uint64_t VoxelCount() const;

  bool loaded = false;
  int32_t sizeX = 0;
  int32_t sizeY = 0;
  int32_t sizeZ = 0;
  ScanFormat format = FormatNA;
  float spacingX = 0.0f;
  float spacingY = 0.0f;
  float spacingZ = 0.0f;
  int32_t bytesPerVoxel = 0;
  Laterality laterality = LateralityNA;
  CenterType centerType = CenterNA;
  ImageType::Pointer image;
};

// The largest volume a scan reader allocates: 2^31 voxels, 4 GiB of 16-bit voxels.
constexpr uint64_t kMaxScanVoxels = uint64_t(1) << 31;

// Prints "Error: Unsupported OCT\n" and returns kScanUnsupported: the answer of every
// reader to a file whose content it cannot take.
int UnsupportedScan();
