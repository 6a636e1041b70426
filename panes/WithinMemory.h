#pragma once
// A pane's own event (a paint, a press, a drag step) that runs out of memory ends there: what
// it changed before stays, the rest of it is not done, and the program goes on. An exception
// cannot be carried out of an event handler.
#include <new>

template <typename Event>
bool RunWithinMemory(Event event) noexcept
{
  try {
    event();
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}
