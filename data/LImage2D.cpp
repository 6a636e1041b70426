#include "data/LImage2D.h"

#include "data/DecoderHelper.h"
#include "data/ReadableFile.h"

#include <FreeImage.h>

#include <cstring>
#include <filesystem>
#include <new>
#include <utility>

// FreeImage's shared library on Linux registers its format plugins when it is loaded
// (FreeImage_Initialise runs as a library constructor), so nothing is initialised here.

void LImage2D::BitmapUnloader::operator()(FIBITMAP* bitmap) const
{
  FreeImage_Unload(bitmap);
}

LImage2D::LImage2D() = default;
LImage2D::~LImage2D() = default;

namespace {

// A palette image is taken through its palette unless the palette is the plain grey ramp
// (index i is grey i), whose indices are the grey values already; disc masks are such.
FIBITMAP* GreyFromPalette(FIBITMAP* bitmap)
{
  if (FreeImage_GetImageType(bitmap) != FIT_BITMAP || FreeImage_GetBPP(bitmap) != 8 ||
      FreeImage_GetColorType(bitmap) == FIC_MINISBLACK)
    return nullptr;
  return FreeImage_ConvertToGreyscale(bitmap);
}

// The largest picture taken: 2^26 pixels (8192 x 8192) is far beyond any projection or disc
// image, yet keeps the bitmap and its planes well below a gigabyte.
constexpr uint64_t kMaxPixels = uint64_t(1) << 26;
// Deflate (PNG, TIFF) never packs more than about 1032 bytes into one; run-length and JPEG
// coding stay below that. Portable anymaps are not compressed at all.
constexpr uint64_t kMaxCompressionRatio = 1032;

bool Uncompressed(FREE_IMAGE_FORMAT type)
{
  switch (type) {
  case FIF_PBM: case FIF_PBMRAW: case FIF_PGM: case FIF_PGMRAW: case FIF_PPM: case FIF_PPMRAW:
    return true;
  default:
    return false;
  }
}

// Reads only the header, where the format allows it, and tells whether the file can hold
// the pixels it announces within a sane size: a header of a few bytes may claim gigabytes,
// which the decoder would allocate and then try to fill.
bool HeaderFits(FREE_IMAGE_FORMAT type, const std::string& path, int flags)
{
  if (!FreeImage_FIFSupportsNoPixels(type))
    return true;
  const std::unique_ptr<FIBITMAP, void (*)(FIBITMAP*)> header(
      FreeImage_Load(type, path.c_str(), flags | FIF_LOAD_NOPIXELS), FreeImage_Unload);
  if (!header)
    return false;
  const uint64_t pixels = uint64_t(FreeImage_GetWidth(header.get())) * FreeImage_GetHeight(header.get());
  const uint64_t bytes = pixels * FreeImage_GetBPP(header.get()) / 8;
  std::error_code error;
  const uint64_t fileSize = std::filesystem::file_size(path, error);
  const uint64_t ratio = Uncompressed(type) ? 1 : kMaxCompressionRatio;
  return !error && pixels <= kMaxPixels && bytes / ratio <= fileSize;
}

}  // namespace

void LImage2D::Unload()
{
  m_Loaded = false;
  m_Width = m_Height = m_BitsPerPixel = 0;
  for (auto* plane : {&m_Plane8, &m_Red, &m_Green, &m_Blue, &m_Alpha})
    std::vector<uint8_t>().swap(*plane);
  std::vector<uint16_t>().swap(m_Plane16);
  m_Bitmap.reset();
  m_FileType = -1;
}

int LImage2D::Load(const std::string& path)
{
  if (decoder::Isolated())
    return decoder::LoadImage(*this, path);
  Unload();
  // The decoder opens the file by its name and would wait on a pipe (in the decoder helper the
  // name is that of the file the program checked).
  if (const readable::ReadableFile file = readable::Open(path); !file.IsOpen()) {
    readable::ReportRefusal(path, file);
    return -1;
  }
  const std::string name = readable::NameToOpen(path);
  const FREE_IMAGE_FORMAT type = FreeImage_GetFileType(name.c_str(), 0);
  if (type == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(type))
    return -1;
  // GIFs of 2 or 16 colours would otherwise load at 1 or 4 bits and offer no plane.
  const int flags = type == FIF_GIF ? GIF_LOAD256 : 0;
  if (!HeaderFits(type, name, flags))
    return -1;
  Bitmap bitmap(FreeImage_Load(type, name.c_str(), flags));
  if (!bitmap)
    return -1;
  if (FIBITMAP* grey = GreyFromPalette(bitmap.get()))
    bitmap.reset(grey);
  m_Bitmap = std::move(bitmap);
  m_FileType = type;
  m_Width = static_cast<int32_t>(FreeImage_GetWidth(m_Bitmap.get()));
  m_Height = static_cast<int32_t>(FreeImage_GetHeight(m_Bitmap.get()));
  m_BitsPerPixel = static_cast<int32_t>(FreeImage_GetBPP(m_Bitmap.get()));
  try {
    SplitPlanes();
  } catch (const std::bad_alloc&) {
    Unload();
    return -1;
  }
  m_Loaded = true;
  return 0;
}

void LImage2D::SplitPlanes()
{
  FIBITMAP* bitmap = m_Bitmap.get();
  const FREE_IMAGE_TYPE kind = FreeImage_GetImageType(bitmap);
  const size_t width = static_cast<size_t>(m_Width);
  const size_t height = static_cast<size_t>(m_Height);
  const size_t pixels = width * height;
  const bool grey8 = kind == FIT_BITMAP && m_BitsPerPixel == 8;
  const bool grey16 = kind == FIT_UINT16;
  const bool colour = kind == FIT_BITMAP && (m_BitsPerPixel == 24 || m_BitsPerPixel == 32);
  if (grey8)
    m_Plane8.resize(pixels);
  if (grey16)
    m_Plane16.resize(pixels);
  if (colour) {
    m_Red.resize(pixels);
    m_Green.resize(pixels);
    m_Blue.resize(pixels);
    if (m_BitsPerPixel == 32)
      m_Alpha.resize(pixels);
  }
  const size_t bytesPerPixel = static_cast<size_t>(m_BitsPerPixel) / 8;
  // FreeImage keeps scan lines bottom-up: scan line i is row height - 1 - i.
  for (size_t i = 0; i < height; ++i) {
    const BYTE* line = FreeImage_GetScanLine(bitmap, static_cast<int>(i));
    const size_t row = (height - 1 - i) * width;
    if (grey8)
      std::memcpy(&m_Plane8[row], line, width);
    if (grey16)
      std::memcpy(&m_Plane16[row], line, width * sizeof(uint16_t));
    if (colour)
      for (size_t x = 0; x < width; ++x) {
        const BYTE* pixel = line + bytesPerPixel * x;
        m_Red[row + x] = pixel[FI_RGBA_RED];
        m_Green[row + x] = pixel[FI_RGBA_GREEN];
        m_Blue[row + x] = pixel[FI_RGBA_BLUE];
        if (bytesPerPixel == 4)
          m_Alpha[row + x] = pixel[FI_RGBA_ALPHA];
      }
  }
}
