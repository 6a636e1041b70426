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
//
// The target's folder and the private folder are held open from the start: the library
// is given a path through the private folder's open descriptor, and every move is a rename
// from that descriptor into the target folder's, so that a folder of the path swapped for a
// link meanwhile redirects nothing.
#include "data/WriteTarget.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class StagedWrite {
public:
  StagedWrite(const std::filesystem::path& target, writetarget::WriteOrigin origin);
  // The target `name` in a folder already open (one the program made for its files).
  StagedWrite(const writetarget::OpenFolder& folder, const std::string& name, writetarget::WriteOrigin origin);
  ~StagedWrite();
  StagedWrite(const StagedWrite&) = delete;
  StagedWrite& operator=(const StagedWrite&) = delete;

  // False (errno set) when the target is refused or the private folder could not be created.
  bool IsOpen() const { return m_Private.fd.IsOpen(); }
  // The path the library is to write.
  std::filesystem::path StagedPath() const;
  // Writes a further file into the private folder; it moves beside the target with it.
  bool WriteBeside(const std::string& name, std::string_view text) const;

  // Flushes every staged file to disk and moves it over its namesake beside the target (a
  // symbolic link there that the origin follows keeps being one: the file it names is
  // replaced), then flushes the folder. False when the target was not written, or when a
  // name beside the target is refused (a folder of that name, another user's link); every
  // old file is then as it was.
  [[nodiscard]] bool Commit();

  // Why the write was refused or failed, naming the path concerned; not set otherwise.
  const writetarget::WriteFailure& Failure() const { return m_Failure; }

private:
  struct Move;
  void Begin();
  bool Prepare(std::vector<Move>& moves);
  bool MoveAll(std::vector<Move>& moves);
  bool IsPrivateFolderOurs() const;

  std::string m_TargetName;
  writetarget::WriteOrigin m_Origin;
  writetarget::OpenFolder m_TargetFolder;  // the folder the target's path names
  writetarget::OpenFolder m_Parent;        // the folder the private one lies in
  std::string m_PrivateName;
  writetarget::OpenFolder m_Private;
  writetarget::WriteFailure m_Failure;
};
