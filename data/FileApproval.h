#pragma once
// A result file is "approved" when nobody may write it: no write bit for user, group or
// others. Root ignores permissions, so savers ask IsApproved() themselves before they
// replace a file instead of relying on the open to fail.
#include <filesystem>

namespace approval {

// True when the file exists and has no write bit at all.
bool IsApproved(const std::filesystem::path& file);

// Approving clears every write bit; withdrawing approval gives the owner write access
// again. False when the file's mode cannot be read or changed.
bool SetApproved(const std::filesystem::path& file, bool approved);

// True when the path may be written: it does not exist yet or it is not approved.
bool MayOverwrite(const std::filesystem::path& file);

}  // namespace approval
