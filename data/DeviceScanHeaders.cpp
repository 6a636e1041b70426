#include "data/DeviceScanHeaders.h"

#include "data/Diagnostics.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace devicescan {

namespace {

// One row of a size-keyed geometry table; the spacings are the devices' decimal
// constants, stored as floats.
struct SizedGeometry {
  uint64_t fileSize;
  int32_t size[3];
  float spacing[3];
};

constexpr SizedGeometry kZeissGeometries[] = {
  {40960000u, {200, 1024, 200}, {0.03015075f, 0.001955034f, 0.03015075f}},
  {67108864u, {512, 1024, 128}, {0.01174168f, 0.001955034f, 0.04724409f}},
  {20971520u, {4096, 1024, 5}, {0.001465201f, 0.001955034f, 0.25f}},
  {5242880u, {1024, 1024, 5}, {0.008797654f, 0.001955034f, 0.5f}},
};

constexpr SizedGeometry kOptovueGeometries[] = {
  {139207680u, {513, 640, 101}, {0.011695906f, 0.003f, 0.05940594f}},
  {141926400u, {385, 640, 141}, {0.018181818f, 0.003f, 0.04964539f}},
  {167049216u, {513, 768, 101}, {0.011695906f, 0.003f, 0.05940594f}},
  {236584960u, {304, 640, 304}, {0.009868421f, 0.003135938f, 0.01f}},
  {314572800u, {320, 768, 320}, {0.0375f, 0.003135417f, 0.028f}},
  {317521920u, {320, 768, 320}, {0.0375f, 0.003f, 0.028125f}},
};

template <size_t N>
int ApplySizedGeometry(const SizedGeometry (&table)[N], uint64_t fileSize, ScanFormat format,
                       LOCTVolume& volume)
{
  const auto row = std::find_if(std::begin(table), std::end(table),
                                [fileSize](const SizedGeometry& g) { return g.fileSize == fileSize; });
  if (row == std::end(table))
    return UnsupportedScan();
  volume.format = format;
  volume.sizeX = row->size[0];
  volume.sizeY = row->size[1];
  volume.sizeZ = row->size[2];
  volume.spacingX = row->spacing[0];
  volume.spacingY = row->spacing[1];
  volume.spacingZ = row->spacing[2];
  volume.bytesPerVoxel = 1;
  volume.laterality = LateralityNA;
  volume.centerType = CenterNA;
  return kScanOk;
}

// Offset of the first occurrence of marker in the file, read in windows that overlap by
// one byte less than the marker so that a marker across a window boundary is found.
bool FindMarker(binary::FileReader& in, std::string_view marker, uint64_t& offset)
{
  constexpr uint64_t kWindow = 64 * 1024;
  const size_t overlap = marker.size() - 1;
  std::vector<char> window(kWindow + overlap);
  uint64_t windowStart = 0;  // file offset of window[0]
  size_t kept = 0;
  if (!in.Seek(0))
    return false;
  while (in.Remaining() > 0) {
    const uint64_t fresh = std::min(kWindow, in.Remaining());
    if (!in.ReadBytes(window.data() + kept, fresh))
      return false;
    const std::string_view view(window.data(), kept + fresh);
    const size_t hit = view.find(marker);
    if (hit != std::string_view::npos) {
      offset = windowStart + hit;
      return true;
    }
    const size_t carry = std::min(overlap, view.size());
    std::memmove(window.data(), window.data() + view.size() - carry, carry);
    windowStart += view.size() - carry;
    kept = carry;
  }
  return false;
}

// Topcon depth spacing by samples per A-scan. The file does not store it; a depth outside
// the known ones (a cropped or minimised export) is read with the finer spacing and a
// warning, rather than refusing a scan whose voxels are all there.
float TopconSpacingY(int32_t sizeY)
{
  switch (sizeY) {
  case 480:
  case 650:
    return 0.0035f;
  case 885:
  case 992:
    return 0.0026f;
  default:
    diag::Warning("Unknown Topcon depth of " + std::to_string(sizeY) +
                  " samples, voxel height 0.0026 mm assumed");
    return 0.0026f;
  }
}

Laterality EyeFromText(const char (&text)[4])
{
  const std::string_view eye(text, strnlen(text, sizeof text));
  if (eye == "OD")
    return LateralityOD;
  if (eye == "OS")
    return LateralityOS;
  return LateralityNA;
}

// One Heidelberg sample (see ConvertHeidelbergSamples): floor(f^0.25 * 65535 + 0.5) in
// double precision. Two square roots give exactly what pow(f, 0.25) gives after the
// rounding, for every float in (0, 1] (checked over all of them), and cost far less.
uint16_t HeidelbergValue(float sample)
{
  if (!(sample > 0.0f) || sample > 1.0f)
    return 0;
  const double root = std::sqrt(std::sqrt(static_cast<double>(sample)));
  return static_cast<uint16_t>(root * 65535.0 + 0.5);  // positive: truncation is floor
}

}  // namespace

