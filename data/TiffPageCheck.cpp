#include "data/TiffPageCheck.h"

#include "data/BinaryReader.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <vector>

namespace {

constexpr size_t kMaxPages = size_t(1) << 16;
constexpr uint64_t kMaxEntries = 1 << 12;
constexpr uint64_t kMaxBitsPerSample = 64;
// The decoder keeps the samples of a pixel in 16 bits.
constexpr uint64_t kMaxSamplesPerPixel = 0xffff;
// Strip and tile tables are read this many values at a time.
constexpr uint64_t kValuesPerRead = uint64_t(1) << 16;

// How far a page's stored bytes may expand: deflate about 1032 times, PackBits 64 times, LZW
// and the older codecs below 4096 times; zstd and LZMA, which write long runs in a few
// bytes, below 65536 times.
uint64_t ExpansionOf(uint64_t compression)
{
  switch (compression) {
  case 1: return 1;
  case 32773: return 64;
  case 8: case 32946: return 1032;
  case 34925: case 50000: return 65536;
  default: return 4096;
  }
}

// a·b and a + b, or the largest value when the result does not fit.
uint64_t Times(uint64_t a, uint64_t b)
{
  return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b;
}

uint64_t Plus(uint64_t a, uint64_t b)
{
  return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

uint64_t CeilDiv(uint64_t length, uint64_t step)
{
  return length / step + (length % step != 0);
}

enum Tag : uint16_t {
  kSubfileType = 254,
  kWidth = 256,
  kHeight = 257,
  kBitsPerSample = 258,
  kCompression = 259,
  kPhotometric = 262,
  kStripOffsets = 273,
  kSamplesPerPixel = 277,
  kRowsPerStrip = 278,
  kStripByteCounts = 279,
  kPlanarConfiguration = 284,
  kTileWidth = 322,
  kTileLength = 323,
  kTileOffsets = 324,
  kTileByteCounts = 325,
  kSampleFormat = 339,
};

// The kinds of page (NewSubfileType bits) that the decoder passes over in a stack.
constexpr uint64_t kReducedImage = 1;
constexpr uint64_t kTransparencyMask = 4;
constexpr uint64_t kAbsent = UINT64_MAX;

// What decides how the decoder lays a page's rows out in memory. It sizes the volume by the
// first page and copies every page's rows as the first page's, so a page laid out otherwise
// would be copied past its own rows.
struct PageLayout {
  uint64_t width = 0;
  uint64_t height = 0;
  uint64_t samples = 1;
  uint64_t bitsPerSample = 1;
  uint64_t planar = 1;
  uint64_t photometric = kAbsent;
  uint64_t sampleFormat = 1;
  bool tiled = false;

  bool operator==(const PageLayout& other) const
  {
    return std::tie(width, height, samples, bitsPerSample, planar, photometric, sampleFormat, tiled) ==
           std::tie(other.width, other.height, other.samples, other.bitsPerSample, other.planar, other.photometric,
                    other.sampleFormat, other.tiled);
  }
};

// One directory entry: `count` values of `type`, stored from `at` on.
struct Entry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint64_t count = 0;
  uint64_t at = 0;
};

// Bytes per value of the integer types that sizes and offsets are written in; 0 for others.
uint64_t IntegerBytes(uint16_t type)
{
  switch (type) {
  case 1: case 6: return 1;             // BYTE, SBYTE
  case 3: case 8: return 2;             // SHORT, SSHORT
  case 4: case 9: case 13: return 4;    // LONG, SLONG, IFD
  case 16: case 17: case 18: return 8;  // LONG8, SLONG8, IFD8
  default: return 0;
  }
}

bool IsSigned(uint16_t type)
{
  return type == 6 || type == 8 || type == 9 || type == 17;
}

// The directories of a classic or a BigTIFF file, in either byte order.
class TiffReader {
public:
  explicit TiffReader(binary::FileReader& in) : m_In(in) {}

  uint64_t FileSize() const { return m_In.Size(); }

