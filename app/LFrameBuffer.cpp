#include "app/LFrameBuffer.h"

#include <algorithm>

namespace {

constexpr uint8_t kOpaque = 0xFF;
constexpr int kGreyLevels = 256;

void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

int32_t PelsPerMeter(double dotsPerInch)
{
  return static_cast<int32_t>(dotsPerInch * 39.3700787 + 0.5);
}

void LFrameBuffer::Resize(int width, int height, int bitsPerPixel)
{
  if (width <= 0 || height <= 0)
    return;
  if (m_Created && width == m_Width && height == m_Height)
    return;
  m_Width = width;
  m_Height = height;
  m_BitsPerPixel = bitsPerPixel;
  Create();
}

void LFrameBuffer::SetScreenDotsPerInch(double x, double y)
{
  m_DotsPerInchX = x;
  m_DotsPerInchY = y;
}

size_t LFrameBuffer::RowBytes() const
{
  return ((static_cast<size_t>(m_BitsPerPixel) * static_cast<size_t>(m_Width) / 8 + 3) & ~size_t{3});
}

void LFrameBuffer::Create()
{
  if (m_BitsPerPixel == 32)
    m_BytesPerPixel = 4;
  else if (m_BitsPerPixel == 24)
    m_BytesPerPixel = 3;
  else {
    m_BitsPerPixel = 8;
    m_BytesPerPixel = 1;
  }
  m_Header = BitmapInfoHeader{};
  m_Header.biWidth = m_Width;
  m_Header.biHeight = m_Height;
  m_Header.biBitCount = static_cast<uint16_t>(m_BitsPerPixel);
  m_Header.biSizeImage = static_cast<uint32_t>(RowBytes() * static_cast<size_t>(m_Height));
  m_Header.biXPelsPerMeter = PelsPerMeter(m_DotsPerInchX);
  m_Header.biYPelsPerMeter = PelsPerMeter(m_DotsPerInchY);
  m_Header.biClrUsed = m_BitsPerPixel == 8 ? kGreyLevels : 0;

  // Black. The fourth byte of a 32-bit pixel is opaque, because readers take it as alpha
  // and would otherwise show a transparent (blank) movie.
  m_Bits.assign(RowBytes() * static_cast<size_t>(m_Height), 0);
  if (m_BytesPerPixel == 4)
    for (size_t i = 3; i < m_Bits.size(); i += 4)
      m_Bits[i] = kOpaque;
  m_Created = true;
}

std::vector<uint8_t> LFrameBuffer::InfoBytes() const
{
  std::vector<uint8_t> out;
  PutLE(out, m_Header.biSize, 4);
  PutLE(out, static_cast<uint32_t>(m_Header.biWidth), 4);
  PutLE(out, static_cast<uint32_t>(m_Header.biHeight), 4);
  PutLE(out, m_Header.biPlanes, 2);
  PutLE(out, m_Header.biBitCount, 2);
  PutLE(out, m_Header.biCompression, 4);
  PutLE(out, m_Header.biSizeImage, 4);
  PutLE(out, static_cast<uint32_t>(m_Header.biXPelsPerMeter), 4);
  PutLE(out, static_cast<uint32_t>(m_Header.biYPelsPerMeter), 4);
  PutLE(out, m_Header.biClrUsed, 4);
  PutLE(out, m_Header.biClrImportant, 4);
  for (uint32_t i = 0; i < m_Header.biClrUsed; ++i)
    PutLE(out, i * 0x01010101u, 4);
  return out;
}

void LFrameBuffer::SetRow(int y, const uint8_t* rgb, int count)
{
  if (!m_Created || y < 0 || y >= m_Height)
    return;
  count = std::clamp(count, 0, m_Width);
  uint8_t* out = m_Bits.data() + RowBytes() * static_cast<size_t>(m_Height - 1 - y);
  for (int x = 0; x < count; ++x, rgb += 3, out += m_BytesPerPixel) {
    if (m_BytesPerPixel == 1) {
      // The nearest entry of the grey ramp.
      out[0] = static_cast<uint8_t>((rgb[0] + rgb[1] + rgb[2] + 1) / 3);
      continue;
    }
    out[0] = rgb[2];
    out[1] = rgb[1];
    out[2] = rgb[0];
    if (m_BytesPerPixel == 4)
      out[3] = kOpaque;
  }
}
