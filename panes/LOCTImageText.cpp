// The orientation letters and the four info-text blocks of a slice pane.
#include "panes/LOCTImage.h"

#include "data/NumberText.h"
#include "panes/SliceFigures.h"
#include "panes/TextPlacement.h"

#include <algorithm>

namespace {

constexpr platform::COLORREF kShadow = 0x000000;
constexpr platform::COLORREF kTextColor = 0xFFFFFF;

// Letters at the four edges of a pane; null where none is drawn.
struct EdgeLetters {
  const char* left = nullptr;
  const char* right = nullptr;
  const char* top = nullptr;
  const char* bottom = nullptr;
};

// By laterality: right eye 1, left eye 2. Other values draw no letters.
EdgeLetters LettersFor(int orientation, int laterality)
{
  if (laterality != 1 && laterality != 2)
    return {};
  const bool right = laterality == 1;
  switch (orientation) {
  case OrientationXY: return {right ? "T" : "N", right ? "N" : "T", nullptr, nullptr};
  case OrientationZY: return {"S", "I", nullptr, nullptr};
  case OrientationXZ: return {right ? "T" : "N", right ? "N" : "T", "S", "I"};
  default: return {};
  }
}

}  // namespace

void LOCTImage::DrawOrientationLetters(PaneCanvas& canvas, QSize window) const
{
  const EdgeLetters letters = LettersFor(m_Orientation, m_Laterality);
  if (!letters.left)
    return;
  const int w = window.width();
  const int h = window.height();
  const int h2 = h / 2;
  const int w2 = w / 2;
  const struct {
    const char* letter;
    QRect shadow;
  } kPlaces[] = {
      {letters.left, Edges(5, h2 - 16, 25, h2 + 24)},
      {letters.right, Edges(w - 25, h2 - 16, w - 5, h2 + 24)},
      {letters.top, Edges(w2 - 7, -1, w2 + 13, 39)},
      {letters.bottom, Edges(w2 - 7, h - 36, w2 + 13, h + 4)},
  };
  canvas.SetFont(CanvasFont::Letters);
  // Every shadow goes first, so that no shadow covers a letter.
  for (const auto& p : kPlaces)
    if (p.letter)
      canvas.Text(p.shadow, TextCentred, p.letter, kShadow);
  for (const auto& p : kPlaces)
    if (p.letter)
      canvas.Text(p.shadow.translated(-1, -1), TextCentred, p.letter, kTextColor);
}

void LOCTImage::DrawInfoText(PaneCanvas& canvas, const OverlayFrame& f) const
{
  const int w = f.window.width();
  const int h = f.window.height();
  canvas.SetFont(CanvasFont::Info);
  const std::string caption = TopLeftText();
  const std::string position = TopRightText(f.position);
  // The position keeps its corner; a line wider than its box widens it to the left.
  QRect positionBox = Edges(w - 154, 3, w - 4, 80);
  const bool widePosition = !TextPlacement::FitsAcross(canvas, positionBox, position);
  if (widePosition)
    positionBox = Edges(5, 3, w - 4, 80);
  const QRect besideBox = Edges(5, 3, w - 155, 55);
  const bool captionBeside = !widePosition && TextPlacement::Fits(canvas, besideBox, caption);
  // In a small pane the boxes meet; a block that would cover an earlier one is left out.
  TextPlacement texts(canvas);
  if (captionBeside)
    texts.DrawShadowed(besideBox, TextTopLeft, caption);
  texts.DrawShadowed(positionBox, TextRight, position);
  texts.DrawShadowed(Edges(5, h - 53, 200, h - 4), TextBottom, BottomLeftText());
  texts.DrawShadowed(Edges(w - 154, h - 37, w - 4, h - 4), TextRight | TextBottom, BottomRightText());
  if (captionBeside)
    return;
  // A caption too wide for its corner lies whole under the position, across the pane, where
  // it covers none of the figures; failing that it stays in its corner, cut where the
  // position starts.
  const int top = TextPlacement::BottomOfLines(canvas, positionBox, position) + 1;
  const QRect underBox = Edges(5, top, w - 4, std::min(top + besideBox.height(), h - 4));
  const bool under = TextPlacement::Fits(canvas, underBox, caption) && texts.DrawShadowed(underBox, TextTopLeft, caption);
  if (!under && !widePosition)
    texts.DrawShadowed(besideBox, TextTopLeft, caption);
}

std::string LOCTImage::TopLeftText() const
{
  if (!m_ShowSurfaces)
    return m_Caption;
  return m_Caption + "\n" + m_SurfacesFileName + " / " + m_SurfacesModifier + " / " + (m_SurfacesApproval ? "Y" : "N");
}

std::string LOCTImage::TopRightText(const int* position) const
{
  const int x = position[AxisX];
  const int y = position[AxisY];
  const int z = position[AxisZ];
  // The displayed volume's own voxel, not the slab average.
  int value = 0;
  if (m_Voxels && x >= 0 && y >= 0 && z >= 0 && x < m_Size[AxisX] && y < m_Size[AxisY] && z < m_Size[AxisZ])
    value = m_Voxels[size_t(x) + size_t(m_Size[AxisX]) * (size_t(y) + size_t(m_Size[AxisY]) * size_t(z))];
  const double centre = m_WindowCentre ? *m_WindowCentre : 0.0f;
  const double width = m_WindowWidth ? *m_WindowWidth : 0.0f;
  return numtext::Format("(%d, %d, %d): %d\nWC: %.1f\nWW: %.1f", x, y, z, value, centre, width);
}

std::string LOCTImage::BottomLeftText() const
{
  // A figure that is off leaves its line empty, so that each keeps its place.
  std::string text = m_ShowDisc ? numtext::Format("LCDR: %.3f\n", double(m_LCDR)) : "\n";
  text += m_ShowVessel ? numtext::Format("Vessel Vol: %.3f mm3\n", double(LabelVolumeMm3(m_VesselLabels, m_Spacing))) : "\n";
  text += m_ShowSEAD ? numtext::Format("SEAD Vol: %.3f mm3", double(LabelVolumeMm3(m_SEADLabels, m_Spacing))) : "";
  return text;
}

std::string LOCTImage::BottomRightText() const
{
  std::string text = m_ShowMarkers ? numtext::Format("Marker: %d\n", m_Markers ? int(m_Markers->count) : 0) : "\n";
  text += m_ShowSplines ? numtext::Format("Spline: %d", m_Splines ? int(m_Splines->count) : 0) : "";
  return text;
}
