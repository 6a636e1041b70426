#pragma once
// Copies a rendered pane into a movie frame: the overlap of the two from the top-left
// corner, as a copy between device contexts would, so a pane resized during a recording
// neither overruns the frame nor stops it.
#include <QImage>

class LFrameBuffer;

void CopyImageToFrameBuffer(const QImage& image, LFrameBuffer& frame);
