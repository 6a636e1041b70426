#pragma once
// The header block every result record carries (which program produced the result, when
// and by whom it was last changed, whether it is approved, which scan it belongs to), and
// the reading and writing steps that every result record shares; each record adds only
// its body.
#include <cstdint>
#include <functional>
#include <string>

#include <tinyxml2.h>

#include "data/LOCTVolume.h"
#include "data/XmlWriter.h"

class BScanDepthRows;

struct LResultHeader {
  std::string version;
  std::string executableName;
  std::string executableVersion;
  std::string executableDate;
  std::string configuration;
  std::string authors;
  std::string institute;
  std::string comment;
  std::string modificationDate;   // as read; a writer stamps the clock's date instead
  std::string modificationTime;
  std::string modifier;
  bool approval = false;
  ScanFormat format = FormatNA;
  int32_t sizeX = 0;
  int32_t sizeY = 0;
  int32_t sizeZ = 0;
  float voxelSizeX = 0.0f;        // millimetres
  float voxelSizeY = 0.0f;
  float voxelSizeZ = 0.0f;
  Laterality laterality = LateralityNA;
  CenterType centerType = CenterNA;
};

// What a result file may make a reader allocate: points of a surface grid (all surfaces
// together), and markers, splines or control points (all splines together). The counts in
// a file are checked against these before anything is allocated.
constexpr uint64_t kMaxResultPoints = uint64_t(1) << 26;
constexpr uint64_t kMaxResultEntries = uint64_t(1) << 20;

// Prints "Error: Too many elements in <rootName> file\n" and returns kXmlLoadFailed: the
// answer of a body reader whose counts exceed the limits.
int ResultTooLarge(const char* rootName);

// A header as a reader starts it: every string "NA", every number 0.
LResultHeader UnknownResultHeader();

// Reads the body below the root into the record. It returns kXmlOk, or kXmlLoadFailed
// (after its own "Error: " line) while the record is still untouched.
using ResultBodyReader = std::function<int(const tinyxml2::XMLElement& root)>;
// Writes the body below the root (the root is open).
using ResultBodyWriter = std::function<void(XmlWriter& out)>;

// The shared reading steps: load the file (-1, header untouched), find the root of the
// kind (-2), check the version (-3), read the header block, then the body. After -2 and
// -3 the header is reset ("NA" and 0; after -3 it keeps the file's version text); after
// 0 it holds the file's header; after a body failure it is untouched.
// With rows, the file's plain B-scans are read into them instead of into the tree.
// A file larger than `largest` bytes is refused (kXmlLoadFailed) before it is read.
[[nodiscard]] int ReadResultXml(const std::string& path, const char* rootName,
                                LResultHeader& header, const ResultBodyReader& readBody,
                                uint64_t largest, BScanDepthRows* rows = nullptr);

// The shared writing steps: declaration, root, header block with the clock's date and time
// in place of the stored ones, the body, streamed into a safe write. 0, or -1 when the
// file cannot be written (the old file is kept).
[[nodiscard]] int WriteResultXml(const std::string& path, const char* rootName,
                                 const LResultHeader& header, const ResultBodyWriter& writeBody);