  // The layout and the first directory's offset; false for anything but TIFF.
  bool ReadHeader(uint64_t& first)
  {
    unsigned char order[2];
    uint16_t magic = 0;
    if (!m_In.ReadBytes(order, 2) || order[0] != order[1] || (order[0] != 'I' && order[0] != 'M'))
      return false;
    m_Big = order[0] == 'M';
    if (!Read(magic))
      return false;
    if (magic == 42)
      return ReadOffset(first);
    uint16_t offsetBytes = 0, zero = 0;
    m_BigTiff = magic == 43;
    return m_BigTiff && Read(offsetBytes) && offsetBytes == 8 && Read(zero) && zero == 0 && ReadOffset(first);
  }

  // The directory's entries, read as one block, and the offset of the next directory.
  bool ReadDirectory(uint64_t offset, std::vector<Entry>& entries, uint64_t& next)
  {
    uint64_t count = 0;
    if (!m_In.Seek(offset) || !ReadNumber(count, m_BigTiff ? 8 : 2) || count > kMaxEntries)
      return false;
    const uint64_t word = m_BigTiff ? 8 : 4;  // the width of an entry's count and of its value field
    const uint64_t entryBytes = 4 + 2 * word;
    const uint64_t first = m_In.Tell();
    std::vector<unsigned char> block(count * entryBytes);
    if (!m_In.ReadBytes(block.data(), block.size()))
      return false;
    entries.assign(count, Entry{});
    for (uint64_t i = 0; i < count; ++i) {
      const unsigned char* field = block.data() + i * entryBytes;
      Entry& entry = entries[i];
      entry.tag = binary::Decode<uint16_t>(field, m_Big);
      entry.type = binary::Decode<uint16_t>(field + 2, m_Big);
      entry.count = Unsigned(field + 4, word);
      const bool held = Times(entry.count, std::max<uint64_t>(IntegerBytes(entry.type), 1)) <= word;
      entry.at = held ? first + i * entryBytes + 4 + word : Unsigned(field + 4 + word, word);
    }
    return ReadOffset(next);
  }

  // The values first .. first + n - 1 of an integer entry, read in one go (n at most
  // kValuesPerRead); false past its values, for a negative value and for values that are not
  // integers or not in the file.
  bool Values(const Entry& entry, uint64_t first, uint64_t n, std::vector<uint64_t>& values)
  {
    const uint64_t bytes = IntegerBytes(entry.type);
    if (bytes == 0 || first > entry.count || n > entry.count - first || n > kValuesPerRead)
      return false;
    std::vector<unsigned char> run(n * bytes);
    if (!m_In.Seek(Plus(entry.at, first * bytes)) || !m_In.ReadBytes(run.data(), run.size()))
      return false;
    values.resize(n);
    for (uint64_t i = 0; i < n; ++i) {
      const unsigned char* field = run.data() + i * bytes;
      if (IsSigned(entry.type) && (field[m_Big ? 0 : bytes - 1] & 0x80) != 0)
        return false;
      values[i] = Unsigned(field, bytes);
    }
    return true;
  }

private:
  template <typename T> bool Read(T& value) { return m_Big ? m_In.ReadBE(value) : m_In.ReadLE(value); }

  // An unsigned number of 1 to 8 bytes in the file's byte order.
  uint64_t Unsigned(const unsigned char* field, uint64_t bytes) const
  {
    uint64_t value = 0;
    for (uint64_t i = 0; i < bytes; ++i)
      value = value << 8 | field[m_Big ? i : bytes - 1 - i];
    return value;
  }

  // An unsigned number of 2, 4 or 8 bytes.
  bool ReadNumber(uint64_t& value, int bytes)
  {
    uint16_t narrow = 0;
    uint32_t middle = 0;
    const bool read = bytes == 8 ? Read(value) : bytes == 4 ? Read(middle) : Read(narrow);
    if (bytes != 8)
      value = bytes == 4 ? middle : narrow;
    return read;
  }
  bool ReadOffset(uint64_t& value) { return ReadNumber(value, m_BigTiff ? 8 : 4); }

