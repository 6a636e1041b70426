// Multi-frame DICOM files holding one OCT volume, one B-scan per frame. DCMTK parses and
// decompresses; this file decides which attributes become which fields of the volume and
// in which order the frames become slices.
#include "data/Diagnostics.h"
#include "data/LOCTVolume.h"
#include "data/NumberText.h"
#include "data/ReadableFile.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmjpeg/djdecode.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>

namespace {

// How frame i of the pixel data becomes a slice of the volume.
enum class SliceArrangement {
  FileOrder,   // frame i is slice i
  Reversed,    // frame i is slice sizeZ - 1 - i
  Rotated180,  // frame i is slice i turned by 180 degrees in its plane
};

// The devices' names as they appear in Manufacturer; the first one found decides.
constexpr struct {
  const char* name;
  ScanFormat format;
} kMakers[] = {
    {"zeiss", FormatZeiss},         {"cirrus", FormatZeiss},       {"topcon", FormatTopcon},
    {"heidelberg", FormatHeidelberg}, {"optovue", FormatOptovue},  {"nidek", FormatNidek},
    {"bioptigen", FormatBioptigen}, {"canon", FormatCanon},        {"optos", FormatOptos},
};

// Zeiss files of the suite's own flavour say in DerivationDescription how they were stored.
constexpr const char* kRotated = "DECRYPTED\\UNCOMPRESSED\\ROTATED";
constexpr const char* kRotatedFlipped = "DECRYPTED\\UNCOMPRESSED\\ROTATED\\FLIPPED";

constexpr int kFlavourOptos = 1;
constexpr int kFlavourSuite = 2;
constexpr int kFlavourDcm = 3;

// The JPEG decoders are registered only while one file is converted.
class JpegDecoders {
public:
  JpegDecoders() { DJDecoderRegistration::registerCodecs(); }
  ~JpegDecoders() { DJDecoderRegistration::cleanup(); }
  JpegDecoders(const JpegDecoders&) = delete;
  JpegDecoders& operator=(const JpegDecoders&) = delete;
};

int MissingAttribute(const char* names)
{
  diag::Error(std::string("No DICOM header - ") + names);
  return kScanDicomMissing;
}

bool ContainsIgnoringCase(const std::string& text, const char* lowerWord)
{
  const std::string word(lowerWord);
  return std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         }) != text.end();
}

ScanFormat FormatOfMaker(const std::string& manufacturer)
{
  for (const auto& maker : kMakers)
    if (ContainsIgnoringCase(manufacturer, maker.name))
      return maker.format;
  return FormatNA;
}

Laterality LateralityOf(const OFString& text)
{
  if (text == "OD" || text == "R")
    return LateralityOD;
  if (text == "OS" || text == "L")
    return LateralityOS;
  return LateralityNA;
}

float DecimalOf(const OFString& text)
{
  return static_cast<float>(numtext::ParseDouble(text.c_str()));
}

// Reads the two in-plane spacings, either as the attribute's two values or as one value
// "first,second"; the larger one is the spacing along x.
int ReadPixelSpacing(DcmItem& dataset, LOCTVolume& volume)
{
  OFString first;
  if (dataset.findAndGetOFString(DCM_PixelSpacing, first, 0, OFTrue).bad())
    return MissingAttribute("PixelSpacing");
  OFString second;
  const size_t comma = first.find(',');
  if (comma != OFString_npos) {
    second = first.substr(comma + 1);
    first = first.substr(0, comma);
  } else if (dataset.findAndGetOFString(DCM_PixelSpacing, second, 1, OFTrue).bad()) {
    return MissingAttribute("PixelSpacing");
  }
  const float a = DecimalOf(first);
  const float b = DecimalOf(second);
  const bool firstIsX = !(a < b);
  volume.spacingX = firstIsX ? a : b;
  volume.spacingY = firstIsX ? b : a;
  return kScanOk;
}

