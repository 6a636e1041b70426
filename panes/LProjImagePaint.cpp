// What the projection pane draws over its bitmap.
#include "panes/LProjImage.h"

#include "panes/QPainterCanvas.h"
#include "panes/ThicknessTexts.h"

#include <QPainter>

namespace {

constexpr platform::COLORREF kRed = 0x0000FF;
constexpr platform::COLORREF kGreen = 0x00FF00;
constexpr platform::COLORREF kBlack = 0x000000;

// The colour bar: 128 lines from index 255 at the top to index 1 at the bottom.
constexpr int kBarTop = 10;
constexpr int kBarLines = 128;

}  // namespace

void LProjImage::Paint(QPainter& painter) const
{
  if (!Mapping())
    return;
  // Cells stay sharp when stretched.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setRenderHint(QPainter::Antialiasing, false);
  if (Stretched())
    painter.drawImage(QRect(QPoint(0, 0), WindowSize()), m_Bitmap);
  else
    painter.drawImage(0, 0, m_Bitmap);
  QPainterCanvas canvas(painter);
  PaintOverlays(canvas);
}

void LProjImage::PaintOverlays(PaneCanvas& canvas) const
{
  const std::optional<SliceMapping> mapping = Mapping();
  if (!mapping)
    return;
  const QSize window = WindowSize();
  canvas.SetFont(CanvasFont::Info);
  if (m_ShowGuideLines)
    PaintGuideLines(canvas, *mapping, window);
  if (!m_ShowThickness)
    return;
  TextPlacement texts(canvas);
  PaintGridCenter(canvas, texts, window);
  if (m_ShowThicknessBar)
    PaintColorBar(canvas, texts);
  if (m_ShowOverlay)
    PaintFigures(texts, window);
  if (m_Thickness.Mode() == GridModeQuantity)
    PaintSectorFigures(canvas, texts, window);
}

void LProjImage::PaintGuideLines(PaneCanvas& canvas, const SliceMapping& mapping, QSize window) const
{
  if (!m_Position)
    return;
  const int xc = mapping.CentreX(static_cast<float>(m_Position[0]));
  const int yc = mapping.CentreY(static_cast<float>(m_Position[2]));
  canvas.FillRect(QRect(0, yc, window.width(), 1), kRed);
  canvas.FillRect(QRect(xc, 0, 1, window.height()), kGreen);
}

QRect LProjImage::GridCenterMark() const
{
  const std::optional<SliceMapping> mapping = Mapping();
  const int mode = m_Thickness.Mode();
  if (!mapping || !m_ShowThickness || !m_GridCenter || (mode != GridModeQuality && mode != GridModeQuantity))
    return QRect();
  const int cx = mapping->CentreX(static_cast<float>(m_GridCenter[0]));
  const int cy = mapping->CentreY(static_cast<float>(m_GridCenter[1]));
  return Edges(cx - 4, cy - 4, cx + 4, cy + 4);
}

void LProjImage::PaintGridCenter(PaneCanvas& canvas, TextPlacement& texts, QSize window) const
{
  const QRect mark = GridCenterMark();
  if (mark.isEmpty())
    return;
  canvas.FillRect(mark, kBlack);
  canvas.FillRect(mark.adjusted(1, 1, -1, -1), kRed);
  if (m_ShowOverlay) {
    const int w = window.width();
    texts.DrawShadowed(Edges(w - 79, 3, w - 4, 30), TextRight, GridCenterText(m_GridCenter[0], m_GridCenter[1]));
  }
}

void LProjImage::PaintColorBar(PaneCanvas& canvas, TextPlacement& texts) const
{
  for (int line = 0; line < kBarLines; ++line) {
    const uint8_t index = static_cast<uint8_t>(255 - 2 * line);
    canvas.FillRect(QRect(5, kBarTop + line, 10, 1),
                    platform::MakeColorRef(m_Palette.Red(index), m_Palette.Green(index), m_Palette.Blue(index)));
  }
  // The frame: a line above and below the bar and one on each side.
  canvas.FillRect(Edges(4, 9, 16, 10), kBlack);
  canvas.FillRect(Edges(4, 138, 16, 139), kBlack);
  canvas.FillRect(Edges(4, 9, 5, 138), kBlack);
  canvas.FillRect(Edges(15, 9, 16, 138), kBlack);
  texts.DrawShadowed(Edges(18, 3, 100, 150), TextTopLeft, ColorBarLabels(m_Thickness));
}

void LProjImage::PaintFigures(TextPlacement& texts, QSize window) const
{
  const int h = window.height();
  texts.DrawShadowed(Edges(5, h - 50, 150, h - 4), TextBottom, ThicknessFigures(m_Thickness));
}

void LProjImage::PaintSectorFigures(const PaneCanvas& canvas, TextPlacement& texts, QSize window) const
{
  const float w = static_cast<float>(window.width());
  const float h = static_cast<float>(window.height());
  // One line's height: the two lines are placed as if the text had one line above the middle.
  const int cy = canvas.LineHeight();
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
    // A sector too small for its figures at this size gives way to its neighbours'.
    texts.DrawShadowed(Edges(left, textTop, right, bottom), TextCentredAcross,
                       SectorFigures(m_Thickness.SectorMean(s), m_Thickness.SectorSD(s)));
  }
}
