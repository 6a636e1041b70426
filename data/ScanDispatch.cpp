// Which reader takes a scan file, and where it runs: the toolkits' decoders in the decoder
// helper, the readers of the device makers' formats in this process.
#include "data/LOCTVolume.h"

#include "data/DecoderHelper.h"
#include "data/ReadableFile.h"
#include "data/ScanRoute.h"

#include <filesystem>
#include <system_error>

namespace {

// The file's size, 0 when it cannot be determined.
uint64_t FileSize(const std::string& path)
{
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(readable::NameToOpen(path), error);
  return error ? 0 : static_cast<uint64_t>(size);
}

// The size-keyed readers take the size as 32 bits; a larger file is passed as 0, which
// matches none of their sizes, instead of aliasing one of them.
uint32_t Size32(uint64_t size)
{
  return size > UINT32_MAX ? 0 : static_cast<uint32_t>(size);
}

int ReadVolumeFile(LOCTVolume& volume, const std::string& path, decoder::VoxelUse use)
{
  const uint64_t size = FileSize(path);
  const ScanRoute route = ClassifyScanPath(path, size);
  // A toolkit decodes in a helper process, where its faults cannot reach the program.
  if (DecodedByToolkit(route) && decoder::Isolated())
    return decoder::ReadScan(volume, path, route, use);
  if (const ScanFormat toolkitFormat = ToolkitVolumeFormat(route); toolkitFormat != FormatNA)
    return volume.ReadItkVolume(path, toolkitFormat);
  switch (route) {
  case ScanRoute::ZeissRaw: return volume.ReadZeissRaw(path, Size32(size));
  case ScanRoute::TopconFds: return volume.ReadTopconFds(path);
  case ScanRoute::HeidelbergVol: return volume.ReadHeidelbergVol(path);
  case ScanRoute::OptovueRaw: return volume.ReadOptovueRaw(path, Size32(size));
  case ScanRoute::BioptigenOct: return volume.ReadBioptigenOct(path);
  case ScanRoute::CanonTomograms: return volume.ReadCanonTomograms(path);
  case ScanRoute::DicomFlavour1: return volume.ReadDicomVolume(path, 1);
  case ScanRoute::DicomFlavour2: return volume.ReadDicomVolume(path, 2);
  case ScanRoute::DicomFlavour3: return volume.ReadDicomVolume(path, 3);
  default: break;
  }
  return UnsupportedScan();
}

}  // namespace

int LOCTVolume::ReadScanFile(const std::string& path)
{
  return ReadVolumeFile(*this, path, decoder::VoxelUse::Scan);
}

int LOCTVolume::ReadLabelFile(const std::string& path)
{
  return ReadVolumeFile(*this, path, decoder::VoxelUse::Labels);
}
