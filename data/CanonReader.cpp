// Canon scans: an XML parameter file ("*.ScanParameters.dat") and the image file beside it
// ("*.Tomograms.dat"), each stored plain or gzip-compressed.
#include "data/BinaryReader.h"
#include "data/DataFileFolder.h"
#include "data/Diagnostics.h"
#include "data/LOCTVolume.h"
#include "data/NumberText.h"
#include "data/ReadableFile.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <memory>
#include <string>
#include <tinyxml2.h>
#include <vector>
#include <zlib.h>

namespace {

const std::string kParametersEnding = ".ScanParameters.dat";
const std::string kTomogramsEnding = ".Tomograms.dat";
// A parameter file is a few kilobytes; a larger one is refused before it exhausts memory.
constexpr uint64_t kMaxParametersBytes = uint64_t(16) << 20;
constexpr uint64_t kTomogramsHeaderBytes = 40;
constexpr uint64_t kBlockTrailerBytes = 152;

// A file read through zlib, which decompresses gzip data and passes plain files unchanged.
class GzipInput {
public:
  // False after the refusal was reported (readable::OpenGzip).
  bool Open(const std::string& path)
  {
    m_File = readable::OpenGzip(path);
    return m_File != nullptr;
  }

  // Appends up to limit bytes of the content to out; false on a read error (the bytes read
  // before it are kept). A gzip stream cut short ends the content without an error.
  bool ReadUpTo(uint64_t limit, std::vector<unsigned char>& out)
  {
    constexpr uint64_t kChunk = uint64_t(1) << 20;
    while (out.size() < limit) {
      const size_t before = out.size();
      const uint64_t wanted = std::min(kChunk, limit - before);
      out.resize(before + wanted);
      const int got = gzread(m_File.get(), out.data() + before, static_cast<unsigned>(wanted));
      out.resize(before + static_cast<size_t>(std::max(got, 0)));
      if (got < 0)
        return false;
      if (got == 0)
        break;
    }
    return true;
  }