// The slice distance of the suite's and the generic flavour; sets sliceThicknessUsed when
// only the slice thickness is given.
int ReadSliceDistance(DcmItem& dataset, LOCTVolume& volume, bool& sliceThicknessUsed)
{
  OFString text;
  sliceThicknessUsed = false;
  if (dataset.findAndGetOFString(DCM_SpacingBetweenSlices, text).bad()) {
    if (dataset.findAndGetOFString(DCM_SliceThickness, text, 0, OFTrue).bad())
      return MissingAttribute("SpacingBetweenSlices, SliceThickness");
    sliceThicknessUsed = true;
  }
  // Some writers sign the distance by the direction the slices were taken in; the voxel
  // size is its magnitude.
  volume.spacingZ = std::fabs(DecimalOf(text));
  return kScanOk;
}

int ReadSizes(DcmItem& dataset, LOCTVolume& volume)
{
  Uint16 columns = 0;
  if (dataset.findAndGetUint16(DCM_Columns, columns).bad())
    return MissingAttribute("Columns");
  if (columns == 0)
    return UnsupportedScan();
  Uint16 rows = 0;
  if (dataset.findAndGetUint16(DCM_Rows, rows).bad())
    return MissingAttribute("Rows");
  if (rows == 0)
    return UnsupportedScan();
  Sint32 frames = 0;
  if (dataset.findAndGetSint32(DCM_NumberOfFrames, frames).bad())
    return MissingAttribute("NumberOfFrames");
  if (frames <= 0)
    return UnsupportedScan();
  volume.sizeX = columns;
  volume.sizeY = rows;
  volume.sizeZ = frames;
  return kScanOk;
}

// One grey value of 8 or 16 bits per pixel is all the volume can hold.
int ReadVoxelType(DcmItem& dataset, LOCTVolume& volume)
{
  Uint16 bits = 0;
  if (dataset.findAndGetUint16(DCM_BitsAllocated, bits).bad())
    return MissingAttribute("BitsAllocated");
  Uint16 samples = 1;
  if ((bits != 8 && bits != 16) ||
      (dataset.findAndGetUint16(DCM_SamplesPerPixel, samples).good() && samples > 1))
    return UnsupportedScan();
  volume.bytesPerVoxel = bits / 8;
  return kScanOk;
}

int ReadLaterality(DcmItem& dataset, LOCTVolume& volume)
{
  OFString text;
  if (dataset.findAndGetOFString(DCM_Laterality, text).bad() &&
      dataset.findAndGetOFString(DCM_ImageLaterality, text).bad())
    return MissingAttribute("Laterality, ImageLaterality");
  volume.laterality = LateralityOf(text);
  return kScanOk;
}

int ReadZeissArrangement(DcmItem& dataset, SliceArrangement& arrangement)
{
  OFString text;
  if (dataset.findAndGetOFStringArray(DCM_DerivationDescription, text).bad())
    return MissingAttribute("DerivationDescription");
  if (text == kRotated) {
    arrangement = SliceArrangement::Rotated180;
  } else if (text == kRotatedFlipped) {
    arrangement = SliceArrangement::Reversed;
  } else {
    arrangement = SliceArrangement::FileOrder;
    if (!text.empty())
      diag::Warning(std::string("Unknown DICOM DerivationDescription '") + text.c_str() +
                    "', frames kept in file order");
  }
  return kScanOk;
}

// Reads the header attributes into the volume's fields and works out the slice
// arrangement. Returns 0, -6 for the first missing attribute, or -2 for a geometry or
// voxel type the volume cannot hold.
int ReadDicomHeader(int flavour, DcmDataset& dataset, LOCTVolume& volume,
                    SliceArrangement& arrangement)
{
  volume.centerType = CenterNA;
  {
    const JpegDecoders decoders;
    // Decompresses JPEG pixel data; a file that cannot be converted fails at the fetch.
    dataset.chooseRepresentation(EXS_LittleEndianExplicit, nullptr);
  }
  OFString manufacturer;
  if (dataset.findAndGetOFString(DCM_Manufacturer, manufacturer).bad())
    return MissingAttribute("Manufacturer");
  volume.format = FormatOfMaker(manufacturer.c_str());
  if (const int result = ReadSizes(dataset, volume); result != kScanOk)
    return result;
  if (const int result = ReadPixelSpacing(dataset, volume); result != kScanOk)
    return result;

  bool sliceThicknessUsed = false;
  if (flavour == kFlavourOptos) {
    // The scan is as deep along z as it is wide along x.
    volume.spacingZ = static_cast<float>(volume.sizeX) * volume.spacingX /
                      static_cast<float>(volume.sizeZ);
  } else if (const int result = ReadSliceDistance(dataset, volume, sliceThicknessUsed);
             result != kScanOk) {
    return result;
  }
  if (const int result = ReadVoxelType(dataset, volume); result != kScanOk)
    return result;
  if (const int result = ReadLaterality(dataset, volume); result != kScanOk)
    return result;

  arrangement = SliceArrangement::FileOrder;
  if (flavour == kFlavourSuite && volume.format == FormatZeiss)
    return ReadZeissArrangement(dataset, arrangement);
  if ((flavour == kFlavourSuite && volume.format == FormatHeidelberg) ||
      (flavour == kFlavourDcm && sliceThicknessUsed))
    arrangement = SliceArrangement::Reversed;
  return kScanOk;
}

