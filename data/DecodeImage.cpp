#include "data/DecodeImage.h"

#include "data/LImage2D.h"
#include "data/MappedVoxels.h"

#include <unistd.h>

namespace decoder {

namespace {

bool ShareImage(const LImage2D& image, DecodedRecord& record)
{
  const LImage2D::Description description = image.Describe();
  record.width = description.width;
  record.height = description.height;
  record.bitsPerPixel = description.bitsPerPixel;
  record.fileType = description.fileType;
  record.planes = description.planes;
  record.sharedBytes = image.PlaneBytes();
  if (::ftruncate(kSharedFd, static_cast<off_t>(record.sharedBytes)) != 0)
    return false;
  const MemoryMapping mapping = MemoryMapping::Map(kSharedFd, record.sharedBytes, false);
  if (record.sharedBytes > 0 && !mapping.Data())
    return false;
  if (record.sharedBytes > 0)
    image.CopyPlanes(static_cast<uint8_t*>(mapping.Data()));
  return true;
}


}  // namespace

int DecodeImage(const std::string& path, DecodedRecord& record)
{
  LImage2D image;
  const int result = image.Load(path);
  if (result != 0)
    return result;
  return ShareImage(image, record) ? 0 : -1;
}

}  // namespace decoder
