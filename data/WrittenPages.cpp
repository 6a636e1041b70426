#include "data/WrittenPages.h"

#include "data/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A page table entry of /proc/PID/pagemap: the page is in memory, or in swap.
constexpr uint64_t kPresent = uint64_t(1) << 63;
constexpr uint64_t kSwapped = uint64_t(1) << 62;

// Entries read at a time: a bounded buffer for any size of volume.
constexpr size_t kEntriesPerRead = size_t(1) << 15;

unsigned Log2(uintptr_t power)
{
  unsigned shift = 0;
  while ((uintptr_t(1) << shift) < power)
    ++shift;
  return shift;
}

// Reads `count` entries from entry `first` on; false when the table cannot be read whole.
bool ReadEntries(int fd, uintptr_t first, size_t count, std::vector<uint64_t>& entries)
{
  entries.resize(count);
  auto* into = reinterpret_cast<char*>(entries.data());
  size_t wanted = count * sizeof(uint64_t);
  auto at = off_t(first * sizeof(uint64_t));
  while (wanted > 0) {
    const ssize_t got = ::pread(fd, into, wanted, at);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return false;
    into += got;
    at += got;
    wanted -= size_t(got);
  }
  return true;
}

}  // namespace

WrittenPages::WrittenPages(const void* data, size_t bytes)
{
  if (!data || bytes == 0)
    return;
  const auto pageBytes = uintptr_t(::sysconf(_SC_PAGESIZE));
  if (pageBytes == 0 || (pageBytes & (pageBytes - 1)) != 0)
    return;
  const FileDescriptor table(::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC));
  if (!table.IsOpen())
    return;
  const auto begin = reinterpret_cast<uintptr_t>(data);
  const uintptr_t firstPage = begin / pageBytes;
  const uintptr_t endPage = (begin + bytes - 1) / pageBytes + 1;
  std::vector<uint8_t> written(size_t(endPage - firstPage));
  std::vector<uint64_t> entries;
  for (uintptr_t page = firstPage; page < endPage; page += kEntriesPerRead) {
    const size_t count = size_t(std::min<uintptr_t>(kEntriesPerRead, endPage - page));
    if (!ReadEntries(table.Get(), page, count, entries))
      return;  // unknown: every page may hold data
    for (size_t i = 0; i < count; ++i)
      written[size_t(page - firstPage) + i] = (entries[i] & (kPresent | kSwapped)) != 0;
  }
  m_First = firstPage * pageBytes;
  m_PageShift = Log2(pageBytes);
  m_Written = std::move(written);
}

void WrittenPages::ReleaseUntouched() const
{
  const uintptr_t pageBytes = uintptr_t(1) << m_PageShift;
  size_t page = 0;
  while (page < m_Written.size()) {
    if (m_Written[page]) {
      ++page;
      continue;
    }
    const size_t first = page;
    while (page < m_Written.size() && !m_Written[page])
      ++page;
    // Only advice: pages that stay hold memory, and still read as 0.
    (void)::madvise(reinterpret_cast<void*>(m_First + first * pageBytes), (page - first) * pageBytes, MADV_DONTNEED);
  }
}
