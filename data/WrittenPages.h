#pragma once
// Which pages of a stretch of this process's own private memory may hold anything but 0. A
// page of a private anonymous mapping that is neither in memory nor swapped out was never
// written (or its contents were dropped) and reads as 0. A pass that looks only for what is
// not 0 skips such pages, and must: some kernels give every page read for the first time a
// page of memory of its own rather than the shared zero page, so a read-only pass over a
// mostly empty label volume would make all of it resident.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class WrittenPages {
public:
  // Every page may hold data: for memory whose untouched pages need not read as 0 (a shared
  // file), or whose pages cannot be looked up. Skipping nothing is only slower, never wrong.
  WrittenPages() = default;
  // The pages of [data, data + bytes), which must lie in a private anonymous mapping. When
  // the kernel's page table of this process cannot be read, every page may hold data.
  WrittenPages(const void* data, size_t bytes);

  // Whether the byte at `address` may be other than 0. Addresses outside the stretch looked
  // up may.
  bool MayHoldData(const void* address) const
  {
    const uintptr_t at = reinterpret_cast<uintptr_t>(address);
    if (m_Written.empty() || at < m_First)
      return true;
    const uintptr_t page = (at - m_First) >> m_PageShift;
    return page >= m_Written.size() || m_Written[page];
  }

  // Calls visit(first, last) for the runs of elements [first, last) of `values[0, count)`
  // that may hold data, in order: every other element is 0.
  template <typename Value, typename Visit>
  void ForEachWrittenRun(const Value* values, size_t count, Visit visit) const;

  // Gives back to the system the pages that held nothing but 0 when these were looked up
  // and have since only been read (by a pass that could not skip them), so that they hold no
  // memory again and still read as 0. Only for memory written nowhere since the look-up.
  void ReleaseUntouched() const;

private:
  uintptr_t m_First = 0;          // the first page's address
  unsigned m_PageShift = 12;
  std::vector<uint8_t> m_Written;  // per page from m_First: 1 may hold data; empty: all may
};

template <typename Value, typename Visit>
void WrittenPages::ForEachWrittenRun(const Value* values, size_t count, Visit visit) const
{
  if (m_Written.empty()) {
    if (count > 0)
      visit(size_t(0), count);
    return;
  }
  const uintptr_t pageBytes = uintptr_t(1) << m_PageShift;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(values);
  size_t first = 0;
  while (first < count) {
    // The elements up to the end of the page that element `first` begins in share its state.
    const uintptr_t at = begin + first * sizeof(Value);
    const uintptr_t pageEnd = (at / pageBytes + 1) * pageBytes;
    size_t last = std::min<size_t>(count, (pageEnd - begin + sizeof(Value) - 1) / sizeof(Value));
    const bool written = MayHoldData(values + first);
    while (last < count && MayHoldData(values + last) == written) {
      const uintptr_t next = (begin + last * sizeof(Value)) / pageBytes * pageBytes + pageBytes;
      last = std::min<size_t>(count, (next - begin + sizeof(Value) - 1) / sizeof(Value));
    }
    if (written)
      visit(first, last);
    first = last;
  }
}
