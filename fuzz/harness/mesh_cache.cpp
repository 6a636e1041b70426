#include "data/LMesh.h"
#include "fuzz/FuzzInput.h"

// A cache is read for a label volume of a fixed small size.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const int kSize[3] = {8, 6, 4};
  static const float kSpacing[3] = {0.5f, 0.25f, 1.0f};
  LMesh mesh;
  (void)mesh.ReadVtk(fuzz::WriteInput("labels.vtk", fuzz::Bytes(data, size)), kSize, kSpacing);
  return 0;
}
