#include "fuzz/FuzzInput.h"

#include <algorithm>

// The first 348 bytes are the header file, the rest the image file beside it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  constexpr size_t kHeaderBytes = 348;
  const std::string_view bytes = fuzz::Bytes(data, size);
  fuzz::WriteInput("x.img", bytes.substr(std::min(size, kHeaderBytes)));
  fuzz::ReadScanNamed("x.hdr", bytes.substr(0, kHeaderBytes));
  return 0;
}