  binary::FileReader& m_In;
  bool m_Big = false;
  bool m_BigTiff = false;
};

// The bytes a table of strips or tiles stores, by where its offsets and counts lie and how
// many of them are read. Pages of a stack often share one table; each is read once, so that
// the check costs what the pages and the tables hold, not their product.
class BlockTables {
public:
  // Where the offsets lie and their type, where the counts lie, their type and number, how
  // many blocks are read and whether there are counts at all.
  using Key = std::tuple<uint64_t, uint16_t, uint64_t, uint16_t, uint64_t, uint64_t, bool>;
  // The stored bytes of the table, or false when its blocks do not lie in the file.
  template <typename Sum> bool Stored(const Key& key, uint64_t& stored, Sum sum)
  {
    const auto known = m_Stored.find(key);
    if (known != m_Stored.end()) {
      stored = known->second;
      return true;
    }
    if (!sum(stored))
      return false;
    m_Stored.emplace(key, stored);
    return true;
  }

private:
  std::map<Key, uint64_t> m_Stored;
};

// One page as its directory describes it.
class TiffPage {
public:
  TiffPage(TiffReader& reader, const std::vector<Entry>& entries, BlockTables& tables)
    : m_Reader(reader), m_Entries(entries), m_Tables(tables) {}

  // Reads the page's geometry; false when a size the page needs is missing or out of range.
  bool ReadGeometry()
  {
    PageLayout& l = m_Layout;
    if (!Single(kWidth, 0, l.width) || !Single(kHeight, 0, l.height) || l.width == 0 || l.height == 0 ||
        !Single(kSamplesPerPixel, 1, l.samples) || l.samples == 0 || l.samples > kMaxSamplesPerPixel ||
        !Single(kCompression, 1, m_Compression) || !Single(kPlanarConfiguration, 1, l.planar) ||
        !Single(kPhotometric, kAbsent, l.photometric) || !Single(kSampleFormat, 1, l.sampleFormat) ||
        !Single(kSubfileType, 0, m_SubfileType) || !ReadBitsPerSample())
      return false;
    l.tiled = Find(kTileWidth) != nullptr;
    if (l.tiled)
      return Single(kTileWidth, 0, m_BlockWidth) && Single(kTileLength, 0, m_BlockHeight) && m_BlockWidth != 0 &&
             m_BlockHeight != 0;
    m_BlockWidth = l.width;
    return Single(kRowsPerStrip, l.height, m_BlockHeight) && m_BlockHeight != 0;
  }

  const PageLayout& Layout() const { return m_Layout; }
  // A reduced-resolution copy or a mask, which the decoder does not read as a slice.
  bool PassedOver() const { return (m_SubfileType & (kReducedImage | kTransparencyMask)) != 0; }
  uint64_t Pixels() const { return Times(m_Layout.width, m_Layout.height); }

  // The bytes of the page's pixels as stored before compression.
  uint64_t PixelBytes() const
  {
    const PageLayout& l = m_Layout;
    const uint64_t bitsPerRow = Times(Times(l.width, l.bitsPerSample), SeparatePlanes() ? 1 : l.samples);
    return Times(Times(CeilDiv(bitsPerRow, 8), l.height), Planes());
  }

  // Whether the strips or tiles lie in the file and, at what their compression can expand
  // them to, hold the page's pixels. Counts beyond the blocks the page has are not read.
  bool BlocksHoldThePixels() const
  {
    const bool tiled = m_Layout.tiled;
    const Entry* offsets = Find(tiled ? kTileOffsets : kStripOffsets);
    const Entry* counts = Find(tiled ? kTileByteCounts : kStripByteCounts);
    if (!offsets)
      return false;
    const uint64_t blocks =
        Times(Times(CeilDiv(m_Layout.width, m_BlockWidth), CeilDiv(m_Layout.height, m_BlockHeight)), Planes());
    const uint64_t listed = std::min(blocks, offsets->count);
    const BlockTables::Key key{offsets->at, offsets->type, counts ? counts->at : 0, counts ? counts->type : 0,
                               counts ? counts->count : 0, listed, counts != nullptr};
    uint64_t stored = 0;
    return m_Tables.Stored(key, stored, [&](uint64_t& sum) { return SumBlocks(*offsets, counts, listed, sum); }) &&
           Times(stored, Expansion()) >= PixelBytes();
  }

