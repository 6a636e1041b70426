#pragma once
// Shows the busy cursor for the guard's lifetime; ends on every exit path.
namespace platform {

class WaitCursor {
public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace platform
