#pragma once
// Drawing a slice pane's bitmap and frame into a window.
#include "panes/SliceMapping.h"
#include "platform/ColorRef.h"

#include <QImage>
#include <QPainter>

// Stretches the mapping's visible part of the bitmap over the whole window, nearest
// neighbour.
void DrawVisiblePart(QPainter& painter, const QImage& bitmap, const SliceMapping& mapping, QSize window);

// A frame two pixels wide along every edge of the window.
void DrawFrame(QPainter& painter, QSize window, platform::COLORREF color);
