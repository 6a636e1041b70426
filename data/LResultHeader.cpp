#include "data/LResultHeader.h"

#include "data/BScanDepthRows.h"
#include "data/CodedWords.h"
#include "data/NumberText.h"
#include "data/ResultClock.h"
#include "data/XmlFile.h"
#include "data/XmlReadResult.h"

#include "data/Diagnostics.h"

#include <new>

namespace {

using tinyxml2::XMLElement;

const CodedWord kFormats[] = {
  {FormatNA, "NA", {"na", nullptr}},
  {FormatZeiss, "Carl Zeiss Meditec, Inc.", {"carl zeiss meditec, inc.", "cirrus"}},
  {FormatTopcon, "Topcon", {"topcon", nullptr}},
  {FormatHeidelberg, "Heidelberg Engineering", {"heidelberg engineering", "spectralis"}},
  {FormatOptovue, "Optovue", {"optovue", nullptr}},
  {FormatNidek, "Nidek", {"nidek", nullptr}},
  {FormatBioptigen, "Bioptigen", {"bioptigen", nullptr}},
  {FormatCanon, "Canon", {"canon", nullptr}},
  {FormatOptos, "Optos", {"optos", nullptr}},
  {FormatMetaImage, "MetaImage", {"metaimage", nullptr}},
  {FormatAnalyze, "Analyze", {"analyze", nullptr}},
  {FormatNIfTI, "NIFTI", {"nifti", nullptr}},
  {FormatTIFF, "TIFF", {"tiff", nullptr}},
};

const CodedWord kLateralities[] = {
  {LateralityNA, "NA", {"na", nullptr}},
  {LateralityOD, "OD", {"od", nullptr}},
  {LateralityOS, "OS", {"os", nullptr}},
};

const CodedWord kCenterTypes[] = {
  {CenterNA, "NA", {"na", nullptr}},
  {CenterMacula, "macula", {"macula", nullptr}},
  {CenterONH, "ONH", {"onh", nullptr}},
};

void ReadHeaderBlock(const XMLElement& root, LResultHeader& h)
{
  using namespace xmlfile;
  const XMLElement* executable = Child(&root, "executable");
  h.executableName = ChildString(executable, "name");
  h.executableVersion = ChildString(executable, "version");
  h.executableDate = ChildString(executable, "date");
  h.configuration = ChildString(executable, "configuration");
  h.authors = ChildString(executable, "authors");
  h.institute = ChildString(executable, "institute");
  h.comment = ChildString(executable, "comment");

  const XMLElement* modification = Child(&root, "modification");
  h.modificationDate = ChildString(modification, "date");
  h.modificationTime = ChildString(modification, "time");
  h.modifier = ChildString(modification, "modifier");
  h.approval = ChildLowerCase(modification, "approval") == "y";

  const XMLElement* scan = Child(&root, "scan_characteristics");
  h.format = static_cast<ScanFormat>(CodeOfWord(kFormats, ChildLowerCase(scan, "manufacturer")));
  const XMLElement* size = Child(scan, "size");
  h.sizeX = ChildInt(size, "x", 0);
  h.sizeY = ChildInt(size, "y", 0);
  h.sizeZ = ChildInt(size, "z", 0);
  const XMLElement* voxel = Child(scan, "voxel_size");
  h.voxelSizeX = ChildFloat(voxel, "x", 0.0f);
  h.voxelSizeY = ChildFloat(voxel, "y", 0.0f);
  h.voxelSizeZ = ChildFloat(voxel, "z", 0.0f);
  const char* unit = ChildText(voxel, "unit");
  if (unit && std::string(unit) == "um") {   // as written: "UM" stays millimetres
    h.voxelSizeX /= 1000.0f;
    h.voxelSizeY /= 1000.0f;
    h.voxelSizeZ /= 1000.0f;
  }
  h.laterality = static_cast<Laterality>(CodeOfWord(kLateralities, ChildLowerCase(scan, "laterality")));
  h.centerType = static_cast<CenterType>(CodeOfWord(kCenterTypes, ChildLowerCase(scan, "center_type")));
}

void WriteHeaderBlock(XmlWriter& out, const LResultHeader& h, const ClockReading& now)
{
  out.Text("version", h.version);

  out.Open("executable");
  out.Text("name", h.executableName);
  out.Text("version", h.executableVersion);
  out.Text("date", h.executableDate);
  out.Text("configuration", h.configuration);
  out.Text("authors", h.authors);
  out.Text("institute", h.institute);
  out.Text("comment", h.comment);
  out.Close();

  out.Open("modification");
  out.Text("date", numtext::Format("%02d/%02d/%04d", now.month, now.day, now.year));
  out.Text("time", numtext::Format("%02d:%02d:%02d", now.hour, now.minute, now.second));
  out.Text("modifier", h.modifier);
  out.Text("approval", h.approval ? "Y" : "N");
  out.Close();

  out.Open("scan_characteristics");
  out.Text("manufacturer", WordOfCode(kFormats, h.format));
  out.Open("size");
  out.Text("unit", "voxel");
  out.Int("x", h.sizeX);
  out.Int("y", h.sizeY);
  out.Int("z", h.sizeZ);
  out.Close();
  out.Open("voxel_size");
  out.Text("unit", "mm");
  out.Float("x", h.voxelSizeX);
  out.Float("y", h.voxelSizeY);
  out.Float("z", h.voxelSizeZ);
  out.Close();
  out.Text("laterality", WordOfCode(kLateralities, h.laterality));
  out.Text("center_type", WordOfCode(kCenterTypes, h.centerType));
  out.Close();
}

}  // namespace

