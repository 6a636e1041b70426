#pragma once
// What the files of a kind's entry looked like on disk when they were read or last saved:
// their size and modification time. A save compares them with the disk, so that a file
// another program (the analysis suite, a colleague's copy) rewrote since is not overwritten
// without asking.
#include <cstdint>
#include <string>
#include <vector>

class FileStamp {
public:
  // Stamps nothing: nothing counts as changed.
  FileStamp() = default;
  // The files as they are on disk now.
  static FileStamp Take(const std::vector<std::string>& paths);

  // The first stamped file that is on disk now and differs in size or modification time
  // from what it was, or was not there then; "" when none did change. A file gone since
  // is not a change: overwriting it loses nothing.
  std::string FirstChanged() const;

private:
  struct Seen {
    std::string path;
    bool present = false;
    uint64_t size = 0;
    int64_t modifiedNs = 0;
  };
  static Seen Look(const std::string& path);

  std::vector<Seen> m_Files;
};
