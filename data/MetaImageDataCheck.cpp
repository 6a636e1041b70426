#include "data/MetaImageDataCheck.h"

#include "data/DataFileFolder.h"
#include "data/Diagnostics.h"
#include "data/ReadableFile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <strings.h>
#include <vector>

#include <metaImage.h>
#include <zlib.h>

namespace {

// The longest MetaImage header read: far beyond any real one, and with it the longest list
// of data files.
constexpr uint64_t kLongestHeader = 1 << 20;

// The text of the header file that follows its "ElementDataFile" line, which ends every
// MetaImage header (the voxels, or the names of a list of data files, come next), and the
// offset where it begins; offset 0 when the line is not found.
struct AfterHeader {
  uint64_t offset = 0;
  std::string text;
};

AfterHeader TextAfterHeader(const std::string& headerPath)
{
  std::string head;
  if (!readable::ReadHead(headerPath, kLongestHeader, head))
    return {};
  const size_t key = head.find("ElementDataFile");
  const size_t end = key == std::string::npos ? key : head.find('\n', key);
  if (end == std::string::npos)
    return {};
  return {end + 1, head.substr(end + 1)};
}

bool StoredBytesFit(const readable::ReadableFile& file, uint64_t offset, uint64_t bytes)
{
  return file.size >= offset && file.size - offset >= bytes;
}

// Inflates the stream from offset on without keeping its output, and tells whether it
// yields the given number of bytes.
bool CompressedBytesFit(const readable::ReadableFile& file, uint64_t offset, uint64_t bytes)
{
  if (offset > file.size)
    return false;
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 32) != Z_OK)  // zlib or gzip framing
    return false;
  std::vector<unsigned char> input(1 << 16), output(1 << 16);
  uint64_t produced = 0;
  uint64_t at = offset;
  int status = Z_OK;
  while (status == Z_OK && produced < bytes) {
    if (stream.avail_in == 0) {
      const uint64_t chunk = std::min<uint64_t>(input.size(), file.size - at);
      if (chunk == 0 || !readable::ReadAt(file.descriptor, input.data(), chunk, at))
        break;
      at += chunk;
      stream.next_in = input.data();
      stream.avail_in = static_cast<uInt>(chunk);
    }
    stream.next_out = output.data();
    stream.avail_out = static_cast<uInt>(output.size());
    status = inflate(&stream, Z_NO_FLUSH);
    produced += output.size() - stream.avail_out;
  }
  inflateEnd(&stream);
  return produced >= bytes;
}

// Whether one data file holds the given bytes from offset on, stored or compressed.
bool DataFileFits(const std::filesystem::path& path, uint64_t offset, uint64_t bytes, bool compressed)
{
  const readable::ReadableFile file = readable::Open(path.string());
  if (!file.IsOpen()) {
    readable::ReportRefusal(path.string(), file);
    return false;
  }
  if (compressed ? CompressedBytesFit(file, offset, bytes) : StoredBytesFit(file, offset, bytes))
    return true;
  diag::ReportFileFailure(path.string(), "holds less than its header needs");
  return false;
}

// The same for a file the header names, which must lie in the header's folder.
bool NamedFileFits(const std::string& headerPath, const std::string& name, uint64_t bytes, bool compressed,
                   uint64_t offset = 0)
{
  const std::filesystem::path path = MetaImageDataFile(headerPath, name);
  return DataFileInHeaderFolder(headerPath, path) && DataFileFits(path, offset, bytes, compressed);
}

// The voxels are spread over files, each holding one slab of the last axes' sizes, so many
// files that the slabs make up the volume.
struct FileSpread {
  uint64_t files = 0;
  uint64_t bytesPerFile = 0;
};

// dimensionsPerFile: how many of the first axes one file covers.
FileSpread SpreadOver(const MetaImage& meta, uint64_t voxelBytes, int dimensionsPerFile)
{
  uint64_t files = 1;
  for (int axis = dimensionsPerFile; axis < meta.NDims(); ++axis)
    files *= uint64_t(std::max(meta.DimSize(axis), 0));
  if (files == 0 || voxelBytes % files != 0)
    return {};
  return {files, voxelBytes / files};
}

std::vector<std::string> Words(const std::string& text)
{
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;)
    words.push_back(word);
  return words;
}

