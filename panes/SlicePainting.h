#pragma once
// Drawing a slice pane's bitmap into a window.
#include "panes/SliceMapping.h"

#include <QImage>
#include <QPainter>

// Stretches the mapping's visible part of the bitmap over the whole window, nearest
// neighbour.
void DrawVisiblePart(QPainter& painter, const QImage& bitmap, const SliceMapping& mapping, QSize window);

