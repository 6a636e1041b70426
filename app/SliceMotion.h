#pragma once
// What moves one slice pane by itself: its playback and its Save All sequence, each driven
// by a 200 ms timer of the view.
#include "app/LAviWriter.h"
#include "app/LFrameBuffer.h"

#include <string>

class QTimer;

enum PlaybackState : int { PlayingForward = 0, PlayingBackward = 1, Stopped = 2 };

struct SliceMotion {
  QTimer* playbackTimer = nullptr;  // children of the view, owned by Qt
  QTimer* saveAllTimer = nullptr;
  int playback = Stopped;

  // A Save All walks its own counter; the pane's coordinate only ever takes real slices.
  bool saveAllRunning = false;
  bool captureNext = false;  // a slice is rendered on one tick and captured on the next
  int nextSlice = 0;
  int savedIndex = 0;
  bool toMovie = true;
  bool failed = false;
  std::string target;  // the movie, or the folder of the numbered images
  LAviWriter writer;
  LFrameBuffer frame;
};
