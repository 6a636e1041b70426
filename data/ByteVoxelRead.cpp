#include "data/ByteVoxelRead.h"

#include <algorithm>
#include <vector>

#include <itkImageFileReader.h>

namespace {

// About 4 MiB of bytes per slab: small enough to stay in cache while it is widened.
constexpr size_t kSlabBytes = size_t(4) << 20;

}  // namespace

bool HoldsPlainBytes(const itk::ImageIOBase& io)
{
  return io.GetComponentType() == itk::IOComponentEnum::UCHAR && io.GetNumberOfComponents() == 1 &&
         io.GetNumberOfDimensions() == 3;
}

void WidenBytes(const unsigned char* bytes, size_t count, unsigned short* voxels)
{
  for (size_t i = 0; i < count; ++i)
    voxels[i] = bytes[i];
}

LOCTVolume::ImageType::Pointer ImageWithoutVoxels(itk::ImageIOBase* io, const std::string& path)
{
  using ImageType = LOCTVolume::ImageType;
  auto reader = itk::ImageFileReader<ImageType>::New();
  reader->SetImageIO(io);
  reader->SetFileName(path);
  reader->UpdateOutputInformation();
  const ImageType& information = *reader->GetOutput();
  ImageType::Pointer image = ImageType::New();
  image->CopyInformation(&information);
  image->SetRegions(information.GetLargestPossibleRegion());
  return image;
}

LOCTVolume::ImageType::Pointer ReadBytesWidened(itk::ImageIOBase* io, const std::string& path)
{
  using ImageType = LOCTVolume::ImageType;
  ImageType::Pointer image = ImageWithoutVoxels(io, path);
  const ImageType::RegionType whole = image->GetLargestPossibleRegion();
  image->Allocate();

  const size_t sliceVoxels = size_t(whole.GetSize(0)) * size_t(whole.GetSize(1));
  const size_t slices = whole.GetSize(2);
  // A file that cannot be read in parts is read whole.
  const size_t slabSlices =
      io->CanStreamRead() ? std::clamp<size_t>(kSlabBytes / std::max<size_t>(sliceVoxels, 1), 1, slices) : slices;
  std::vector<unsigned char> bytes(sliceVoxels * slabSlices);
  itk::ImageIORegion region(3);
  for (unsigned axis = 0; axis < 2; ++axis) {
    region.SetIndex(axis, whole.GetIndex(axis));
    region.SetSize(axis, whole.GetSize(axis));
  }
  for (size_t first = 0; first < slices; first += slabSlices) {
    const size_t count = std::min(slabSlices, slices - first);
    region.SetIndex(2, whole.GetIndex(2) + static_cast<itk::IndexValueType>(first));
    region.SetSize(2, count);
    io->SetIORegion(region);
    io->Read(bytes.data());
    WidenBytes(bytes.data(), sliceVoxels * count, image->GetBufferPointer() + sliceVoxels * first);
  }
  return image;
}
