// Reading MetaImage, Analyze, NIfTI and TIFF volumes through the image toolkit (writing is
// in ItkVolumeWrite.cpp, which the decoder helper does not link). The toolkit reports every
// failure by throwing; nothing of it leaves this file: a failure is a result code.
#include "data/LOCTVolume.h"

#include "data/BinaryReader.h"
#include "data/DeviceScanHeaders.h"
#include "data/ByteVoxelRead.h"
#include "data/Diagnostics.h"
#include "data/ItkVolumeExtent.h"
#include "data/MetaImageExtent.h"
#include "data/MetaImageDataCheck.h"
#include "data/NiftiStoredType.h"
#include "data/ReadableFile.h"
#include "data/ToolkitFailure.h"
#include "data/VolumeDataCheck.h"
#include "data/VoxelRange.h"

#include <cerrno>
#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include <itkImageFileReader.h>
#include <itkMetaImageIO.h>
#include <itkNiftiImageIO.h>
#include <itkTIFFImageIO.h>
#include <itkVectorImage.h>

namespace {

// The largest volume a header may announce: 2^30 voxels (2 GiB of 16-bit data) is several
// times the largest scans in use, yet a lying header cannot make the reader claim all memory.
constexpr uint64_t kMaxVoxels = uint64_t(1) << 30;

bool FitsVolumeLimits(const itk::Size<3>& size)
{
  uint64_t count = 1;
  for (unsigned axis = 0; axis < 3; ++axis) {
    if (size[axis] == 0 || size[axis] > kMaxVoxels)
      return false;
    count *= size[axis];
    if (count > kMaxVoxels)
      return false;
  }
  return true;
}

// The image-IO module of the routed format. The extension decides: a module the toolkit
// picked by the file's content could be one (PNG) whose library aborts on a damaged file.
itk::ImageIOBase::Pointer ImageIOOf(ScanFormat format)
{
  switch (format) {
  case FormatMetaImage:
    return itk::MetaImageIO::New().GetPointer();
  case FormatAnalyze:
  case FormatNIfTI: {
    // Analyze files read as they always did, without the toolkit's note on stderr that the
    // format is deprecated.
    auto nifti = itk::NiftiImageIO::New();
    nifti->SetLegacyAnalyze75Mode(itk::NiftiImageIOEnums::Analyze75Flavor::AnalyzeITK4);
    return nifti.GetPointer();
  }
  case FormatTIFF:
    return itk::TIFFImageIO::New().GetPointer();
  default:
    return nullptr;
  }
}

// The value range of the file's own voxels: 0-255 for unsigned 8 bits, 0-65535 for
// everything else, which is brought into unsigned 16 bits.
int32_t BytesPerVoxelOf(itk::IOComponentEnum component)
{
  return component == itk::IOComponentEnum::UCHAR ? 1 : 2;
}

// The first three sizes of the header (1 for the axes it lacks).
itk::Size<3> VolumeSizeOf(const itk::ImageIOBase& io)
{
  itk::Size<3> size;
  for (unsigned axis = 0; axis < 3; ++axis)
    size[axis] = axis < io.GetNumberOfDimensions() ? io.GetDimensions(axis) : 1;
  return size;
}

// Volumes along the axes beyond the third (1 for a 3-D file); 0 when the count overflows.
uint64_t VolumeCountOf(const itk::ImageIOBase& io)
{
  uint64_t count = 1;
  for (unsigned axis = 3; axis < io.GetNumberOfDimensions(); ++axis) {
    const uint64_t size = io.GetDimensions(axis);
    if (size == 0 || size > kMaxVoxels || count > kMaxVoxels / size)
      return 0;
    count *= size;
  }
  return count;
}

// The voxels of every volume the header announces (sizes and count already within limits).
uint64_t AnnouncedVoxels(const itk::Size<3>& size, uint64_t volumes)
{
  return uint64_t(size[0]) * size[1] * size[2] * volumes;
}

// The header's promises, checked before any voxel is read: a size the volume can hold and
// data files that hold every voxel. kScanOk or the code of the failure.
int CheckHeader(itk::ImageIOBase& io, const std::string& path, ScanFormat format)
{
  // A header without axes describes no image. The toolkit would still read one voxel, on a
  // path that takes region indices for axes the file does not have from unset memory.
  if (io.GetNumberOfDimensions() == 0) {
    diag::ReportFileFailure(path, "the header declares no image axes");
    return kScanOpenFailed;
  }
  // Voxels written as text are read by the toolkit as a region of a volume when the file has
  // fewer than three axes, and that read frees memory it never allocated.
  if (io.GetFileType() == itk::IOFileEnum::ASCII && io.GetNumberOfDimensions() < 3) {
    diag::ReportFileFailure(path, "voxels written as text are read only from files of three or more axes");
    return kScanOpenFailed;
  }
  // A scale factor does not apply to colour voxels, yet the toolkit applies it, reading their
  // bytes as floating-point values it does not hold.
  const bool nifti = format == FormatNIfTI || format == FormatAnalyze;
  if (nifti && io.GetNumberOfComponents() > 1 && io.GetComponentType() != itk::IOComponentEnum::UCHAR &&
      NiftiStoresColour(path)) {
    diag::ReportFileFailure(path, "colour voxels with a scale factor");
    return kScanOpenFailed;
  }
  const itk::Size<3> size = VolumeSizeOf(io);
  const uint64_t volumes = VolumeCountOf(io);
  if (!FitsVolumeLimits(size) || volumes == 0)
    return UnsupportedScan();
  auto* meta = dynamic_cast<itk::MetaImageIO*>(&io);
  const bool present = meta ? MetaImageDataPresent(*meta, path)
                            : VolumeDataFits(path, format, AnnouncedVoxels(size, volumes));
  if (!present) {
    diag::ReportFileFailure(path, "the data file is missing or shorter than the header says");
    return kScanOpenFailed;
  }
  return kScanOk;
}

template <typename Image>
typename Image::Pointer ReadImage(itk::ImageIOBase* io, const std::string& path)
{
  auto reader = itk::ImageFileReader<Image>::New();
  reader->SetImageIO(io);
  reader->SetFileName(path);
  reader->Update();
  typename Image::Pointer read = reader->GetOutput();
  read->DisconnectPipeline();
  return read;
}

// A file of another pixel type read in a type that holds its values exactly, then brought
// into unsigned 16 bits by saturation or, for fractional floating-point values, stretching.
template <typename Pixel>
LOCTVolume::ImageType::Pointer ReadConverted(itk::ImageIOBase* io, const std::string& path,
                                             bool storedAsFloat)
{
  using Image = itk::Image<Pixel, 3>;
  const typename Image::Pointer read = ReadImage<Image>(io, path);
  auto converted = LOCTVolume::ImageType::New();
  converted->CopyInformation(read);
  converted->SetRegions(read->GetLargestPossibleRegion());
  converted->Allocate();
  ConvertVoxelsToUnsigned16(read->GetBufferPointer(), read->GetPixelContainer()->Size(), storedAsFloat,
                            converted->GetBufferPointer());
  return converted;
}

// Voxels of several channels give their first, the red of a colour pixel, as colour images
// give it wherever one channel is enough (rather than the luminance the toolkit would make).
// The volume's buffer is allocated first, so that the decoder helper can place it.
template <typename Pixel>
LOCTVolume::ImageType::Pointer ReadFirstChannel(itk::ImageIOBase* io, const std::string& path, bool storedAsFloat)
{
  LOCTVolume::ImageType::Pointer image = ImageWithoutVoxels(io, path);
  image->Allocate();
  const auto read = ReadImage<itk::VectorImage<Pixel, 3>>(io, path);
  if (read->GetLargestPossibleRegion() != image->GetLargestPossibleRegion())
    throw std::runtime_error("the channels do not cover the volume");
  const size_t channels = read->GetNumberOfComponentsPerPixel();
  const size_t count = image->GetLargestPossibleRegion().GetNumberOfPixels();
  const Pixel* pixels = read->GetBufferPointer();
  unsigned short* voxels = image->GetBufferPointer();
  if constexpr (std::is_floating_point_v<Pixel>) {
    // Stretching needs the range of the channel's values, so they are gathered first.
    std::vector<Pixel> first(count);
    for (size_t i = 0; i < count; ++i)
      first[i] = pixels[i * channels];
    ConvertVoxelsToUnsigned16(first.data(), count, storedAsFloat, voxels);
  } else {
    for (size_t i = 0; i < count; ++i)
      voxels[i] = pixels[i * channels];
  }
  return image;
}

LOCTVolume::ImageType::Pointer ReadVoxels(itk::ImageIOBase* io, const std::string& path,
                                          ScanFormat format)
{
  using Component = itk::IOComponentEnum;
  const Component component = io->GetComponentType();
  const bool channels = io->GetNumberOfComponents() > 1;  // colour or vector voxels
  if (HoldsPlainBytes(*io))
    return ReadBytesWidened(io, path);
  if (component == Component::UCHAR)
    return channels ? ReadFirstChannel<unsigned char>(io, path, false) : ReadImage<LOCTVolume::ImageType>(io, path);
  if (component == Component::USHORT)
    return channels ? ReadFirstChannel<unsigned short>(io, path, false) : ReadImage<LOCTVolume::ImageType>(io, path);
  const bool nifti = format == FormatNIfTI || format == FormatAnalyze;
  const bool storedAsFloat = (component == Component::FLOAT || component == Component::DOUBLE) &&
                             (!nifti || NiftiStoresFloatingPoint(path));
  if (component == Component::CHAR || component == Component::SHORT || component == Component::FLOAT)
    return channels ? ReadFirstChannel<float>(io, path, storedAsFloat) : ReadConverted<float>(io, path, storedAsFloat);
  return channels ? ReadFirstChannel<double>(io, path, storedAsFloat) : ReadConverted<double>(io, path, storedAsFloat);
}

// Reads the header of `path` and checks its promises as the reader does before any voxel,
// then hands the ready image-IO object to `take`, whose result it returns; the failure's
// code after its lines otherwise. Nothing of the toolkit's exceptions leaves.
template <typename Take>
int WithCheckedHeader(const std::string& path, ScanFormat format, Take take)
{
  {
    binary::FileReader probe;
    if (!devicescan::OpenScanFile(path, probe))
      return kScanOpenFailed;
  }
  // The toolkit opens the header by its own name, beside which its data file lies; in the
  // decoder helper that name must still stand for the file the program checked, before the
  // read and after it, or what was read is not the user's file.
  const auto replaced = [&] {
    if (readable::StillNamesHandedOver(path))
      return false;
    diag::ReportFileFailure(path, "was replaced after it was checked");
    return true;
  };
  if (replaced())
    return kScanOpenFailed;
  try {
    itk::ImageIOBase::Pointer io = ImageIOOf(format);
    if (!io || !io->CanReadFile(path.c_str())) {
      diag::ReportFileFailure(path, "not an image file the toolkit can read");
      return kScanOpenFailed;
    }
    // The header first: its sizes decide how much memory the voxels take.
    io->SetFileName(path);
    io->ReadImageInformation();
    if (const int header = CheckHeader(*io, path, format); header != kScanOk)
      return header;
    const int result = take(io);
    return result == kScanOk && replaced() ? kScanOpenFailed : result;
  } catch (const std::exception& error) {  // the toolkit's exceptions and std::bad_alloc
    if (RanOutOfMemory(error)) {
      diag::ReportFileFailure(path, "there is not enough memory to read it");
      return kScanNoMemory;
    }
    ReportToolkitFailure(path, error);
    return kScanOpenFailed;
  }
}

// Every field of the volume from the file's header and the image read (or described) from it.
void TakeImage(LOCTVolume& volume, ScanFormat format, const itk::ImageIOBase& io, LOCTVolume::ImageType::Pointer image)
{
  const itk::Size<3> size = image->GetLargestPossibleRegion().GetSize();
  const LOCTVolume::ImageType::SpacingType spacing = image->GetSpacing();
  volume.format = format;
  volume.laterality = LateralityNA;
  volume.centerType = CenterNA;
  volume.sizeX = static_cast<int32_t>(size[0]);
  volume.sizeY = static_cast<int32_t>(size[1]);
  volume.sizeZ = static_cast<int32_t>(size[2]);
  volume.spacingX = static_cast<float>(spacing[0]);
  volume.spacingY = static_cast<float>(spacing[1]);
  volume.spacingZ = static_cast<float>(spacing[2]);
  volume.bytesPerVoxel = BytesPerVoxelOf(io.GetComponentType());
  volume.image = image;
  volume.loaded = true;
}

}  // namespace

