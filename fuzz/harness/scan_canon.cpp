#include "fuzz/FuzzInput.h"

// The text before the marker line is the parameter file, what follows it the image file
// (absent without the marker).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const fuzz::Split parts = fuzz::SplitAt(fuzz::Bytes(data, size), "\n--TOMOGRAMS--\n");
  if (parts.found)
    fuzz::WriteInput("x.Tomograms.dat", parts.after);
  else
    fuzz::RemoveInput("x.Tomograms.dat");
  fuzz::ReadScanNamed("x.ScanParameters.dat", parts.before);
  return 0;
}
