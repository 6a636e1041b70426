#pragma once
// The texts the loaders show when a file cannot be used, by kind.
#include "model/ResultKind.h"

#include <string>
#include <vector>

namespace loadmessages {

// "File error: 'Surfaces'"
std::string FileError(ResultKind kind);
// "This is not a 'Surfaces' xml file."
std::string NotXmlOfKind(ResultKind kind);
// "The XML version is lower than 4.0.0."
std::string OldVersion();
// "The size of 'Surfaces' is not equal to that of 'OCT'."
std::string SizeMismatch(ResultKind kind);
// The message for a result of an XML reader (kXmlLoadFailed, kXmlWrongRoot, kXmlOldVersion,
// kXmlNoMemory: the memory message of opening the kind); any other failure reads as a file
// error.
std::string ForXmlResult(ResultKind kind, int result);

// A markers or splines file that holds more than the panes can show: "'name' holds 3500
// 'Markers'; only the first 3000 are shown. Save them under another name: saving over this
// file would drop the others."
std::string OnlyFirstShown(ResultKind kind, const std::string& fileName, int count, int shown);
// Saving over such a file: "'name' holds more 'Markers' than are shown; saving over it
// would drop the others. Please save under another name."
std::string WouldDropEntries(ResultKind kind, const std::string& fileName);

// A folder holding more files of a kind than are loaded: how many, and the file names of
// those left out (the first ten, then how many more).
std::string NotAllLoaded(ResultKind kind, int count, int loaded, const std::vector<std::string>& leftOut);
// A file written but left writable although approval was asked for (or the reverse):
// "The approval of 'name' could not be set."
std::string ApprovalNotSet(const std::string& fileName);
// A name that a write refused, in a folder others can write: "'path' was not written: the
// name is taken by a link or by something other than a file."
std::string NameRefused(const std::string& path);
// A task whose full volume found no memory: "There is not enough memory to save 'Vessel';
// nothing was changed."
std::string NotEnoughMemory(const std::string& task);
// A task on one kind, as NotEnoughMemory names it: "save 'Vessel'".
std::string KindTask(const char* verb, ResultKind kind);

// Before a save writes over a file another program changed since it was read: "'name' was
// changed on disk since it was read. Overwrite it with the edits shown here?"
std::string ChangedOnDisk(const std::string& path);

// The detail shown under a failure's message: the file's path, then the reasons its reader
// or writer printed, at most a dozen lines of them.
std::string Detail(const std::string& path, const std::string& reasons);

inline const char* kNot3DTiff = "This is not a 3D TIFF file.";
inline const char* kUnsupportedScan = "Unsupporting OCT file!";
// Memory ran short after what the panes showed was let go: they show nothing of the scan.
inline const char* kPanesEmptiedForMemory =
    "There is not enough memory to show the scan; the panes stay empty until it is shown again.";

}  // namespace loadmessages
