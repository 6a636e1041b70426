// What the projection pane draws over its bitmap.
#include "panes/LProjImage.h"

#include "panes/PaneText.h"
#include "panes/ThicknessTexts.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

// Pane texts use one fixed pixel size: the text boxes are laid out in device pixels.
constexpr int kTextPixelSize = 12;

// The colour bar: 128 lines from index 255 at the top to index 1 at the bottom.
constexpr int kBarTop = 10;
constexpr int kBarLines = 128;

}  // namespace

void LProjImage::Paint(QPainter& painter) const
{
  const std::optional<SliceMapping> mapping = Mapping();
  if (!mapping)
    return;
  const QSize window = WindowSize();
  // Cells stay sharp when stretched.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setRenderHint(QPainter::Antialiasing, false);
  if (m_Stretch)
    painter.drawImage(QRect(QPoint(0, 0), window), m_Bitmap);
  else
    painter.drawImage(0, 0, m_Bitmap);

  QFont font = painter.font();
  font.setPixelSize(kTextPixelSize);
  painter.setFont(font);

  if (m_ShowGuideLines)
    PaintGuideLines(painter, window);
  if (!m_ShowThickness)
    return;
  PaintGridCenter(painter, window);
  if (m_ShowThicknessBar)
    PaintColorBar(painter);
  if (m_ShowOverlay)
    PaintFigures(painter, window);
  if (m_Thickness.Mode() == GridModeQuantity)
    PaintSectorFigures(painter, window);
}

void LProjImage::PaintGuideLines(QPainter& painter, QSize window) const
{
  if (!m_Position)
    return;
  const std::optional<SliceMapping> mapping = Mapping();
  const int xc = mapping->CentreX(static_cast<float>(m_Position[0]));
  const int yc = mapping->CentreY(static_cast<float>(m_Position[2]));
  painter.fillRect(0, yc, window.width(), 1, platform::ToQColor(0x0000FF));
  painter.fillRect(xc, 0, 1, window.height(), platform::ToQColor(0x00FF00));
}

QRect LProjImage::GridCenterMark() const
{
  const std::optional<SliceMapping> mapping = Mapping();
  const int mode = m_Thickness.Mode();
  if (!mapping || !m_ShowThickness || !m_GridCenter || (mode != GridModeQuality && mode != GridModeQuantity))
    return QRect();
  const int cx = mapping->CentreX(static_cast<float>(m_GridCenter[0]));
  const int cy = mapping->CentreY(static_cast<float>(m_GridCenter[1]));
  return EdgeRect(cx - 4, cy - 4, cx + 4, cy + 4);
}

void LProjImage::PaintGridCenter(QPainter& painter, QSize window) const
{
  const QRect mark = GridCenterMark();
  if (mark.isEmpty())
    return;
  painter.fillRect(mark, Qt::black);
  painter.fillRect(mark.adjusted(1, 1, -1, -1), platform::ToQColor(0x0000FF));
  if (m_ShowOverlay) {
    const int w = window.width();
    DrawOutlinedText(painter, EdgeRect(w - 79, 3, w - 4, 30), Qt::AlignRight | Qt::AlignTop,
                     GridCenterText(m_GridCenter[0], m_GridCenter[1]));
  }
}

void LProjImage::PaintColorBar(QPainter& painter) const
{
  for (int line = 0; line < kBarLines; ++line) {
    const uint8_t index = static_cast<uint8_t>(255 - 2 * line);
    painter.fillRect(5, kBarTop + line, 10, 1, QColor(m_Palette.Red(index), m_Palette.Green(index), m_Palette.Blue(index)));
  }
  // The frame: a line above and below the bar and one on each side.
  painter.fillRect(EdgeRect(4, 9, 16, 10), Qt::black);
  painter.fillRect(EdgeRect(4, 138, 16, 139), Qt::black);
  painter.fillRect(EdgeRect(4, 9, 5, 138), Qt::black);
  painter.fillRect(EdgeRect(15, 9, 16, 138), Qt::black);
  DrawOutlinedText(painter, EdgeRect(18, 3, 100, 150), Qt::AlignLeft | Qt::AlignTop, ColorBarLabels(m_Thickness));
}

void LProjImage::PaintFigures(QPainter& painter, QSize window) const
{
  const int h = window.height();
  DrawOutlinedText(painter, EdgeRect(5, h - 50, 150, h - 4), Qt::AlignLeft | Qt::AlignBottom,
                   ThicknessFigures(m_Thickness));
}

void LProjImage::PaintSectorFigures(QPainter& painter, QSize window) const
{
  const float w = static_cast<float>(window.width());
  const float h = static_cast<float>(window.height());
  // One line's height: the text is centred as if it had one line above the middle.
  const int cy = QFontMetrics(painter.font()).height();
  const auto edge = [](int cell, float windowSize, int cells) {
    return static_cast<int>(static_cast<float>(cell) * windowSize / static_cast<float>(cells) + 0.5f) + 1;
  };
  for (int s = 0; s < m_Thickness.SectorCount(); ++s) {
    const SectorBox box = m_Thickness.Box(s);
    // A sector without cells has no place on the image.
    if (box.empty)
      continue;
    const int left = edge(box.minX - 20, w, m_Width);
    const int top = edge(box.minZ - 20, h, m_Height);
    const int right = edge(box.maxX + 20, w, m_Width);
    const int bottom = edge(box.maxZ + 20, h, m_Height);
    const int textTop = static_cast<int>(static_cast<float>(top + bottom - 2 * cy) * 0.5f + 0.5f);
    DrawOutlinedText(painter, EdgeRect(left, textTop, right, bottom), Qt::AlignHCenter | Qt::AlignTop,
                     SectorFigures(m_Thickness.SectorMean(s), m_Thickness.SectorSD(s)));
  }
}
