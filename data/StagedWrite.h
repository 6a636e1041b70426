#pragma once
// Safe writing for a library that writes a file by name and may write further files beside
// it (a header with its data file, both named after the target). The library writes into a
// private folder created next to the target, under the target's own name, so every name it
// derives or records is the final one. Commit() then moves each file written there into
// the target's folder, the target itself last; until then the old files stay untouched,
// and without a commit the private folder is removed with everything in it. The private
// folder has a short hidden name that no folder scan takes for a result. Every name written
// beside the target (the target's and its data file's) follows the origin's rule for links
// (see WriteTarget.h).
#include "data/WriteTarget.h"

#include <filesystem>
#include <vector>

class StagedWrite {
public:
  StagedWrite(const std::filesystem::path& target, writetarget::WriteOrigin origin);
  ~StagedWrite();
  StagedWrite(const StagedWrite&) = delete;
  StagedWrite& operator=(const StagedWrite&) = delete;

  // False (errno set) when the target is refused or the private folder could not be created.
  bool IsOpen() const { return !m_Folder.empty(); }
  // The path the library is to write.
  std::filesystem::path StagedPath() const { return m_Folder / m_Target.filename(); }

  // Flushes every staged file to disk and moves it over its namesake beside the target (a
  // symbolic link there that the origin follows keeps being one: the file it names is
  // replaced), then flushes the folder. False when the target was not written, or when a
  // name beside the target is refused (a folder of that name, another user's link); every
  // old file is then as it was.
  [[nodiscard]] bool Commit();

private:
  struct Move;
  bool Prepare(std::vector<Move>& moves) const;
  bool MoveAll(std::vector<Move>& moves) const;

  std::filesystem::path m_Target;
  writetarget::WriteOrigin m_Origin;
  std::filesystem::path m_Folder;
};
