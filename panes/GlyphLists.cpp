#include "panes/GlyphLists.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Windows sizes a font by its cell height, Qt by its em: the pixel size that gives the cell.
QFont FontOfCellHeight(int cellHeight)
{
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(QFont::Bold);
  font.setPixelSize(cellHeight);
  const int cell = QFontMetrics(font).height();
  if (cell > 0 && cell != cellHeight)
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(double(cellHeight) * cellHeight / cell))));
  return font;
}

// The glyph painted in grey levels (a mono image paints nothing), then thresholded into the
// bottom-up, most-significant-bit-first rows glBitmap takes.
void CompileGlyph(const QFont& font, const QFontMetrics& metrics, QChar ch)
{
  const QRect ink = metrics.boundingRect(ch);
  const int advance = metrics.horizontalAdvance(ch);
  const int left = std::min(0, ink.left());
  const int width = std::max({1, advance - left, ink.right() + 1 - left});
  const int height = std::max(1, metrics.height());
  QImage glyph(width, height, QImage::Format_Grayscale8);
  glyph.fill(0);
  {
    QPainter painter(&glyph);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(-left, metrics.ascent(), QString(ch));
  }
  const int rowBytes = (width + 7) / 8;
  std::vector<GLubyte> bits(static_cast<size_t>(rowBytes) * height, 0);
  for (int y = 0; y < height; ++y) {
    const uchar* line = glyph.constScanLine(height - 1 - y);
    GLubyte* row = bits.data() + static_cast<size_t>(y) * rowBytes;
    for (int x = 0; x < width; ++x)
      if (line[x] >= 128)
        row[x / 8] |= static_cast<GLubyte>(0x80 >> (x % 8));
  }
  glBitmap(width, height, static_cast<GLfloat>(-left), static_cast<GLfloat>(metrics.descent()),
           static_cast<GLfloat>(advance), 0.0f, bits.data());
}

}  // namespace

GLuint GlyphLists::ListsFor(int cellHeight, std::string_view text)
{
  if (cellHeight <= 0)
    return 0;
  if (m_First == 0 || m_Height != cellHeight) {
    Release();
    m_First = glGenLists(kCharCount);
    if (m_First == 0)
      return 0;
    m_Height = cellHeight;
  }
  Build(text);
  return m_First;
}

void GlyphLists::Release()
{
  if (m_First != 0)
    glDeleteLists(m_First, kCharCount);
  m_First = 0;
  m_Height = 0;
  m_Built.fill(false);
}

int GlyphLists::IndexOf(char c)
{
  const int i = static_cast<unsigned char>(c) - kFirstChar;
  return i >= 0 && i < kCharCount ? i : -1;
}

void GlyphLists::Build(std::string_view text)
{
  const auto missing = [this](char c) {
    const int i = IndexOf(c);
    return i >= 0 && !m_Built[static_cast<size_t>(i)];
  };
  if (std::none_of(text.begin(), text.end(), missing))
    return;
  const QFont font = FontOfCellHeight(m_Height);
  const QFontMetrics metrics(font);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  for (const char c : text) {
    if (!missing(c))
      continue;
    const int i = IndexOf(c);
    glNewList(m_First + static_cast<GLuint>(i), GL_COMPILE);
    CompileGlyph(font, metrics, QChar(kFirstChar + i));
    glEndList();
    m_Built[static_cast<size_t>(i)] = true;
  }
  glPopClientAttrib();
}
