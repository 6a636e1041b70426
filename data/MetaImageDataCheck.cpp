#include "data/MetaImageDataCheck.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <strings.h>
#include <system_error>
#include <vector>

#include <metaImage.h>
#include <zlib.h>

namespace {

// Where the voxels of a header with "ElementDataFile = LOCAL" begin: right after that
// line, which ends every MetaImage header. 0 when the line is not found.
uint64_t LocalDataOffset(const std::string& headerPath)
{
  constexpr std::streamsize kLongestHeader = 1 << 20;
  std::ifstream in(headerPath, std::ios::binary);
  std::string head(static_cast<size_t>(kLongestHeader), '\0');
  in.read(head.data(), kLongestHeader);
  head.resize(static_cast<size_t>(in.gcount()));
  const size_t key = head.find("ElementDataFile");
  const size_t end = key == std::string::npos ? key : head.find('\n', key);
  return end == std::string::npos ? 0 : end + 1;
}

bool StoredBytesFit(const std::filesystem::path& file, uint64_t offset, uint64_t bytes)
{
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(file, error);
  return !error && size >= offset && size - offset >= bytes;
}

// Inflates the stream from offset on without keeping its output, and tells whether it
// yields the given number of bytes.
bool CompressedBytesFit(const std::filesystem::path& file, uint64_t offset, uint64_t bytes)
{
  std::ifstream in(file, std::ios::binary);
  if (!in.seekg(static_cast<std::streamoff>(offset)))
    return false;
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 32) != Z_OK)  // zlib or gzip framing
    return false;
  std::vector<unsigned char> input(1 << 16), output(1 << 16);
  uint64_t produced = 0;
  int status = Z_OK;
  while (status == Z_OK && produced < bytes) {
    if (stream.avail_in == 0) {
      in.read(reinterpret_cast<char*>(input.data()), static_cast<std::streamsize>(input.size()));
      if (in.gcount() == 0)
        break;
      stream.next_in = input.data();
      stream.avail_in = static_cast<uInt>(in.gcount());
    }
    stream.next_out = output.data();
    stream.avail_out = static_cast<uInt>(output.size());
    status = inflate(&stream, Z_NO_FLUSH);
    produced += output.size() - stream.avail_out;
  }
  inflateEnd(&stream);
  return produced >= bytes;
}

}  // namespace

bool MetaImageDataPresent(itk::MetaImageIO& io, const std::string& headerPath)
{
  const MetaImage* meta = io.GetMetaImagePointer();
  const std::string dataName = meta->ElementDataFileName();
  if (dataName.rfind("LIST", 0) == 0 || dataName.find('%') != std::string::npos)
    return true;

  // A header size of -1 places the voxels at the very end of the file: nothing is skipped.
  uint64_t offset = meta->HeaderSize() > 0 ? static_cast<uint64_t>(meta->HeaderSize()) : 0;
  std::filesystem::path dataPath = dataName;
  if (::strcasecmp(dataName.c_str(), "LOCAL") == 0) {
    const uint64_t headerEnd = LocalDataOffset(headerPath);
    if (headerEnd == 0)
      return false;
    offset += headerEnd;
    dataPath = headerPath;
  } else if (dataPath.is_relative()) {
    dataPath = std::filesystem::path(headerPath).parent_path() / dataPath;
  }
  const uint64_t voxelBytes = io.GetImageSizeInBytes();
  return meta->CompressedData() ? CompressedBytesFit(dataPath, offset, voxelBytes)
                                : StoredBytesFit(dataPath, offset, voxelBytes);
}