// "LIST" or "LIST 2D": the names of the data files follow the header, one per line.
bool ListedFilesFit(const MetaImage& meta, const std::string& headerPath, uint64_t voxelBytes)
{
  const std::vector<std::string> words = Words(meta.ElementDataFileName());
  int perFile = meta.NDims() - 1;
  if (words.size() > 1 && !words[1].empty() && std::isdigit(static_cast<unsigned char>(words[1][0])))
    perFile = std::atoi(words[1].c_str());
  if (perFile < 1 || perFile > meta.NDims())
    return false;
  const FileSpread spread = SpreadOver(meta, voxelBytes, perFile);
  std::istringstream names(TextAfterHeader(headerPath).text);
  uint64_t found = 0;
  for (std::string name; found < spread.files && std::getline(names, name);) {
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
      name.pop_back();
    // The toolkit takes every line as a name: a blank one is a file it cannot open, after
    // which it reads from a stream that is not there.
    if (name.empty())
      return false;
    if (!NamedFileFits(headerPath, name, spread.bytesPerFile, meta.CompressedData()))
      return false;
    ++found;
  }
  return spread.files > 0 && found == spread.files;
}

// The one number conversion a file-name pattern may hold: "%d" or "%i" with an optional
// zero flag and width, such as "%03d". The name is built here, never by a format string.
struct NamePattern {
  std::string before;
  std::string after;
  bool zeroPadded = false;
  int width = 0;

  static bool Parse(const std::string& text, NamePattern& out)
  {
    const size_t percent = text.find('%');
    if (percent == std::string::npos || text.find('%', percent + 1) != std::string::npos)
      return false;
    size_t at = percent + 1;
    out.zeroPadded = at < text.size() && text[at] == '0';
    out.width = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && out.width < 64; ++at)
      out.width = out.width * 10 + (text[at] - '0');
    if (at >= text.size() || (text[at] != 'd' && text[at] != 'i'))
      return false;
    out.before = text.substr(0, percent);
    out.after = text.substr(at + 1);
    return true;
  }

  std::string Name(long long number) const
  {
    std::string digits = std::to_string(number);
    if (digits.size() < size_t(width))
      digits.insert(0, size_t(width) - digits.size(), zeroPadded ? '0' : ' ');
    return before + digits + after;
  }
};

// "name%03d.raw first last step": one file per slice of the last axis, numbered from first
// to last in steps of step; the numbers must name exactly the slices. All four words are
// needed: the toolkit divides by a step it was not given.
bool PatternFilesFit(const MetaImage& meta, const std::string& headerPath, uint64_t voxelBytes)
{
  const std::vector<std::string> words = Words(meta.ElementDataFileName());
  NamePattern pattern;
  if (words.size() != 4 || !NamePattern::Parse(words[0], pattern))
    return false;
  const FileSpread spread = SpreadOver(meta, voxelBytes, meta.NDims() - 1);
  const long long first = std::atoll(words[1].c_str());
  const long long last = std::atoll(words[2].c_str());
  const long long step = std::atoll(words[3].c_str());
  if (spread.files == 0 || step <= 0 || last < first ||
      (last - first) / step + 1 != static_cast<long long>(spread.files))
    return false;
  for (long long number = first; number <= last; number += step)
    if (!NamedFileFits(headerPath, pattern.Name(number), spread.bytesPerFile, meta.CompressedData()))
      return false;
  return true;
}

}  // namespace

std::filesystem::path MetaImageDataFile(const std::string& headerPath, const std::string& name)
{
  const std::filesystem::path path = name;
  return path.is_relative() ? std::filesystem::path(headerPath).parent_path() / path : path;
}

bool MetaImageDataPresent(itk::MetaImageIO& io, const std::string& headerPath)
{
  const MetaImage* meta = io.GetMetaImagePointer();
  const std::string dataName = meta->ElementDataFileName();
  const uint64_t voxelBytes = io.GetImageSizeInBytes();
  if (dataName.rfind("LIST", 0) == 0)
    return ListedFilesFit(*meta, headerPath, voxelBytes);
  if (dataName.find('%') != std::string::npos)
    return PatternFilesFit(*meta, headerPath, voxelBytes);

  // A header size of -1 places the voxels at the very end of the file: nothing is skipped.
  const uint64_t offset = meta->HeaderSize() > 0 ? static_cast<uint64_t>(meta->HeaderSize()) : 0;
  if (::strcasecmp(dataName.c_str(), "LOCAL") == 0) {
    const uint64_t headerEnd = TextAfterHeader(headerPath).offset;
    return headerEnd != 0 && DataFileFits(headerPath, offset + headerEnd, voxelBytes, meta->CompressedData());
  }
  return NamedFileFits(headerPath, dataName, voxelBytes, meta->CompressedData(), offset);
}
