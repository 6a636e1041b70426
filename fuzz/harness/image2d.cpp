#include "data/LImage2D.h"
#include "fuzz/FuzzInput.h"

// The loader recognises the format from the content; the name carries no extension.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  LImage2D image;
  (void)image.Load(fuzz::WriteInput("image", fuzz::Bytes(data, size)));
  return 0;
}
