#include "data/MetaImageExtent.h"

#include "data/DataFileFolder.h"
#include "data/MetaImageDataCheck.h"
#include "data/ReadableFile.h"

#include <sstream>
#include <strings.h>
#include <metaImage.h>

namespace {

using decoder::StoredType;

// The longest header searched for the line that ends it.
constexpr size_t kLongestHeader = size_t(1) << 20;

// The stored type of the header's components; None for a type the volume reader does not
// take.
StoredType StoredTypeOf(itk::IOComponentEnum component, size_t size)
{
  using Component = itk::IOComponentEnum;
  switch (component) {
  case Component::UCHAR: return StoredType::UInt8;
  case Component::CHAR: return StoredType::Int8;
  case Component::USHORT: return StoredType::UInt16;
  case Component::SHORT: return StoredType::Int16;
  case Component::UINT:
  case Component::ULONG:
  case Component::ULONGLONG: return size == 4 ? StoredType::UInt32 : size == 8 ? StoredType::UInt64 : StoredType::None;
  case Component::INT:
  case Component::LONG:
  case Component::LONGLONG: return size == 4 ? StoredType::Int32 : size == 8 ? StoredType::Int64 : StoredType::None;
  case Component::FLOAT: return size == 4 ? StoredType::Float32 : StoredType::None;
  case Component::DOUBLE: return size == 8 ? StoredType::Float64 : StoredType::None;
  default: return StoredType::None;
  }
}

std::string Trimmed(const std::string& text)
{
  const char* blanks = " \t\r";
  const size_t first = text.find_first_not_of(blanks);
  return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(blanks) + 1 - first);
}

// Where the data of a "LOCAL" header begin: just after the line that sets ElementDataFile,
// the last line of every header. 0 when no such line is found.
uint64_t LocalDataOffset(const std::string& headerPath)
{
  std::string head;
  if (!readable::ReadHead(headerPath, kLongestHeader, head))
    return 0;
  std::istringstream in(head);
  uint64_t offset = 0;
  for (std::string line; offset < kLongestHeader && std::getline(in, line);) {
    if (in.eof())
      return 0;  // no line end: no data follow
    offset += line.size() + 1;
    const size_t equals = line.find('=');
    if (equals != std::string::npos && Trimmed(line.substr(0, equals)) == "ElementDataFile")
      return offset;
  }
  return 0;
}

// The spellings of "LOCAL" the toolkit takes for data in the header file itself.
bool NamesHeaderItself(const std::string& name)
{
  return name == "LOCAL" || name == "Local" || name == "local";
}

// Names the toolkit reads as something other than one data file.
bool NamesOtherLayout(const std::string& name)
{
  return name.empty() || ::strcasecmp(name.c_str(), "local") == 0 || name.rfind("LIST", 0) == 0 ||
         name.find('%') != std::string::npos || Trimmed(name) != name;
}

}  // namespace

bool FindMetaImageExtent(itk::MetaImageIO& io, const std::string& headerPath, decoder::VoxelExtent& extent,
                         std::string& dataPath)
{
  const MetaImage& meta = *io.GetMetaImagePointer();
  const StoredType type = StoredTypeOf(io.GetComponentType(), io.GetComponentSize());
  if (io.GetNumberOfDimensions() != 3 || io.GetNumberOfComponents() != 1 || meta.CompressedData() ||
      io.GetFileType() != itk::IOFileEnum::Binary || type == StoredType::None)
    return false;
  decoder::VoxelExtent found;
  found.type = type;
  found.count = io.GetImageSizeInPixels();
  // The toolkit's own byte order field stays unset for MetaImage: MetaIO swaps by its own.
  found.bigEndian = meta.BinaryDataByteOrderMSB();
  const uint64_t bytes = found.count * decoder::StoredSize(type);
  const std::string name = meta.ElementDataFileName();
  std::string path;
  if (NamesHeaderItself(name)) {
    // Data that do not fill the rest of the header file exactly are left to the toolkit,
    // which finds their start by its own reading of the header.
    found.offset = LocalDataOffset(headerPath);
    path = headerPath;
    if (meta.HeaderSize() != 0 || found.offset == 0 || !decoder::IdentifyFile(path, found.file) ||
        found.file.size != found.offset + bytes)
      return false;
  } else {
    // A header size of -1 places the data at the end of the file, which is for the toolkit.
    if (NamesOtherLayout(name) || meta.HeaderSize() < 0)
      return false;
    found.offset = uint64_t(meta.HeaderSize());
    path = MetaImageDataFile(headerPath, name).string();
    if (!DataFileInHeaderFolder(headerPath, path) || !decoder::IdentifyFile(path, found.file) || found.file.size < found.offset ||
        found.file.size - found.offset < bytes)
      return false;
  }
  extent = found;
  dataPath = path;
  return true;
}
