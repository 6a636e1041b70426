#include "data/VolumeDataCheck.h"

#include "data/BinaryReader.h"

#include <filesystem>
#include <memory>
#include <set>
#include <strings.h>
#include <vector>

#include <zlib.h>

namespace {

// Deflate data inflates to at most about 1032 times its size; the other TIFF compressions
// (LZW, PackBits, JPEG) stay below 4096 times.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kMaxTiffRatio = 4096;
constexpr uint64_t kGzipSizeWraps = uint64_t(1) << 32;

// Inflates the whole stream: true when it ends where its own end says it does (a cut file
// ends early, which the toolkit's reader does not notice) after at least bytes of content.
bool GzipStreamHolds(const std::string& path, uint64_t bytes)
{
  const std::unique_ptr<gzFile_s, int (*)(gzFile)> in(gzopen(path.c_str(), "rb"), gzclose);
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
bool GzipFits(const std::string& path, uint64_t bytes)
{
  binary::FileReader in;
  uint32_t contentSize = 0;
  if (!in.Open(path) || in.Size() < 4 || !in.Seek(in.Size() - 4) || !in.ReadLE(contentSize))
    return false;
  if (bytes / kMaxDeflateRatio > in.Size())
    return false;
  return (bytes >= kGzipSizeWraps || bytes <= contentSize) && GzipStreamHolds(path, bytes);
}

bool PlainOrGzipFits(const std::string& path, uint64_t bytes)
{
  if (::strcasecmp(std::filesystem::path(path).extension().c_str(), ".gz") == 0)
    return GzipFits(path, bytes);
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  return !error && bytes <= size;
}

// The Analyze voxels lie in the ".img" file beside the ".hdr", which the toolkit also finds
// compressed.
bool AnalyzeDataFits(const std::string& headerPath, uint64_t bytes)
{
  const std::string stem = headerPath.substr(0, headerPath.size() - 4);
  for (const char* ending : {".img", ".img.gz"}) {
    std::error_code error;
    if (std::filesystem::exists(stem + ending, error))
      return PlainOrGzipFits(stem + ending, bytes);
  }
  return false;
}

// One page of a TIFF file as its directory describes it.
struct TiffPage {
  uint64_t width = 0;
  uint64_t height = 0;
  uint64_t samples = 1;
  uint64_t bitsPerSample = 1;
  bool compressed = false;
  uint32_t next = 0;  // offset of the next page's directory, 0 after the last

  // Whether the page's pixels take at most limit bytes (and there are any).
  bool FitsIn(uint64_t limit) const
  {
    const uint64_t sampleBytes = (bitsPerSample + 7) / 8;
    return binary::BoundedProduct({int64_t(width), int64_t(height), int64_t(samples),
                                   int64_t(sampleBytes)}, limit) != 0;
  }
};

class TiffDirectories {
public:
  explicit TiffDirectories(binary::FileReader& in) : m_In(in) {}

  // Reads the byte order and the first directory's offset; false for anything but TIFF.
  bool ReadHeader(uint32_t& first)
  {
    unsigned char order[2];
    uint16_t magic = 0;
    if (!m_In.ReadBytes(order, 2) || order[0] != order[1] || (order[0] != 'I' && order[0] != 'M'))
      return false;
    m_Big = order[0] == 'M';
    return Read(magic) && magic == 42 && Read(first);
  }

  bool ReadPage(uint32_t offset, TiffPage& page)
  {
    uint16_t entries = 0;
    if (!m_In.Seek(offset) || !Read(entries))
      return false;
    for (uint16_t i = 0; i < entries; ++i) {
      uint16_t tag = 0, type = 0;
      uint32_t count = 0;
      unsigned char value[4];
      if (!Read(tag) || !Read(type) || !Read(count) || !m_In.ReadBytes(value, 4))
        return false;
      // Only the first value counts, which the entry holds itself for these tags.
      const uint64_t first = type == 3 ? binary::Decode<uint16_t>(value, m_Big)
                                       : binary::Decode<uint32_t>(value, m_Big);
      const bool heldInEntry = count <= 1 || (type == 3 && count <= 2);
      switch (tag) {
      case 256: page.width = first; break;
      case 257: page.height = first; break;
      case 258: page.bitsPerSample = heldInEntry ? first : 64; break;
      case 259: page.compressed = first != 1; break;
      case 277: page.samples = first; break;
      default: break;
      }
    }
    return Read(page.next);
  }

private:
  template <typename T> bool Read(T& value) { return m_Big ? m_In.ReadBE(value) : m_In.ReadLE(value); }

  binary::FileReader& m_In;
  bool m_Big = false;
};

// The toolkit allocates each page as its own directory describes it, so every page must
// fit the file, not only the first. A file whose directories cannot be walked is left to
// the toolkit, which refuses it.
bool TiffPagesFit(binary::FileReader& in)
{
  constexpr size_t kMaxPages = 1 << 16;
  TiffDirectories directories(in);
  uint32_t offset = 0;
  if (!directories.ReadHeader(offset))
    return true;
  std::set<uint32_t> seen;
  while (offset != 0 && seen.size() < kMaxPages && seen.insert(offset).second) {
    TiffPage page;
    if (!directories.ReadPage(offset, page))
      return true;
    const uint64_t ratio = page.compressed ? kMaxTiffRatio : 1;
    if (page.bitsPerSample > 64 || !page.FitsIn(in.Size() * ratio))
      return false;
    offset = page.next;
  }
  return true;
}

bool TiffDataFits(const std::string& path, uint64_t bytes)
{
  binary::FileReader in;
  if (!in.Open(path) || !TiffPagesFit(in))
    return false;
  return bytes / kMaxTiffRatio <= in.Size();
}

}  // namespace

bool VolumeDataFits(const std::string& path, ScanFormat format, uint64_t bytes)
{
  switch (format) {
  case FormatNIfTI:
    return PlainOrGzipFits(path, bytes);
  case FormatAnalyze:
    return AnalyzeDataFits(path, bytes);
  case FormatTIFF:
    return TiffDataFits(path, bytes);
  default:
    return true;
  }
}
