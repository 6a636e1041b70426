#include "fuzz/FuzzInput.h"

// The first byte picks the flavour by the name's extension; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size == 0)
    return 0;
  static const char* const kNames[] = {"scan.dicom", "scan.DICOM", "scan.dcm"};
  fuzz::ReadScanNamed(kNames[data[0] % 3], fuzz::Bytes(data + 1, size - 1));
  return 0;
}
