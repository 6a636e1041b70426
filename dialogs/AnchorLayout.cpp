#include "dialogs/AnchorLayout.h"

#include <algorithm>

namespace {

struct Span {
  int start;
  int end;  // one past the last pixel
};

// One axis: the far edge first, from the client size or the kept length; then the near
// edge, from its recorded distance or back from the far edge.
Span ResolveAxis(Anchor nearRule, Anchor farRule, int nearDistance, int farGap, int length, int clientLength)
{
  const int end = farRule == Anchor::Edge ? clientLength - farGap : nearDistance + length;
  const int start = nearRule == Anchor::Edge ? nearDistance : end - length;
  return {start, std::max(start, end)};
}

}  // namespace

AnchorRecord RecordAnchor(const QRect& control, const QSize& client)
{
  AnchorRecord record;
  record.left = control.x();
  record.top = control.y();
  record.width = control.width();
  record.height = control.height();
  record.rightGap = client.width() - (control.x() + control.width());
  record.bottomGap = client.height() - (control.y() + control.height());
  return record;
}

QRect ResolveAnchor(const AnchorRule& rule, const AnchorRecord& record, const QSize& client)
{
  const Span across = ResolveAxis(rule.left, rule.right, record.left, record.rightGap, record.width, client.width());
  const Span down = ResolveAxis(rule.top, rule.bottom, record.top, record.bottomGap, record.height, client.height());
  return QRect(across.start, down.start, across.end - across.start, down.end - down.start);
}