int GetZeissGeometry(uint64_t fileSize, LOCTVolume& volume)
{
  return ApplySizedGeometry(kZeissGeometries, fileSize, FormatZeiss, volume);
}

int GetOptovueGeometry(uint64_t fileSize, LOCTVolume& volume)
{
  return ApplySizedGeometry(kOptovueGeometries, fileSize, FormatOptovue, volume);
}

int ReadTopconHeader(binary::FileReader& in, LOCTVolume& volume, uint64_t& dataOffset)
{
  uint64_t marker = 0;
  if (!FindMarker(in, "@IMG_SCAN", marker))
    return UnsupportedScan();
  int32_t sizeX = 0, sizeY = 0, bits = 0, sizeZ = 0;
  if (!in.Seek(marker + 17) || !in.ReadLE(sizeX) || !in.ReadLE(sizeY) || !in.ReadLE(bits) ||
      !in.ReadLE(sizeZ) || binary::BoundedProduct({sizeX, sizeY, sizeZ}, kMaxScanVoxels) == 0)
    return UnsupportedScan();

  volume.format = FormatTopcon;
  volume.laterality = LateralityNA;
  volume.centerType = CenterNA;
  // The samples are 16-bit whatever the bits field says; only 8-bit data has the byte range.
  volume.bytesPerVoxel = bits == 8 ? 1 : 2;
  volume.sizeX = sizeX;
  volume.sizeY = sizeY;
  volume.sizeZ = sizeZ;
  volume.spacingX = 6.0f / static_cast<float>(sizeX);
  volume.spacingZ = 6.0f / static_cast<float>(sizeZ);
  volume.spacingY = TopconSpacingY(sizeY);

  dataOffset = marker + 37;
  if (dataOffset > in.Size() ||
      binary::BoundedProduct({int64_t(volume.VoxelCount()), 2}, in.Size() - dataOffset) == 0)
    return UnsupportedScan();
  return kScanOk;
}

int ReadHeidelbergHeader(binary::FileReader& in, LOCTVolume& volume, HeidelbergLayout& layout)
{
  int32_t sizeX = 0, sizeY = 0, sizeZ = 0;
  double spacingX = 0, spacingY = 0, spacingZ = 0;
  char eye[4] = {};
  if (!in.Seek(12) || !in.ReadLE(sizeX) || !in.ReadLE(sizeZ) || !in.ReadLE(sizeY) ||
      !in.ReadLE(spacingX) || !in.ReadLE(spacingZ) || !in.ReadLE(spacingY) ||
      !in.ReadLE(layout.fundusWidth) || !in.ReadLE(layout.fundusHeight) || !in.Seek(84) ||
      !in.ReadBytes(eye, sizeof eye) || !in.Seek(100) || !in.ReadLE(layout.bscanHeaderSize))
    return UnsupportedScan();

  volume.format = FormatHeidelberg;
  volume.bytesPerVoxel = 2;
  volume.sizeX = sizeX;
  volume.sizeY = sizeY;
  volume.sizeZ = sizeZ;
  volume.spacingX = static_cast<float>(spacingX);
  volume.spacingY = static_cast<float>(spacingY);
  volume.spacingZ = static_cast<float>(spacingZ);
  volume.laterality = EyeFromText(eye);
  volume.centerType = CenterNA;

  if (binary::BoundedProduct({sizeX, sizeY, sizeZ}, kMaxScanVoxels) == 0 || layout.fundusWidth < 0 ||
      layout.fundusHeight < 0 || layout.bscanHeaderSize < 0)
    return UnsupportedScan();
  layout.firstBscanOffset = 2048 + uint64_t(layout.fundusWidth) * uint64_t(layout.fundusHeight);
  const uint64_t bscanBytes = uint64_t(layout.bscanHeaderSize) + 4 * uint64_t(sizeX) * uint64_t(sizeY);
  if (layout.firstBscanOffset > in.Size() ||
      binary::BoundedProduct({sizeZ, int64_t(bscanBytes)}, in.Size() - layout.firstBscanOffset) == 0)
    return UnsupportedScan();
  return kScanOk;
}

