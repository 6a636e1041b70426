#include "data/LOCTVolume.h"

#include "data/Diagnostics.h"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>

namespace {

// The Optovue raw files are recognised by these exact sizes; every other ".oct" file is
// a Bioptigen file.
constexpr uint32_t kOptovueFileSizes[] = {139207680u, 141926400u, 167049216u,
                                          317521920u, 236584960u, 314572800u};

std::string Lower(std::string text)
{
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The file's size as the 32-bit value the size-keyed readers expect; 0 when unknown.
uint32_t FileSize(const std::string& path)
{
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || st.st_size < 0 || st.st_size > UINT32_MAX)
    return 0;
  return static_cast<uint32_t>(st.st_size);
}

}  // namespace

int UnsupportedScan()
{
  diag::PrintLine("Error: Unsupported OCT\n");
  return kScanUnsupported;
}

void LOCTVolume::CreateVolume(const int size[3], ScanFormat scanFormat, const float spacing[3],
                              int bytes, Laterality eye, CenterType center)
{
  sizeX = size[0];
  sizeY = size[1];
  sizeZ = size[2];
  format = scanFormat;
  spacingX = spacing[0];
  spacingY = spacing[1];
  spacingZ = spacing[2];
  bytesPerVoxel = bytes;
  laterality = eye;
  centerType = center;
  AllocateImage(size, spacing);
  loaded = true;
}

void LOCTVolume::AllocateImage(const int size[3], const float spacing[3])
{
  ImageType::RegionType region;
  ImageType::SpacingType itkSpacing;
  for (unsigned axis = 0; axis < 3; ++axis) {
    region.SetIndex(axis, 0);
    region.SetSize(axis, static_cast<itk::SizeValueType>(std::max(size[axis], 0)));
    itkSpacing[axis] = static_cast<double>(spacing[axis]);
  }
  ImageType::Pointer fresh = ImageType::New();
  fresh->SetRegions(region);
  fresh->SetSpacing(itkSpacing);
  fresh->Allocate();
  image = fresh;
}

void LOCTVolume::SetVoxelSize(const float spacing[3])
{
  spacingX = spacing[0];
  spacingY = spacing[1];
  spacingZ = spacing[2];
  if (image) {
    ImageType::SpacingType itkSpacing;
    for (unsigned axis = 0; axis < 3; ++axis)
      itkSpacing[axis] = static_cast<double>(spacing[axis]);
    image->SetSpacing(itkSpacing);
  }
}

uint64_t LOCTVolume::VoxelCount() const
{
  if (sizeX <= 0 || sizeY <= 0 || sizeZ <= 0)
    return 0;
  return uint64_t(sizeX) * uint64_t(sizeY) * uint64_t(sizeZ);
}

int LOCTVolume::ReadScanFile(const std::string& path)
{
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos)
    return UnsupportedScan();
  const std::string extension = path.substr(dot);
  const std::string ext = Lower(extension);
  const std::string lowerPath = Lower(path);

  if (ext == ".img" || ext == ".raw")
    return ReadZeissRaw(path, FileSize(path));
  if (ext == ".fds")
    return ReadTopconFds(path);
  if (ext == ".vol")
    return ReadHeidelbergVol(path);
  if (ext == ".oct") {
    const uint32_t size = FileSize(path);
    if (std::find(std::begin(kOptovueFileSizes), std::end(kOptovueFileSizes), size) !=
        std::end(kOptovueFileSizes))
      return ReadOptovueRaw(path, size);
    return ReadBioptigenOct(path);
  }
  if (EndsWith(lowerPath, ".scanparameters.dat"))
    return ReadCanonTomograms(path);
  if (extension == ".dicom")
    return ReadDicomVolume(path, 1);
  if (ext == ".dicom")
    return ReadDicomVolume(path, 2);
  if (ext == ".dcm")
    return ReadDicomVolume(path, 3);
  if (ext == ".mhd" || ext == ".mha")
    return ReadItkVolume(path, FormatMetaImage);
  if (ext == ".hdr")
    return ReadItkVolume(path, FormatAnalyze);
  if (ext == ".nii" || EndsWith(lowerPath, ".nii.gz"))
    return ReadItkVolume(path, FormatNIfTI);
  if (ext == ".tif" || ext == ".tiff")
    return ReadItkVolume(path, FormatTIFF);
  return UnsupportedScan();
}
