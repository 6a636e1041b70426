#pragma once
// What every safe write shares: where the bytes really go when the target is a symbolic
// link, a temporary name beside it that is short (a result name may use nearly all of the
// 255 bytes a name can have) and that no folder scan takes for a result, and the flush of
// the folder that makes a rename survive a power cut.
#include <filesystem>
#include <string>

namespace writetarget {

// The file a write to the path replaces: the path itself, or for a symbolic link (a chain
// of them) the file it finally names, which need not exist yet.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// The folder a file of the path lies in ("." for a bare name).
std::filesystem::path FolderOf(const std::filesystem::path& path);

// A mkstemp/mkdtemp pattern in the folder: a hidden name with no kind's part and no extension.
std::string TemporaryPattern(const std::filesystem::path& folder);

// True when the name (not the path) starts with "." and so belongs to no scan folder.
bool IsHiddenName(const std::string& name);

// Flushes a file's bytes, or a folder's entries (a rename in it), to disk. False when that
// failed.
bool SyncToDisk(const std::filesystem::path& path);

}  // namespace writetarget
