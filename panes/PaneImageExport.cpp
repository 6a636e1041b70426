#include "panes/PaneImageExport.h"

#include "data/AtomicFile.h"
#include "panes/Pane2D.h"

#include <FreeImage.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <memory>

namespace {

struct BitmapDeleter {
  void operator()(FIBITMAP* b) const { FreeImage_Unload(b); }
};
struct MemoryDeleter {
  void operator()(FIMEMORY* m) const { FreeImage_CloseMemory(m); }
};
using BitmapPtr = std::unique_ptr<FIBITMAP, BitmapDeleter>;
using MemoryPtr = std::unique_ptr<FIMEMORY, MemoryDeleter>;

BitmapPtr ToRgb24(const QImage& image)
{
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  const int w = rgb.width();
  const int h = rgb.height();
  BitmapPtr dib(FreeImage_Allocate(w, h, 24, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
  if (!dib)
    return dib;
  for (int y = 0; y < h; ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    BYTE* out = FreeImage_GetScanLine(dib.get(), h - 1 - y);  // FreeImage rows run bottom-up
    for (int x = 0; x < w; ++x, out += 3) {
      out[FI_RGBA_RED] = static_cast<BYTE>(qRed(in[x]));
      out[FI_RGBA_GREEN] = static_cast<BYTE>(qGreen(in[x]));
      out[FI_RGBA_BLUE] = static_cast<BYTE>(qBlue(in[x]));
    }
  }
  return dib;
}

// The bitmap in a depth the format can write: 24 bits, or a 256-colour palette.
BitmapPtr ForFormat(BitmapPtr dib, FREE_IMAGE_FORMAT fif)
{
  if (!dib || FreeImage_FIFSupportsExportBPP(fif, 24))
    return dib;
  if (FreeImage_FIFSupportsExportBPP(fif, 8))
    return BitmapPtr(FreeImage_ColorQuantize(dib.get(), FIQ_WUQUANT));
  return nullptr;
}

}  // namespace

void CopyImageToClipboard(const QImage& image)
{
  if (QClipboard* clipboard = QGuiApplication::clipboard())
    clipboard->setImage(image);
}

int SaveImageFile(const QImage& image, const std::string& path)
{
  if (image.isNull())
    return -1;
  const FREE_IMAGE_FORMAT fif = FreeImage_GetFIFFromFilename(path.c_str());
  if (fif == FIF_UNKNOWN || !FreeImage_FIFSupportsWriting(fif))
    return -1;
  const BitmapPtr dib = ForFormat(ToRgb24(image), fif);
  const MemoryPtr memory(FreeImage_OpenMemory());
  if (!dib || !memory || !FreeImage_SaveToMemory(fif, dib.get(), memory.get(), 0))
    return -1;
  BYTE* data = nullptr;
  DWORD size = 0;
  if (!FreeImage_AcquireMemory(memory.get(), &data, &size))
    return -1;
  AtomicFile file(path, writetarget::WriteOrigin::kProgram);
  if (!file.Write(data, size))
    return -1;
  return file.Commit() ? 0 : -1;
}

QImage RenderPaneImage(const Pane2D& pane, QSize window)
{
  QImage image(window, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  pane.Paint(painter);
  return image;
}

int CopyAndSaveImage(const QImage& image, const std::string& path)
{
  if (image.isNull())
    return -1;
  CopyImageToClipboard(image);
  return SaveImageFile(image, path);
}
