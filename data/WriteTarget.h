#pragma once
// What every safe write shares: where a write to a name goes, found so that nobody else can
// redirect it (a symbolic link planted in a shared folder, or a folder of the path swapped
// for one after the check, must not send the bytes elsewhere), a temporary name beside it
// that is short (a result name may use nearly all of the 255 bytes a name can have) and
// that no folder scan takes for a result, the removal of temporaries that a killed process
// left behind, and the flush of the folder that makes a rename survive a power cut.
//
// A write goes through its folder opened once: the folder is opened one name at a time
// without following any link but the user's own (or the system's), and every later step
// (the check of the name, the temporary, the rename, the flush) is made relative to that
// open folder, so that what the path names afterwards no longer matters.
#include "data/FileDescriptor.h"

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace writetarget {

// Who asked for a write decides what a symbolic link at the name may do.
enum class WriteOrigin {
  // A file the program makes on its own (a mesh cache while loading, an exported picture,
  // a program's prepared input, a download): a link at the name is never followed.
  kProgram,
  // A path the user chose to save to: a link is followed only when it belongs to the user,
  // so the user's own links keep working and nobody else's is written through.
  kUser,
};

// Why a write cannot go ahead, with the path it concerns (the file, or its folder).
struct WriteFailure {
  std::filesystem::path path;
  std::string reason;
  // The name, or a folder of the path, is taken by something a write may not go through
  // (a link not followed, a folder or pipe at a file's name), rather than failing as writes
  // do (a missing or read-only folder, a full disk).
  bool taken = false;
  bool IsSet() const { return !reason.empty(); }
  // "<path>: <reason>"
  std::string Text() const { return path.string() + ": " + reason; }
};

// A folder held open for writing into it, with the path it was reached by (for messages).
struct OpenFolder {
  FileDescriptor fd;
  std::filesystem::path path;
};

// Where a write to a name goes: the folder it lies in, held open, and its name there; for a
// link the origin follows, the folder and name of the file it finally names.
struct Destination {
  OpenFolder folder;
  std::string name;
  bool exists = false;
  struct stat existing {};  // what lies under the name now, when it exists
  WriteFailure refusal;     // set when the write may not go ahead

  bool IsRefused() const { return refusal.IsSet(); }
  std::filesystem::path Path() const { return folder.path / name; }
};

// Where a write to the path goes. Refused: a link the origin does not follow, anywhere on
// the path; something other than a regular file at the name (a folder, a pipe, a device);
// a folder that cannot be opened.
Destination Resolve(const std::filesystem::path& path, WriteOrigin origin);
// The same for a name in a folder already open (the files written beside a target).
Destination ResolveIn(const OpenFolder& folder, const std::string& name, WriteOrigin origin);

// The folder the path's file lies in, opened as Resolve opens it; the failure is set when it
// cannot be.
OpenFolder OpenFolderOf(const std::filesystem::path& path, WriteFailure& failure);

// The names in the open folder but "." and "..".
std::vector<std::string> NamesIn(int folderFd);

// The file a write to the path replaces (see Resolve), or empty when its name or a folder
// of its path is taken (see WriteFailure::taken).
std::filesystem::path ResolveTarget(const std::filesystem::path& path, WriteOrigin origin);

// The mode the written file gets: the replaced file's own when it is the user's (its
// permission bits only), otherwise the one the user's umask gives a new file, so that a
// colleague's 0666 file lends nothing to the user's result.
mode_t ModeFor(const Destination& destination);

// Creates the folder for files the program prepares, or takes the folder already there
// when it is the user's own and nobody else may write it. Refused (with the reason naming
// the folder): a link or a file under that name, another user's folder, a folder others
// may write.
WriteFailure MakeOwnFolder(const std::filesystem::path& folder);
// The same, with the folder held open for the files written into it; nothing is open when
// the failure is set.
OpenFolder MakeOwnFolder(const std::filesystem::path& folder, WriteFailure& failure);

// The folder a file of the path lies in ("." for a bare name).
std::filesystem::path FolderOf(const std::filesystem::path& path);

// Creates a new file of a short hidden name in the open folder (never through a link, never
// over an existing name) and returns it open for writing; the name goes to `name`.
// Temporaries of this user that a killed save or download left there more than a day ago
// are removed first (once per folder and process). -1 with errno set on failure.
int CreateTemporaryFile(const OpenFolder& folder, std::string& name);
// The same for a private folder (mode 0700), returned open.
FileDescriptor CreateTemporaryFolder(const OpenFolder& folder, std::string& name);

// Removes the name and, for a folder, everything in it, never following a link.
void RemoveTree(int folderFd, const std::string& name);

// A reason for a failed step of a write into the folder, in words a user understands: a
// read-only folder is named as the cause rather than the file.
WriteFailure FailureOf(const Destination& destination, int error);

// True when the name (not the path) starts with "." and so belongs to no scan folder.
bool IsHiddenName(const std::string& name);

// Another descriptor of the same open file or folder (-1 on failure).
FileDescriptor Duplicate(const FileDescriptor& fd);

}  // namespace writetarget
