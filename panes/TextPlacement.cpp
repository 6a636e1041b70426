#include "panes/TextPlacement.h"

#include <algorithm>

namespace {

std::vector<std::string> SplitLines(const std::string& text)
{
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

std::vector<QRect> TextPlacement::LineRects(const PaneCanvas& canvas, const QRect& box, int format,
                                            const std::string& text)
{
  const std::vector<std::string> lines = SplitLines(text);
  const int lineHeight = canvas.LineHeight();
  const int count = static_cast<int>(lines.size());
  const bool bottom = (format & TextBottom) && !(format & (TextCentred | TextCentredAcross));
  const bool centred = format & TextCentred;
  int top = box.top();
  if (bottom)
    top = box.top() + box.height() - count * lineHeight;
  else if (centred)
    top = box.top() + (box.height() - count * lineHeight) / 2;
  std::vector<QRect> rects;
  for (int i = 0; i < count; ++i) {
    if (lines[size_t(i)].empty())
      continue;
    const int width = canvas.TextWidth(lines[size_t(i)]);
    int left = box.left();
    if (format & (TextCentred | TextCentredAcross))
      left = box.left() + (box.width() - width) / 2;
    else if (format & TextRight)
      left = box.left() + box.width() - width;
    // The white text lies one pixel up and to the left of its shadow.
    const QRect line = QRect(left, top + i * lineHeight, width, lineHeight).adjusted(-1, -1, 0, 0);
    const QRect shown = line & box.adjusted(-1, -1, 0, 0);
    if (!shown.isEmpty())
      rects.push_back(shown);
  }
  return rects;
}

bool TextPlacement::FitsAcross(const PaneCanvas& canvas, const QRect& box, const std::string& text)
{
  const std::vector<std::string> lines = SplitLines(text);
  return box.width() > 0 && std::all_of(lines.begin(), lines.end(), [&](const std::string& line) {
           return canvas.TextWidth(line) <= box.width();
         });
}

bool TextPlacement::Fits(const PaneCanvas& canvas, const QRect& box, const std::string& text)
{
  return FitsAcross(canvas, box, text) && BottomOfLines(canvas, box, text) <= box.top() + box.height();
}

int TextPlacement::BottomOfLines(const PaneCanvas& canvas, const QRect& box, const std::string& text)
{
  return box.top() + canvas.LineHeight() * static_cast<int>(SplitLines(text).size());
}

bool TextPlacement::DrawShadowed(const QRect& box, int format, const std::string& text)
{
  if (box.width() <= 0 || box.height() <= 0)
    return false;
  const std::vector<QRect> lines = LineRects(m_Canvas, box, format, text);
  const bool covers = std::any_of(lines.begin(), lines.end(), [this](const QRect& line) {
    return std::any_of(m_Taken.begin(), m_Taken.end(), [&line](const QRect& taken) { return line.intersects(taken); });
  });
  if (covers)
    return false;
  ::DrawShadowed(m_Canvas, box, format, text);
  m_Taken.insert(m_Taken.end(), lines.begin(), lines.end());
  return true;
}
