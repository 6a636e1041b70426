#include "panes/ProjectionLayers.h"

#include "panes/PaneConventions.h"

namespace {

struct Rgb {
  int r, g, b;

  void Blend(platform::COLORREF colour, int opacity)
  {
    const float a = OpacityFraction(opacity);
    r = BlendChannel(r, platform::RedOf(colour), a, a);
    g = BlendChannel(g, platform::GreenOf(colour), a, a);
    b = BlendChannel(b, platform::BlueOf(colour), a, a);
  }
};

Rgb Base(const ProjectionLayers& in, size_t cell)
{
  if (!in.showProjection || !in.red || !in.green || !in.blue)
    return {0, 0, 0};
  return {in.red[cell], in.green[cell], in.blue[cell]};
}

Rgb ComposeCell(const ProjectionLayers& in, size_t cell)
{
  Rgb c = Base(in, cell);
  if (in.undefinedRegion && in.undefinedRegion[cell] == kUndefinedCell)
    c.Blend(in.undefinedColor, in.undefinedOpacity);
  if (in.disc) {
    if (IsDiscCup(in.disc[cell]))
      c.Blend(in.cupColor, in.cupOpacity);
    else if (IsDiscRim(in.disc[cell]))
      c.Blend(in.rimColor, in.rimOpacity);
  }
  const bool undefined = in.undefinedMask && in.undefinedMask[cell] != 0;
  if (in.thickness && in.palette && !undefined && in.thickness->Paints(cell)) {
    const uint8_t index = in.thickness->ColorIndex()[cell];
    const Rgb p{in.palette->Red(index), in.palette->Green(index), in.palette->Blue(index)};
    if (in.showProjection) {
      const float t = OpacityFraction(in.thicknessOpacity);
      c = {BlendChannel(c.r, p.r, t, t), BlendChannel(c.g, p.g, t, t), BlendChannel(c.b, p.b, t, t)};
    } else {
      c = p;
    }
  }
  return c;
}

}  // namespace

void ComposeLayers(const ProjectionLayers& in, QImage& bitmap)
{
  const int width = bitmap.width();
  const bool layers = in.colorMode == DibColors24Bit;
  for (int z = 0; z < bitmap.height(); ++z) {
    auto* row = reinterpret_cast<QRgb*>(bitmap.scanLine(z));
    for (int x = 0; x < width; ++x) {
      const size_t cell = static_cast<size_t>(x) + static_cast<size_t>(width) * static_cast<size_t>(z);
      Rgb c{0, 0, 0};
      if (layers)
        c = ComposeCell(in, cell);
      else if (in.red && in.green && in.blue)
        // The grey mode shows one plane; neither it nor the 32-bit mode draws layers.
        c = in.colorMode == DibColors256 ? Rgb{in.red[cell], in.red[cell], in.red[cell]}
                                         : Rgb{in.red[cell], in.green[cell], in.blue[cell]};
      row[x] = qRgb(c.r, c.g, c.b);
    }
  }
}
