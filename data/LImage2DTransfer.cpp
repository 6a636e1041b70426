// Handing a decoded 2-D image from the decoder helper to the program: the description and
// the planes, without the FreeImage bitmap, which stays in the process that decoded it.
#include "data/LImage2D.h"

#include <cstring>

template <typename Self, typename Visit> void LImage2D::ForEachPlane(Self& self, Visit visit)
{
  visit(0u, self.m_Plane8);
  visit(1u, self.m_Plane16);
  visit(2u, self.m_Red);
  visit(3u, self.m_Green);
  visit(4u, self.m_Blue);
  visit(5u, self.m_Alpha);
}

LImage2D::Description LImage2D::Describe() const
{
  Description image;
  if (!m_Loaded)
    return image;
  image.width = m_Width;
  image.height = m_Height;
  image.bitsPerPixel = m_BitsPerPixel;
  image.fileType = m_FileType;
  ForEachPlane(*this, [&](unsigned index, const auto& plane) {
    if (!plane.empty())
      image.planes |= 1u << index;
  });
  return image;
}

size_t LImage2D::PlaneBytes() const
{
  size_t bytes = 0;
  ForEachPlane(*this, [&](unsigned, const auto& plane) {
    bytes += plane.size() * sizeof(plane[0]);
  });
  return bytes;
}

void LImage2D::CopyPlanes(uint8_t* to) const
{
  ForEachPlane(*this, [&](unsigned, const auto& plane) {
    const size_t bytes = plane.size() * sizeof(plane[0]);
    if (bytes > 0)
      std::memcpy(to, plane.data(), bytes);
    to += bytes;
  });
}

bool LImage2D::Adopt(const Description& image, const uint8_t* from, size_t bytes)
{
  Unload();
  if (image.width <= 0 || image.height <= 0 || image.planes >= (1u << 6))
    return false;
  // Every plane holds at least a byte per pixel, so a pixel count above the byte count
  // cannot fit (and the products below cannot overflow). An image of a kind without
  // planes comes without bytes.
  const uint64_t pixels = uint64_t(image.width) * uint64_t(image.height);
  if (image.planes != 0 && pixels > bytes)
    return false;
  uint64_t expected = 0;
  ForEachPlane(*this, [&](unsigned index, auto& plane) {
    if (image.planes & (1u << index))
      expected += pixels * sizeof(plane[0]);
  });
  if (expected != bytes)
    return false;
  ForEachPlane(*this, [&](unsigned index, auto& plane) {
    if (!(image.planes & (1u << index)))
      return;
    plane.resize(pixels);
    std::memcpy(plane.data(), from, pixels * sizeof(plane[0]));
    from += pixels * sizeof(plane[0]);
  });
  m_Width = image.width;
  m_Height = image.height;
  m_BitsPerPixel = image.bitsPerPixel;
  m_FileType = image.fileType;
  m_Loaded = true;
  return true;
}
