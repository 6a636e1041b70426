// Writing a volume as MetaImage through the image toolkit. Kept apart from the reading so
// that the decoder helper, which only reads, does not load every image-IO module the
// writer's factories bring in. The toolkit's exceptions end here as result codes.
#include "data/LOCTVolume.h"

#include "data/Diagnostics.h"
#include "data/ImageIOFactories.h"
#include "data/MappedVoxels.h"
#include "data/MetaImageDataCheck.h"
#include "data/StagedWrite.h"
#include "data/ToolkitFailure.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <exception>
#include <new>
#include <filesystem>

#include <itkImageFileWriter.h>
#include <itkImageIOFactory.h>
#include <itkMetaImageIO.h>

namespace {

// A header named ".mhd" in any letter case: the toolkit chooses its writer by the extension
// in small letters only, and names the header it writes that way.
bool IsMetaImageHeader(const std::filesystem::path& path)
{
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".mhd";
}

// The toolkit's file format for a path: MetaImage for a ".mhd" header in any letter case,
// otherwise the one its extension names.
itk::ImageIOBase::Pointer ImageIOFor(const std::filesystem::path& path, itk::IOFileModeEnum mode)
{
  if (IsMetaImageHeader(path))
    return itk::MetaImageIO::New().GetPointer();
  return itk::ImageIOFactory::CreateImageIO(path.string().c_str(), mode);
}

template <typename Image>
void WriteWithToolkit(const Image* image, const std::filesystem::path& path)
{
  auto writer = itk::ImageFileWriter<Image>::New();
  const bool header = IsMetaImageHeader(path);
  if (itk::ImageIOBase::Pointer io = ImageIOFor(path, itk::IOFileModeEnum::WriteMode))
    writer->SetImageIO(io);
  writer->SetFileName(path.string());
  writer->SetInput(image);
  writer->Update();
  // The data file recorded inside the header keeps its name.
  std::filesystem::path written = path;
  written.replace_extension(".mhd");
  if (header && written != path)
    std::filesystem::rename(written, path);
}

// The toolkit's writers do not all notice a write that ran out of space: a full disk leaves
// a short header or data file behind and no failure. What was written is therefore read
// back, as far as its header and the amount of its data, before it may replace anything.
bool WrittenWhole(const std::string& path, const itk::Size<3>& size)
{
  itk::ImageIOBase::Pointer io = ImageIOFor(path, itk::IOFileModeEnum::ReadMode);
  if (!io)
    return false;
  io->SetFileName(path);
  io->ReadImageInformation();
  if (io->GetNumberOfDimensions() != 3)
    return false;
  for (unsigned axis = 0; axis < 3; ++axis)
    if (io->GetDimensions(axis) != size[axis])
      return false;
  auto* meta = dynamic_cast<itk::MetaImageIO*>(io.GetPointer());
  return !meta || MetaImageDataPresent(*meta, path);
}

// The voxels in 8 bits: values above 255 become 255, as a plain cast would wrap them round to
// dark ones. Made here rather than by a toolkit filter, which would want worker threads; the
// image keeps the spacing, origin and orientation of the volume's. Its bytes lie in `memory`,
// which reads as 0: only the voxels that are not 0 are written, and only pages of the volume
// that may hold them are read, so that a label volume stays resident only where it is set.
// Throws when memory for it cannot be had.
itk::Image<unsigned char, 3>::Pointer ClampedToBytes(const LOCTVolume& volume, decoder::MemoryMapping& memory)
{
  const LOCTVolume::ImageType& image = *volume.image;
  const size_t count = image.GetPixelContainer()->Size();
  memory = decoder::MemoryMapping::Zeroed(count);
  if (count > 0 && !memory.Data())
    throw std::bad_alloc();
  auto bytes = itk::Image<unsigned char, 3>::New();
  bytes->CopyInformation(&image);
  bytes->SetRegions(image.GetLargestPossibleRegion());
  auto* to = static_cast<unsigned char*>(memory.Data());
  bytes->GetPixelContainer()->SetImportPointer(to, count, false);
  const unsigned short* from = image.GetBufferPointer();
  volume.WrittenVoxels().ForEachWrittenRun(from, count, [&](size_t first, size_t last) {
    for (size_t i = first; i < last; ++i)
      if (from[i] != 0)
        to[i] = static_cast<unsigned char>(std::min<unsigned short>(from[i], 255));
  });
  return bytes;
}

// Gives back, when it ends, the pages that held nothing but 0 at its start and that nothing
// wrote in the meantime, only read: on some kernels the first read of a page takes memory.
class ReleasedAfterReading {
public:
  explicit ReleasedAfterReading(WrittenPages pages) : m_Pages(std::move(pages)) {}
  ~ReleasedAfterReading() { m_Pages.ReleaseUntouched(); }
  ReleasedAfterReading(const ReleasedAfterReading&) = delete;
  ReleasedAfterReading& operator=(const ReleasedAfterReading&) = delete;

private:
  WrittenPages m_Pages;
};

}  // namespace

