#include "data/LOCTVolume.h"

// Not built yet: the route answers as for an unsupported file.
int LOCTVolume::ReadItkVolume(const std::string&, ScanFormat)
{
  return UnsupportedScan();
}

int LOCTVolume::ReadItkImage(const std::string&, ScanFormat)
{
  return UnsupportedScan();
}

int LOCTVolume::WriteMetaImage(const std::string&) const
{
  return -1;
}
