#include "data/LOCTVolume.h"

// Not built yet: the route answers as for an unsupported file.
int LOCTVolume::ReadHeidelbergVol(const std::string&)
{
  return UnsupportedScan();
}