// The toolkit writes the file (and the data file it names) into a private folder beside
// the target; only a complete write replaces the old files.
int LOCTVolume::WriteMetaImage(const std::string& path, writetarget::WriteOrigin origin) const
{
  return WriteMetaImage(path, origin, {});
}

namespace {

// Whether the volume holds voxels it can write; the toolkit is then ready to write them.
bool ReadyToWrite(const LOCTVolume& volume)
{
  if (!volume.image || (volume.bytesPerVoxel != 1 && volume.bytesPerVoxel != 2))
    return false;
  RegisterImageIOFactories();
  return true;
}

// The volume written through the toolkit into the staged folder, checked whole, with the
// companions beside it, then moved over the old files.
int WriteStaged(const LOCTVolume& volume, StagedWrite& staged, const std::string& path,
                const std::vector<LOCTVolume::CompanionFile>& companions)
{
  if (!staged.IsOpen()) {
    diag::ReportFileFailure(staged.Failure().path.string(), staged.Failure().reason);
    return -1;
  }
  const LOCTVolume::ImageType* image = volume.image;
  try {
    if (volume.bytesPerVoxel == 1) {
      decoder::MemoryMapping memory;
      WriteWithToolkit(ClampedToBytes(volume, memory).GetPointer(), staged.StagedPath());
    } else {
      // The toolkit reads every voxel; the pages of nothing but 0 it reads go back after.
      const ReleasedAfterReading untouched(volume.WrittenVoxels());
      WriteWithToolkit<LOCTVolume::ImageType>(image, staged.StagedPath());
    }
    if (!WrittenWhole(staged.StagedPath().string(), image->GetLargestPossibleRegion().GetSize())) {
      diag::ReportFileFailure(path, "the file was not written whole (is the disk full?)");
      return -1;
    }
    for (const LOCTVolume::CompanionFile& companion : companions)
      if (!staged.WriteBeside(companion.name, companion.text)) {
        diag::ReportFileFailure(path, "a file beside it could not be written (is the disk full?)");
        return -1;
      }
  } catch (const std::exception& error) {
    if (RanOutOfMemory(error)) {
      diag::ReportFileFailure(path, "there is not enough memory to write it");
      return kWriteNoMemory;
    }
    ReportToolkitFailure(path, error);
    return -1;
  }
  if (!staged.Commit()) {
    const writetarget::WriteFailure& failure = staged.Failure();
    diag::ReportFileFailure(failure.IsSet() ? failure.path.string() : path,
                            failure.IsSet() ? failure.reason : "the written files could not replace the old ones");
    return -1;
  }
  return 0;
}

}  // namespace

int LOCTVolume::WriteMetaImage(const std::string& path, writetarget::WriteOrigin origin,
                               const std::vector<CompanionFile>& companions) const
{
  if (!ReadyToWrite(*this))
    return -1;
  StagedWrite staged(path, origin);
  return WriteStaged(*this, staged, path, companions);
}

int LOCTVolume::WriteMetaImage(const writetarget::OpenFolder& folder, const std::string& name,
                               writetarget::WriteOrigin origin) const
{
  if (!ReadyToWrite(*this))
    return -1;
  StagedWrite staged(folder, name, origin);
  return WriteStaged(*this, staged, (folder.path / name).string(), {});
}
