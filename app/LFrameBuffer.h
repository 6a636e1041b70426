#pragma once
// One movie frame as a device-independent bitmap: rows bottom-up, each padded to a multiple
// of 4 bytes, pixels blue-green-red (32 bits: with a fourth byte; 8 bits: an index into a
// grey ramp). The caller copies its pixels in row by row, top row first, as RGB triples.
#include <cstddef>
#include <cstdint>
#include <vector>

// The BITMAPINFOHEADER of the frame, as the movie stores it.
struct BitmapInfoHeader {
  uint32_t biSize = 40;
  int32_t biWidth = 0;
  int32_t biHeight = 0;  // positive: the rows run bottom-up
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 0;
  uint32_t biCompression = 0;  // BI_RGB
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;  // 256 for the grey ramp of 8 bits per pixel
  uint32_t biClrImportant = 0;
};

// int(dots per inch × 39.3700787 + 0.5).
int32_t PelsPerMeter(double dotsPerInch);

class LFrameBuffer {
public:
  // Ignored for a size of 0 or less, and when the buffer exists at this size already (even
  // for other bits per pixel): the old pixels stay. Otherwise rebuilds the buffer, black.
  void Resize(int width, int height, int bitsPerPixel);
  // Builds the buffer at the stored size: 32 or 24 bits per pixel, any other value 8.
  void Create();
  // The screen resolution written into the header by the next Create (96 until set).
  void SetScreenDotsPerInch(double x, double y);

  bool IsCreated() const { return m_Created; }
  int Width() const { return m_Width; }
  int Height() const { return m_Height; }
  int BitsPerPixel() const { return m_BitsPerPixel; }
  const BitmapInfoHeader& Header() const { return m_Header; }
  // The BITMAPINFO: the header, then for 8 bits per pixel the 256 grey entries (blue,
  // green, red, reserved = i). 40 or 1064 bytes.
  std::vector<uint8_t> InfoBytes() const;
  const uint8_t* Bits() const { return m_Bits.data(); }
  size_t RowBytes() const;

  // Sets the first count pixels (at most the width) of row y, counted from the top, from
  // count RGB triples. Rows outside the frame are ignored.
  void SetRow(int y, const uint8_t* rgb, int count);

private:
  int m_Width = 0;
  int m_Height = 0;
  int m_BitsPerPixel = 32;
  int m_BytesPerPixel = 4;
  double m_DotsPerInchX = 96.0;
  double m_DotsPerInchY = 96.0;
  bool m_Created = false;
  BitmapInfoHeader m_Header;
  std::vector<uint8_t> m_Bits;
};
