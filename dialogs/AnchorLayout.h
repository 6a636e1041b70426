#pragma once
// How a control of a resizable dialog follows the dialog's edges. Each edge of the control
// either keeps its distance to the same edge of the client area (Edge), or follows the
// opposite edge of the control so that the control keeps its width or height (KeepSize).
#include <QRect>
#include <QSize>

enum class Anchor { Edge, KeepSize };

struct AnchorRule {
  Anchor left, top, right, bottom;
};

namespace AnchorRules {
constexpr AnchorRule kStretchBoth{Anchor::Edge, Anchor::Edge, Anchor::Edge, Anchor::Edge};
constexpr AnchorRule kStretchAcross{Anchor::Edge, Anchor::Edge, Anchor::Edge, Anchor::KeepSize};
constexpr AnchorRule kRight{Anchor::KeepSize, Anchor::Edge, Anchor::Edge, Anchor::KeepSize};
constexpr AnchorRule kBottomRight{Anchor::KeepSize, Anchor::KeepSize, Anchor::Edge, Anchor::Edge};
constexpr AnchorRule kBottomAcross{Anchor::Edge, Anchor::KeepSize, Anchor::Edge, Anchor::Edge};
constexpr AnchorRule kBottomLeft{Anchor::Edge, Anchor::KeepSize, Anchor::KeepSize, Anchor::Edge};
}  // namespace AnchorRules

// A control's place when the layout was recorded, in client pixels.
struct AnchorRecord {
  int left = 0;       // from the client's left edge
  int top = 0;        // from the client's top edge
  int rightGap = 0;   // from the control's right edge to the client's
  int bottomGap = 0;  // from the control's bottom edge to the client's
  int width = 0;
  int height = 0;
};

AnchorRecord RecordAnchor(const QRect& control, const QSize& client);

// The control's place in a client area of the given size. A client too small for the
// recorded gaps gives an empty control at its left (top) edge, never a negative size.
QRect ResolveAnchor(const AnchorRule& rule, const AnchorRecord& record, const QSize& client);
