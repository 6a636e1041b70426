#pragma once
// What every safe write shares: which file a write to a name may replace (a symbolic link
// planted in a shared folder must not send the bytes elsewhere), a temporary name beside it
// that is short (a result name may use nearly all of the 255 bytes a name can have) and
// that no folder scan takes for a result, the removal of temporaries that a killed process
// left behind, and the flush of the folder that makes a rename survive a power cut.
#include <filesystem>
#include <string>

namespace writetarget {

// Who asked for a write decides what a symbolic link at the name may do.
enum class WriteOrigin {
  // A file the program makes on its own (a mesh cache while loading, an exported picture,
  // a program's prepared input, a download): a link at the name is never followed.
  kProgram,
  // A path the user chose to save to: a link is followed where the kernel's protected
  // symlinks rule would let the user follow it, so the user's own links keep working.
  kUser,
};

// The file a write to the path replaces: the path itself, or for a link (a chain of them)
// allowed by the origin the file it finally names, which need not exist yet. Empty when the
// write is refused: a link the origin does not follow, or something other than a regular
// file at the name (a folder, a pipe, a device).
std::filesystem::path ResolveTarget(const std::filesystem::path& path, WriteOrigin origin);

// Creates the folder, or takes the folder that is already there; a link or a file under
// that name is refused. False (errno set) when there is no real folder of that name now.
bool MakeRealFolder(const std::filesystem::path& folder);

// The folder a file of the path lies in ("." for a bare name).
std::filesystem::path FolderOf(const std::filesystem::path& path);

// A mkstemp/mkdtemp pattern in the folder: a hidden name with no kind's part and no
// extension. Temporaries of this user that a killed save or download left there more than
// a day ago are removed first (once per folder and process).
std::string TemporaryPattern(const std::filesystem::path& folder);

// True when the name (not the path) starts with "." and so belongs to no scan folder.
bool IsHiddenName(const std::string& name);

// Flushes a file's bytes, or a folder's entries (a rename in it), to disk. False when that
// failed.
bool SyncToDisk(const std::filesystem::path& path);

}  // namespace writetarget
