#pragma once
// Finds corners of equal position among the vertices created while the previous slab and
// the current slab of cells were welded. Positions are compared exactly (float equality),
// so the result is that of a linear search over the same window, at constant cost per
// corner. Within the window every position occurs once, so the first match is the only one.
#include <cstddef>
#include <cstdint>
#include <vector>

class VertexWelder {
public:
  // The vertex at exactly this position in the window, or -1; the previous slab is
  // searched only when the caller knows the position may lie in it.
  int32_t Find(const float position[3], bool mayBeInPreviousSlab) const;
  // Records a vertex created while the current slab is welded.
  void Add(const float position[3], int32_t vertex);
  // The current slab becomes the previous one; the one before leaves the window.
  void NextSlab();

private:
  struct Entry {
    uint32_t key[3];
    int32_t vertex;  // -1: empty slot
  };
  class Table {
  public:
    int32_t Find(const uint32_t key[3]) const;
    void Insert(const uint32_t key[3], int32_t vertex);
    void Clear();

  private:
    size_t SlotOf(const uint32_t key[3]) const;
    void Grow();

    std::vector<Entry> m_Slots;
    std::vector<size_t> m_Used;  // occupied slots, so that clearing costs what was added
  };

  Table m_Previous;
  Table m_Current;
};