  // zlib's reason for the last failure, without the "<fd:n>: " it puts in front.
  std::string Reason() const
  {
    int code = Z_OK;
    std::string reason = gzerror(m_File.get(), &code);
    const size_t separator = reason.find(": ");
    if (reason.compare(0, 4, "<fd:") == 0 && separator != std::string::npos)
      reason.erase(0, separator + 2);
    return reason;
  }

private:
  readable::GzipStream m_File;
};

struct CanonParameters {
  int32_t sizeX = 0;
  int32_t sizeY = 0;
  int32_t sizeZ = 0;
  float spacingX = 0.0f;
  float spacingY = 0.0f;
  float spacingZ = 0.0f;
  Laterality laterality = LateralityNA;
  CenterType centerType = CenterNA;
  bool vertical = false;
};

bool EndsWith(const std::string& text, const std::string& tail)
{
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The text of a child element; empty when the element or its text is missing.
std::string ChildText(const tinyxml2::XMLElement& parent, const char* name)
{
  const tinyxml2::XMLElement* child = parent.FirstChildElement(name);
  const char* text = child ? child->GetText() : nullptr;
  return text ? text : "";
}

int ChildInteger(const tinyxml2::XMLElement& parent, const char* name)
{
  return numtext::ParseInt(ChildText(parent, name));
}

int AttributeInteger(const tinyxml2::XMLElement* element, const char* name)
{
  const char* text = element ? element->Attribute(name) : nullptr;
  return text ? numtext::ParseInt(text) : 0;
}

// A length in micrometres over a count of samples, as millimetres per sample.
float Spacing(int micrometres, int32_t count)
{
  return count != 0 ? (float(micrometres) / 1000.0f) / float(count) : 0.0f;
}

void TakeParameters(const tinyxml2::XMLElement& params, CanonParameters& out)
{
  out.sizeX = ChildInteger(params, "BScanWidth");
  out.sizeY = ChildInteger(params, "BScanHeight");
  out.sizeZ = ChildInteger(params, "BScanCount");
  const tinyxml2::XMLElement* raster = params.FirstChildElement("Raster1");
  out.spacingX = Spacing(AttributeInteger(raster, "ScanningWidth"), out.sizeX);
  out.spacingY = Spacing(ChildInteger(params, "BScanHeightUm"), out.sizeY);
  out.spacingZ = Spacing(AttributeInteger(raster, "ScanningHeight"), out.sizeZ);

  const std::string eye = ChildText(params, "EyeKind");
  out.laterality = eye == "Right" ? LateralityOD : eye == "Left" ? LateralityOS : LateralityNA;
  const std::string fixation = ChildText(params, "FixationPosition");
  out.centerType = fixation == "Macula" ? CenterMacula
                   : fixation == "Disc" ? CenterONH
                                        : CenterNA;
  out.vertical = ChildText(params, "ScanningDirection") == "Vertical";
}

// Reads the parameter file: its content after the first byte is an XML document. The
// document is parsed in memory, so nothing is ever written beside the user's data.
// 0 (also for a document without "Params", which leaves every field 0), -1 or -5.
int ReadCanonParameters(const std::string& path, CanonParameters& out)
{
  if (!EndsWith(path, kParametersEnding)) {
    diag::Error("No .ScanParameters.dat file");
    return kScanCanonName;
  }
  GzipInput in;
  if (!in.Open(path))
    return kScanOpenFailed;
  std::vector<unsigned char> content;
  if (!in.ReadUpTo(kMaxParametersBytes + 1, content)) {
    diag::ReportFileFailure(path, in.Reason());
    return kScanOpenFailed;
  }
  if (content.size() > kMaxParametersBytes) {
    diag::ReportOpenFailure(path, EFBIG);
    return kScanOpenFailed;
  }
  tinyxml2::XMLDocument document;
  const size_t skipped = std::min<size_t>(content.size(), 1);
  if (document.Parse(reinterpret_cast<const char*>(content.data()) + skipped,
                     content.size() - skipped) != tinyxml2::XML_SUCCESS) {
    diag::ReportFileFailure(path, document.ErrorStr());
    return kScanOpenFailed;
  }
  out = CanonParameters();
  if (const tinyxml2::XMLElement* params = document.FirstChildElement("Params"))
    TakeParameters(*params, out);
  return kScanOk;
}

// Where byte (x, y) of the file's B-scan m goes. A vertical scan's B-scans run across the
// volume: the volume's x is the file's B-scan and its z the file's x.
class BlockPlacement {
public:
  BlockPlacement(const CanonParameters& file, unsigned short* voxels)
    : m_Width(uint64_t(file.sizeX)), m_Height(uint64_t(file.sizeY)),
      m_Count(uint64_t(file.sizeZ)), m_Vertical(file.vertical), m_Voxels(voxels) {}

  // Stores the first bytes of B-scan m (all of it, or what a short file holds).
  void Store(uint64_t m, const unsigned char* block, uint64_t bytes) const
  {
    if (!m_Vertical) {
      std::copy(block, block + bytes, m_Voxels + m * m_Width * m_Height);
      return;
    }
    for (uint64_t y = 0, i = 0; i < bytes; ++y)
      for (uint64_t x = 0; x < m_Width && i < bytes; ++x, ++i)
        m_Voxels[m + m_Count * (y + m_Height * x)] = block[i];
  }

private:
  uint64_t m_Width;
  uint64_t m_Height;
  uint64_t m_Count;
  bool m_Vertical;
  unsigned short* m_Voxels;  // borrowed: the volume's buffer
};

}  // namespace

// The image file holds a 40-byte header, then blocks of one B-scan's size, each followed by
// a 152-byte trailer; block 0 is not a B-scan of the volume, block k is B-scan k - 1.
int LOCTVolume::ReadCanonTomograms(const std::string& path)
{
  CanonParameters file;
  if (const int result = ReadCanonParameters(path, file); result != kScanOk)
    return result;
  if (binary::BoundedProduct({file.sizeX, file.sizeY, file.sizeZ}, kMaxScanVoxels) == 0)
    return UnsupportedScan();

  const std::string tomogramsPath =
      path.substr(0, path.size() - kParametersEnding.size()) + kTomogramsEnding;
  // The images are found by the parameters' name, so they are read only from its folder.
  GzipInput in;
  if (!DataFileInHeaderFolder(path, tomogramsPath) || !in.Open(tomogramsPath))
    return kScanOpenFailed;
  // Only what the volume needs is read: further blocks are ignored. The content is taken
  // into memory first, so the volume is allocated only for data that is really there.
  const uint64_t blockBytes = uint64_t(file.sizeX) * uint64_t(file.sizeY);
  const uint64_t stride = blockBytes + kBlockTrailerBytes;
  const uint64_t firstScanAt = kTomogramsHeaderBytes + stride;
  std::vector<unsigned char> content;
  try {
    if (!in.ReadUpTo(firstScanAt + uint64_t(file.sizeZ) * stride, content)) {
      diag::ReportFileFailure(tomogramsPath, in.Reason());
      return kScanOpenFailed;
    }
  } catch (const std::exception&) {  // out of memory
    return kScanNoMemory;
  }
  // A file cut short keeps the B-scans it holds, but one holding less than half of what its
  // parameters announce is a lying header: its volume would be memory for nothing.
  const uint64_t heldBytes = content.size() > firstScanAt ? content.size() - firstScanAt : 0;
  if (heldBytes == 0 || heldBytes < uint64_t(file.sizeZ) * stride / 2)
    return UnsupportedScan();

  const int size[3] = {file.vertical ? file.sizeZ : file.sizeX, file.sizeY,
                       file.vertical ? file.sizeX : file.sizeZ};
  const float spacing[3] = {file.vertical ? file.spacingZ : file.spacingX, file.spacingY,
                            file.vertical ? file.spacingX : file.spacingZ};
  if (CreateVolume(size, FormatCanon, spacing, 1, file.laterality, file.centerType) != 0) {
    loaded = false;  // out of memory
    return kScanNoMemory;
  }
  // B-scans the file does not hold, and the missing end of a short last one, stay zero.
  image->FillBuffer(0);
  const BlockPlacement placement(file, Voxels());
  for (uint64_t m = 0; m < uint64_t(file.sizeZ); ++m) {
    const uint64_t at = firstScanAt + m * stride;
    if (at >= content.size())
      break;
    placement.Store(m, content.data() + at, std::min(blockBytes, content.size() - at));
  }
  return kScanOk;
}