void ConvertHeidelbergSamples(const float* samples, uint64_t count, uint16_t* values)
{
  uint64_t i = 0;
#if defined(__SSE2__)
  // Four samples at a time, step for step as HeidelbergValue: the same double-precision
  // roots, product, sum and truncation, so the values are identical. A sample is inside
  // (0, 1] exactly when its bit pattern, read as a signed integer, lies in
  // [1, 0x3F800000]; negatives, NaN and everything above 1 fall outside and become +0.
  const __m128i zero = _mm_setzero_si128();
  const __m128i aboveOne = _mm_set1_epi32(0x3F800001);
  const __m128d scale = _mm_set1_pd(65535.0);
  const __m128d half = _mm_set1_pd(0.5);
  const __m128i bias = _mm_set1_epi32(32768);
  const __m128i flip = _mm_set1_epi16(static_cast<short>(0x8000));
  for (; i + 4 <= count; i += 4) {
    const __m128 f = _mm_loadu_ps(samples + i);
    const __m128i bits = _mm_castps_si128(f);
    const __m128i inside = _mm_and_si128(_mm_cmpgt_epi32(bits, zero), _mm_cmplt_epi32(bits, aboveOne));
    const __m128 kept = _mm_and_ps(f, _mm_castsi128_ps(inside));
    const __m128d low = _mm_sqrt_pd(_mm_sqrt_pd(_mm_cvtps_pd(kept)));
    const __m128d high = _mm_sqrt_pd(_mm_sqrt_pd(_mm_cvtps_pd(_mm_movehl_ps(kept, kept))));
    const __m128i lowInts = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(low, scale), half));
    const __m128i highInts = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(high, scale), half));
    // 0-65535 do not fit the signed 16-bit pack: shift them down by 32768 and back.
    const __m128i ints = _mm_sub_epi32(_mm_unpacklo_epi64(lowInts, highInts), bias);
    const __m128i packed = _mm_xor_si128(_mm_packs_epi32(ints, ints), flip);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(values + i), packed);
  }
#endif
  for (; i < count; ++i)
    values[i] = HeidelbergValue(samples[i]);
}

bool OpenScanFile(const std::string& path, binary::FileReader& in)
{
  if (in.Open(path))
    return true;
  diag::ReportFileFailure(path, in.Refusal());
  return false;
}

int FileFailure(const std::string& path, int errorNumber)
{
  diag::ReportOpenFailure(path, errorNumber);
  return errorNumber == ENOMEM ? kScanNoMemory : kScanOpenFailed;
}

bool AllocateFromFields(LOCTVolume& volume)
{
  const int size[3] = {volume.sizeX, volume.sizeY, volume.sizeZ};
  const float spacing[3] = {volume.spacingX, volume.spacingY, volume.spacingZ};
  if (volume.AllocateImage(size, spacing))
    return true;
  volume.image = nullptr;  // out of memory
  return false;
}

}  // namespace devicescan
