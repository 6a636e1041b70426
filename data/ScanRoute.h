#pragma once
// Which reader takes a scan file: decided by the file's extension (and, for ".oct", by the
// file's size) alone, so the choice can be checked without any file.
#include "data/LOCTVolume.h"

#include <cstdint>
#include <string>

enum class ScanRoute {
  Unsupported,
  ZeissRaw,
  TopconFds,
  HeidelbergVol,
  OptovueRaw,
  BioptigenOct,
  CanonTomograms,
  DicomFlavour1,  // ".dicom" exactly
  DicomFlavour2,  // ".dicom" in any other case
  DicomFlavour3,  // ".dcm"
  MetaImage,
  Analyze,
  NIfTI,
  TIFF,
};

// The extension runs from the path's last "." to its end, even when that "." lies in a
// folder name; a path without "." is unsupported.
ScanRoute ClassifyScanPath(const std::string& path, uint64_t fileSize);

// Whether a toolkit (ITK, DCMTK) decodes the files of the route, rather than a reader of ours.
bool DecodedByToolkit(ScanRoute route);

// The format of a route whose files the image toolkit reads as volumes (MetaImage, Analyze,
// NIfTI, TIFF); FormatNA for every other route.
ScanFormat ToolkitVolumeFormat(ScanRoute route);
