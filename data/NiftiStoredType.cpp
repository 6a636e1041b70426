#include "data/NiftiStoredType.h"

#include "data/BinaryReader.h"

#include <cstdint>
#include <memory>
#include <zlib.h>

namespace {

// NIfTI-2 and NIfTI-1 (also Analyze) header sizes and where each keeps the data type.
constexpr int32_t kNifti2Size = 540;
constexpr int32_t kNifti1Size = 348;
constexpr size_t kNifti2TypeAt = 12;
constexpr size_t kNifti1TypeAt = 70;

bool IsFloatingPointType(int16_t type)
{
  switch (type) {
  case 16:    // float32
  case 32:    // complex64
  case 64:    // float64
  case 1536:  // float128
  case 1792:  // complex128
  case 2048:  // complex256
    return true;
  default:
    return false;
  }
}

}  // namespace

bool NiftiStoresFloatingPoint(const std::string& path)
{
  struct Closer { void operator()(gzFile f) const { gzclose(f); } };
  // zlib passes a file that is not compressed through unchanged.
  const std::unique_ptr<gzFile_s, Closer> file(gzopen(path.c_str(), "rb"));
  unsigned char head[kNifti1TypeAt + 2];
  if (!file || gzread(file.get(), head, sizeof head) != int(sizeof head))
    return false;
  for (const bool big : {false, true}) {
    const int32_t size = binary::Decode<int32_t>(head, big);
    if (size == kNifti1Size)
      return IsFloatingPointType(binary::Decode<int16_t>(head + kNifti1TypeAt, big));
    if (size == kNifti2Size)
      return IsFloatingPointType(binary::Decode<int16_t>(head + kNifti2TypeAt, big));
  }
  return false;
}
