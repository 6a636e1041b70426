#include "app/FrameBufferImage.h"

#include "app/LFrameBuffer.h"

#include <algorithm>

void CopyImageToFrameBuffer(const QImage& image, LFrameBuffer& frame)
{
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  const int rows = std::min(rgb.height(), frame.Height());
  for (int y = 0; y < rows; ++y)
    frame.SetRow(y, rgb.constScanLine(y), rgb.width());
}
