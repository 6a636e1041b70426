// Which reader takes a scan file, and where it runs: the toolkits' decoders in the decoder
// helper, the readers of the device makers' formats in this process.
#include "data/LOCTVolume.h"

#include "data/DecoderHelper.h"
#include "data/ScanRoute.h"

#include <filesystem>
#include <system_error>

namespace {

// The file's size, 0 when it cannot be determined.
uint64_t FileSize(const std::string& path)
{
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<uint64_t>(size);
}

// The size-keyed readers take the size as 32 bits; a larger file is passed as 0, which
// matches none of their sizes, instead of aliasing one of them.
uint32_t Size32(uint64_t size)
{
  return size > UINT32_MAX ? 0 : static_cast<uint32_t>(size);
}

}  // namespace

int LOCTVolume::ReadScanFile(const std::string& path)
{
  const uint64_t size = FileSize(path);
  const ScanRoute route = ClassifyScanPath(path, size);
  // A toolkit decodes in a helper process, where its faults cannot reach the program.
  if (DecodedByToolkit(route) && decoder::Isolated())
    return decoder::ReadScan(*this, path, route);
  if (const ScanFormat toolkitFormat = ToolkitVolumeFormat(route); toolkitFormat != FormatNA)
    return ReadItkVolume(path, toolkitFormat);
  switch (route) {
  case ScanRoute::ZeissRaw: return ReadZeissRaw(path, Size32(size));
  case ScanRoute::TopconFds: return ReadTopconFds(path);
  case ScanRoute::HeidelbergVol: return ReadHeidelbergVol(path);
  case ScanRoute::OptovueRaw: return ReadOptovueRaw(path, Size32(size));
  case ScanRoute::BioptigenOct: return ReadBioptigenOct(path);
  case ScanRoute::CanonTomograms: return ReadCanonTomograms(path);
  case ScanRoute::DicomFlavour1: return ReadDicomVolume(path, 1);
  case ScanRoute::DicomFlavour2: return ReadDicomVolume(path, 2);
  case ScanRoute::DicomFlavour3: return ReadDicomVolume(path, 3);
  default: break;
  }
  return UnsupportedScan();
}
