#include "data/ScanRoute.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace {

// The Optovue raw files are recognised by these exact sizes; every other ".oct" file is
// a Bioptigen file.
constexpr uint64_t kOptovueFileSizes[] = {139207680u, 141926400u, 167049216u,
                                          317521920u, 236584960u, 314572800u};

std::string Lower(std::string text)
{
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

ScanRoute ClassifyScanPath(const std::string& path, uint64_t fileSize)
{
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos)
    return ScanRoute::Unsupported;
  const std::string extension = path.substr(dot);
  const std::string ext = Lower(extension);
  const std::string lowerPath = Lower(path);

  if (ext == ".img" || ext == ".raw")
    return ScanRoute::ZeissRaw;
  if (ext == ".fds")
    return ScanRoute::TopconFds;
  if (ext == ".vol")
    return ScanRoute::HeidelbergVol;
  if (ext == ".oct")
    return std::find(std::begin(kOptovueFileSizes), std::end(kOptovueFileSizes), fileSize) !=
                   std::end(kOptovueFileSizes)
               ? ScanRoute::OptovueRaw
               : ScanRoute::BioptigenOct;
  if (EndsWith(lowerPath, ".scanparameters.dat"))
    return ScanRoute::CanonTomograms;
  if (extension == ".dicom")
    return ScanRoute::DicomFlavour1;
  if (ext == ".dicom")
    return ScanRoute::DicomFlavour2;
  if (ext == ".dcm")
    return ScanRoute::DicomFlavour3;
  if (ext == ".mhd" || ext == ".mha")
    return ScanRoute::MetaImage;
  if (ext == ".hdr")
    return ScanRoute::Analyze;
  if (ext == ".nii" || EndsWith(lowerPath, ".nii.gz"))
    return ScanRoute::NIfTI;
  if (ext == ".tif" || ext == ".tiff")
    return ScanRoute::TIFF;
  return ScanRoute::Unsupported;
}

bool DecodedByToolkit(ScanRoute route)
{
  switch (route) {
  case ScanRoute::DicomFlavour1:
  case ScanRoute::DicomFlavour2:
  case ScanRoute::DicomFlavour3:
  case ScanRoute::MetaImage:
  case ScanRoute::Analyze:
  case ScanRoute::NIfTI:
  case ScanRoute::TIFF:
    return true;
  default:
    return false;
  }
}

ScanFormat ToolkitVolumeFormat(ScanRoute route)
{
  switch (route) {
  case ScanRoute::MetaImage: return FormatMetaImage;
  case ScanRoute::Analyze: return FormatAnalyze;
  case ScanRoute::NIfTI: return FormatNIfTI;
  case ScanRoute::TIFF: return FormatTIFF;
  default: return FormatNA;
  }
}
