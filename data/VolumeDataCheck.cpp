#include "data/VolumeDataCheck.h"

#include "data/BinaryReader.h"
#include "data/DataFileFolder.h"
#include "data/NiftiStoredType.h"
#include "data/ReadableFile.h"
#include "data/TiffPageCheck.h"

#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include <zlib.h>

namespace {

// Deflate data inflates to at most about 1032 times its size.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kGzipSizeWraps = uint64_t(1) << 32;

// Inflates the whole stream: true when it ends where its own end says it does (a cut file
// ends early, which the toolkit's reader does not notice) after at least bytes of content.
bool GzipStreamHolds(const std::string& path, uint64_t bytes)
{
  const readable::GzipStream in = readable::OpenGzip(path);
  if (!in)
    return false;
  std::vector<char> chunk(size_t(1) << 20);
  uint64_t content = 0;
  for (;;) {
    const int read = gzread(in.get(), chunk.data(), static_cast<unsigned>(chunk.size()));
    if (read < 0)
      return false;
    if (read == 0)
      break;
    content += static_cast<uint64_t>(read);
  }
  int status = Z_OK;
  gzerror(in.get(), &status);
  return status == Z_OK && content >= bytes;
}

// A gzip file ends with the length of its content modulo 2^32: a quick refusal before the
// whole stream is inflated.
bool GzipHolds(binary::FileReader& in, const std::string& path, uint64_t bytes)
{
  uint32_t contentSize = 0;
  if (in.Size() < 4 || !in.Seek(in.Size() - 4) || !in.ReadLE(contentSize))
    return false;
  if (bytes / kMaxDeflateRatio > in.Size())
    return false;
  return (bytes >= kGzipSizeWraps || bytes <= contentSize) && GzipStreamHolds(path, bytes);
}

// Whether the file holds bytes of content: as stored, or inflated when it is gzip data,
// which the NIfTI decoder takes whatever the file's name.
bool ContentHolds(const std::string& path, uint64_t bytes)
{
  binary::FileReader in;
  unsigned char magic[2] = {0, 0};
  if (!in.Open(path))
    return false;
  if (in.ReadBytes(magic, 2) && magic[0] == 0x1f && magic[1] == 0x8b)
    return GzipHolds(in, path, bytes);
  return bytes <= in.Size();
}

// The ".img" beside a ".hdr" (or a ".nii" whose header says its voxels lie apart), plain or
// compressed, in the case of the header's extension as the decoder looks for it; "" when
// there is none.
std::string DataFileBeside(const std::string& headerPath)
{
  std::string stem = headerPath;
  for (const char* ending : {".gz", ".GZ"})
    if (stem.size() > 3 && stem.compare(stem.size() - 3, 3, ending) == 0)
      stem.resize(stem.size() - 3);
  stem = std::filesystem::path(stem).replace_extension().string();
  for (const char* ending : {".img", ".img.gz", ".IMG", ".IMG.GZ"}) {
    std::error_code error;
    if (std::filesystem::exists(stem + ending, error))
      return DataFileInHeaderFolder(headerPath, stem + ending) ? stem + ending : "";
  }
  return "";
}

bool NiftiDataFits(const std::string& path, uint64_t voxels)
{
  NiftiStorage storage;
  if (!ReadNiftiStorage(path, storage) || storage.voxels < voxels)
    return false;
  const std::string data = storage.oneFile ? path : DataFileBeside(path);
  return !data.empty() && ContentHolds(data, storage.DataEnd());
}

}  // namespace

bool VolumeDataFits(const std::string& path, ScanFormat format, uint64_t voxels)
{
  switch (format) {
  case FormatNIfTI:
  case FormatAnalyze:
    return NiftiDataFits(path, voxels);
  case FormatTIFF:
    return TiffPagesHold(path, voxels);
  default:
    return true;
  }
}