OFCondition FetchArray(DcmItem& dataset, const Uint8*& values, unsigned long& count)
{
  return dataset.findAndGetUint8Array(DCM_PixelData, values, &count);
}

OFCondition FetchArray(DcmItem& dataset, const Uint16*& values, unsigned long& count)
{
  return dataset.findAndGetUint16Array(DCM_PixelData, values, &count);
}

// The pixel data as values of type T; null when the fetch fails (an encoding that was not
// decompressed, say) or the element holds fewer values than the volume has voxels.
template <typename T> const T* FetchPixels(DcmItem& dataset, uint64_t needed)
{
  const T* values = nullptr;
  unsigned long count = 0;
  const bool good = FetchArray(dataset, values, count).good();
  return good && values && count >= needed ? values : nullptr;
}

template <typename T>
int CopyPixels(DcmItem& dataset, SliceArrangement arrangement, LOCTVolume& volume)
{
  const T* source = FetchPixels<T>(dataset, volume.VoxelCount());
  if (!source)
    return MissingAttribute("PixelData");
  const int size[3] = {volume.sizeX, volume.sizeY, volume.sizeZ};
  const float spacing[3] = {volume.spacingX, volume.spacingY, volume.spacingZ};
  if (!volume.AllocateImage(size, spacing))
    return kScanNoMemory;  // out of memory

  const uint64_t frameSize = uint64_t(volume.sizeX) * uint64_t(volume.sizeY);
  unsigned short* voxels = volume.Voxels();
  for (int32_t frame = 0; frame < volume.sizeZ; ++frame) {
    const T* from = source + frame * frameSize;
    const int32_t slice =
        arrangement == SliceArrangement::Reversed ? volume.sizeZ - 1 - frame : frame;
    unsigned short* to = voxels + slice * frameSize;
    // Turning a frame by 180 degrees in its plane is reversing its row-major order.
    if (arrangement == SliceArrangement::Rotated180)
      std::reverse_copy(from, from + frameSize, to);
    else
      std::copy(from, from + frameSize, to);
  }
  return kScanOk;
}

}  // namespace

int LOCTVolume::ReadDicomVolume(const std::string& path, int flavour)
{
  try {
    DcmFileFormat file;
    const OFCondition loadedFile = file.loadFile(readable::NameToOpen(path).c_str());
    if (loadedFile.bad()) {
      diag::ReportFileFailure(path, loadedFile.text());
      return kScanOpenFailed;
    }
    DcmDataset& dataset = *file.getDataset();
    SliceArrangement arrangement = SliceArrangement::FileOrder;
    if (const int result = ReadDicomHeader(flavour, dataset, *this, arrangement);
        result != kScanOk)
      return result;
    const int copied = bytesPerVoxel == 1 ? CopyPixels<Uint8>(dataset, arrangement, *this)
                                          : CopyPixels<Uint16>(dataset, arrangement, *this);
    if (copied != kScanOk)
      return copied;
    loaded = true;
    return kScanOk;
  } catch (const std::exception& error) {
    // Only allocation can throw here: the toolkit reports by condition values.
    diag::ReportFileFailure(path, error.what());
    return kScanOpenFailed;
  }
}
