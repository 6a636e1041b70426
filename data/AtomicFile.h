#pragma once
// Writes a file so that it is either wholly replaced or left as it was: the bytes go to a
// temporary file in the target's folder, every write and the close are checked, and only
// then is the temporary renamed over the target and the folder flushed. Every step goes
// through the target's folder opened once, so that no folder of the path swapped meanwhile
// can redirect it. A target that is a symbolic link the origin may follow keeps being one:
// the file it names is replaced; any other link, or a name that is not a regular file, is
// refused (see WriteTarget.h). Without Commit() the temporary is removed.
#include "data/WriteTarget.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

class AtomicFile {
public:
  AtomicFile(const std::filesystem::path& target, writetarget::WriteOrigin origin);
  // A write to a destination already resolved (a name in a folder held open).
  explicit AtomicFile(writetarget::Destination destination);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // False once anything failed (the target was refused, the temporary could not be created,
  // or a write failed); later writes are ignored.
  bool IsOpen() const { return m_Fd >= 0 && !m_Failed; }
  bool Write(const void* data, size_t size);
  bool Write(std::string_view text) { return Write(text.data(), text.size()); }
  // Overwrites bytes already written, for a header whose sizes are known only at the end.
  bool WriteAt(uint64_t offset, const void* data, size_t size);

  // Flushes, closes, renames over the target and flushes its folder. False when any step
  // failed; the old target is untouched unless only the folder's flush failed.
  [[nodiscard]] bool Commit();

  // Why the write failed, naming the path concerned (a read-only folder rather than the
  // file); not set while everything went well.
  const writetarget::WriteFailure& Failure() const { return m_Failure; }

private:
  void Open();
  void Fail(int error);
  void Discard();

  writetarget::Destination m_Target;
  std::string m_TempName;
  int m_Fd = -1;
  bool m_Failed = false;
  writetarget::WriteFailure m_Failure;
};

// Writes the whole text to the target safely: 0 on success, -1 with the old file kept.
[[nodiscard]] int WriteFileAtomically(const std::filesystem::path& target, std::string_view text,
                                      writetarget::WriteOrigin origin);
// Copies a file to the target the same way: 0, or -1 with the old target kept.
[[nodiscard]] int CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& target,
                                     writetarget::WriteOrigin origin);
// The same to a destination already resolved (a name in a folder held open).
[[nodiscard]] int CopyFileAtomically(const std::filesystem::path& from, writetarget::Destination destination);
