#include "data/GreyPng.h"

#include "data/AtomicFile.h"

#include <FreeImage.h>
#include <algorithm>
#include <memory>

namespace {
struct BitmapUnloader {
  void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
struct MemoryCloser {
  void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};
}  // namespace

int WriteGreyPng(const std::string& path, const std::vector<uint8_t>& grey, int width, int height)
{
  if (width <= 0 || height <= 0 || grey.size() != size_t(width) * size_t(height))
    return -1;
  const std::unique_ptr<FIBITMAP, BitmapUnloader> bitmap(FreeImage_Allocate(width, height, 8));
  if (!bitmap)
    return -1;
  RGBQUAD* palette = FreeImage_GetPalette(bitmap.get());
  for (int i = 0; i < 256; ++i)
    palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = static_cast<BYTE>(i);
  for (int row = 0; row < height; ++row)  // FreeImage stores the bottom row first
    std::copy_n(grey.data() + size_t(row) * size_t(width), width, FreeImage_GetScanLine(bitmap.get(), height - 1 - row));
  const std::unique_ptr<FIMEMORY, MemoryCloser> memory(FreeImage_OpenMemory());
  BYTE* data = nullptr;
  DWORD size = 0;
  if (!memory || !FreeImage_SaveToMemory(FIF_PNG, bitmap.get(), memory.get(), 0) ||
      !FreeImage_AcquireMemory(memory.get(), &data, &size))
    return -1;
  AtomicFile file(path, writetarget::WriteOrigin::kUser);
  if (!file.Write(data, size))
    return -1;
  return file.Commit() ? 0 : -1;
}
