#include "data/LOCTVolume.h"

// Not built yet: the route answers as for an unsupported file.
int LOCTVolume::ReadDicomVolume(const std::string&, int)
{
  return UnsupportedScan();
}