  // The least the file must hold for the page's pixels, with every page stored apart.
  uint64_t LeastStored() const { return CeilDiv(PixelBytes(), Expansion()); }

private:
  // The bytes the first `listed` blocks store (the rest of the file when there are no
  // counts); false when a block does not lie in the file.
  bool SumBlocks(const Entry& offsets, const Entry* counts, uint64_t listed, uint64_t& stored) const
  {
    const uint64_t size = m_Reader.FileSize();
    stored = counts ? 0 : size;  // without counts, the blocks run to the end of the file
    std::vector<uint64_t> at, bytes;
    for (uint64_t first = 0; first < listed; first += kValuesPerRead) {
      const uint64_t run = std::min(listed - first, kValuesPerRead);
      if (!m_Reader.Values(offsets, first, run, at) || (counts && !m_Reader.Values(*counts, first, run, bytes)))
        return false;
      for (uint64_t i = 0; i < run; ++i) {
        const uint64_t held = counts ? bytes[i] : 0;
        if (Plus(at[i], held) > size)
          return false;
        stored = Plus(stored, held);
      }
    }
    return true;
  }

  const Entry* Find(uint16_t tag) const
  {
    const auto found =
        std::find_if(m_Entries.begin(), m_Entries.end(), [tag](const Entry& entry) { return entry.tag == tag; });
    return found == m_Entries.end() ? nullptr : &*found;
  }

  // The tag's first value, or `absent` when the page has no such tag.
  bool Single(uint16_t tag, uint64_t absent, uint64_t& value) const
  {
    const Entry* entry = Find(tag);
    std::vector<uint64_t> first;
    if (entry && !m_Reader.Values(*entry, 0, 1, first))
      return false;
    value = entry ? first[0] : absent;
    return true;
  }

  // One size for every sample, which is all the decoder handles.
  bool ReadBitsPerSample()
  {
    const Entry* entry = Find(kBitsPerSample);
    if (!entry)
      return true;  // one bit per sample
    std::vector<uint64_t> bits;
    if (!m_Reader.Values(*entry, 0, std::min(entry->count, m_Layout.samples), bits) ||
        std::any_of(bits.begin(), bits.end(), [&](uint64_t each) { return each != bits[0]; }))
      return false;
    if (!bits.empty())
      m_Layout.bitsPerSample = bits[0];
    return m_Layout.bitsPerSample >= 1 && m_Layout.bitsPerSample <= kMaxBitsPerSample;
  }

  bool SeparatePlanes() const { return m_Layout.planar == 2; }
  uint64_t Planes() const { return SeparatePlanes() ? m_Layout.samples : 1; }
  uint64_t Expansion() const { return ExpansionOf(m_Compression); }

  TiffReader& m_Reader;
  const std::vector<Entry>& m_Entries;
  BlockTables& m_Tables;
  PageLayout m_Layout;
  uint64_t m_Compression = 1;
  uint64_t m_SubfileType = 0;
  uint64_t m_BlockWidth = 0;
  uint64_t m_BlockHeight = 0;
};

}  // namespace

bool TiffPagesHold(const std::string& path, uint64_t pixels)
{
  binary::FileReader in;
  if (!in.Open(path))
    return false;
  TiffReader reader(in);
  uint64_t offset = 0;
  if (!reader.ReadHeader(offset))
    return true;
  std::set<uint64_t> seen;
  BlockTables tables;
  std::vector<Entry> entries;
  PageLayout first;
  uint64_t held = 0, leastStored = 0, passedOver = 0;
  while (offset != 0 && seen.insert(offset).second) {
    TiffPage page(reader, entries, tables);
    if (seen.size() > kMaxPages || !reader.ReadDirectory(offset, entries, offset) || !page.ReadGeometry() ||
        !page.BlocksHoldThePixels())
      return false;
    if (seen.size() == 1)
      first = page.Layout();
    else if (!page.PassedOver() && !(page.Layout() == first))
      return false;
    passedOver += page.PassedOver();
    held = Plus(held, page.Pixels());
    leastStored = Plus(leastStored, page.LeastStored());
  }
  // The decoder reads every page of a stack but those it passes over (a lone page always),
  // each into a slice of the first page's size, within the room it made for `pixels`.
  const uint64_t read = seen.size() == 1 ? 1 : seen.size() - passedOver;
  return Times(read, Times(first.width, first.height)) <= pixels && held >= pixels && leastStored <= in.Size();
}