int LOCTVolume::ReadItkVolume(const std::string& path, ScanFormat scanFormat)
{
  const int result = ReadItkImage(path, scanFormat);
  if (result != kScanOk || scanFormat != FormatTIFF)
    return result;
  if (sizeZ == 1) {
    diag::PrintLine("Error: 2D TIFF\n");
    return kScan2DTiff;
  }
  diag::PrintLine("Warning: Please input the correct voxel size using SetVoxelSize(), "
                  "Default voxle size = 1.0 1.0 1.0 mm3\n");
  return kScanOk;
}

// The volume changes only when the whole read succeeded.
int LOCTVolume::ReadItkImage(const std::string& path, ScanFormat scanFormat)
{
  return WithCheckedHeader(path, scanFormat, [&](itk::ImageIOBase* io) {
    const ImageType::Pointer read = ReadVoxels(io, path, scanFormat);
    if (const uint64_t volumes = VolumeCountOf(*io); volumes > 1)
      diag::Warning("The file holds " + std::to_string(volumes) + " volumes; only the first is read");
    TakeImage(*this, scanFormat, *io, read);
    return int(kScanOk);
  });
}

int DescribeVoxelExtent(const std::string& path, LOCTVolume& volume, decoder::VoxelExtent& extent,
                        std::string& dataPath)
{
  return WithCheckedHeader(path, FormatMetaImage, [&](itk::ImageIOBase* io) {
    auto* meta = dynamic_cast<itk::MetaImageIO*>(io);
    if (!meta || !FindMetaImageExtent(*meta, path, extent, dataPath))
      return kNoVoxelExtent;
    TakeImage(volume, FormatMetaImage, *io, ImageWithoutVoxels(io, path));
    return int(kScanOk);
  });
}
