#include "data/LOCTVolume.h"

// Not built yet: the route answers as for an unsupported file.
int LOCTVolume::ReadZeissRaw(const std::string&, uint32_t)
{
  return UnsupportedScan();
}

int LOCTVolume::ReadOptovueRaw(const std::string&, uint32_t)
{
  return UnsupportedScan();
}