int ResultTooLarge(const char* rootName)
{
  diag::Error(std::string("Too many elements in ") + rootName + " file");
  return kXmlLoadFailed;
}

LResultHeader UnknownResultHeader()
{
  LResultHeader h;
  for (std::string* s : {&h.version, &h.executableName, &h.executableVersion, &h.executableDate,
                         &h.configuration, &h.authors, &h.institute, &h.comment,
                         &h.modificationDate, &h.modificationTime, &h.modifier})
    *s = "NA";
  return h;
}

int ReadResultXml(const std::string& path, const char* rootName, LResultHeader& header,
                  const ResultBodyReader& readBody, uint64_t largest, BScanDepthRows* rows)
{
  tinyxml2::XMLDocument document;
  if (const int loaded =
          rows ? LoadTakingDepthRows(document, path, *rows, largest) : xmlfile::Load(document, path, largest);
      loaded != 0)
    return loaded == kXmlNoMemory ? kXmlNoMemory : kXmlLoadFailed;
  LResultHeader read = UnknownResultHeader();
  const XMLElement* root = xmlfile::FindRoot(document, rootName);
  if (!root) {
    header = read;
    return kXmlWrongRoot;
  }
  if (!xmlfile::CheckVersion(*root, read.version)) {
    header = read;
    return kXmlOldVersion;
  }
  ReadHeaderBlock(*root, read);
  int body = kXmlLoadFailed;
  try {
    body = readBody(*root);
  } catch (const std::bad_alloc&) {
    diag::Error(std::string("Out of memory reading ") + path);
    body = kXmlNoMemory;
  }
  if (body == kXmlOk)
    header = std::move(read);
  return body;
}

int WriteResultXml(const std::string& path, const char* rootName, const LResultHeader& header,
                   const ResultBodyWriter& writeBody)
{
  try {
    const ClockReading now = ReadResultClock();
    return WriteXmlFile(path, [&](XmlWriter& out) {
      out.Declaration();
      out.Open(rootName);
      WriteHeaderBlock(out, header, now);
      writeBody(out);
      out.Close();
    });
  } catch (const std::bad_alloc&) {
    diag::Error(std::string("Out of memory writing ") + path);
    return -1;
  }
}
