#include "model/LoadMessages.h"

#include "data/XmlReadResult.h"
#include "model/ScanFolderScan.h"

namespace loadmessages {
namespace {
std::string Quoted(ResultKind kind)
{
  return std::string("'") + ResultKindName(kind) + "'";
}
}  // namespace

std::string FileError(ResultKind kind)
{
  return "File error: " + Quoted(kind);
}

std::string NotXmlOfKind(ResultKind kind)
{
  return "This is not a " + Quoted(kind) + " xml file.";
}

std::string OldVersion()
{
  return "The XML version is lower than 4.0.0.";
}

std::string OnlyFirstShown(ResultKind kind, const std::string& fileName, int count, int shown)
{
  return "'" + fileName + "' holds " + std::to_string(count) + " " + Quoted(kind) + "; only the first " +
         std::to_string(shown) + " are shown. Save them under another name: saving over this file would drop "
         "the others.";
}

std::string WouldDropEntries(ResultKind kind, const std::string& fileName)
{
  return "'" + fileName + "' holds more " + Quoted(kind) +
         " than are shown; saving over it would drop the others. Please save under another name.";
}

std::string ApprovalNotSet(const std::string& fileName)
{
  return "The approval of '" + fileName + "' could not be set.";
}

std::string NotEnoughMemory(const std::string& task)
{
  return "There is not enough memory to " + task + "; nothing was changed.";
}

std::string KindTask(const char* verb, ResultKind kind)
{
  return std::string(verb) + " " + Quoted(kind);
}

std::string ChangedOnDisk(const std::string& path)
{
  return "'" + scanfolder::FileName(path) + "' was changed on disk since it was read. Overwrite it with the edits shown here?";
}

std::string NameRefused(const std::string& path)
{
  return "'" + path + "' was not written: the name is taken by a link or by something other than a file.";
}

std::string SizeMismatch(ResultKind kind)
{
  return "The size of " + Quoted(kind) + " is not equal to that of 'OCT'.";
}

std::string Detail(const std::string& path, const std::string& reasons)
{
  constexpr int kShownLines = 12;
  std::string detail = path;
  size_t start = 0;
  for (int line = 0; start < reasons.size(); ++line) {
    if (line == kShownLines) {
      detail += "\n...";
      break;
    }
    const size_t end = reasons.find('\n', start);
    detail += "\n" + reasons.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? reasons.size() : end + 1;
  }
  return detail;
}

std::string ForXmlResult(ResultKind kind, int result)
{
  switch (result) {
    case kXmlWrongRoot: return NotXmlOfKind(kind);
    case kXmlOldVersion: return OldVersion();
    case kXmlNoMemory: return NotEnoughMemory(KindTask("open", kind));
    default: return FileError(kind);
  }
}

std::string NotAllLoaded(ResultKind kind, int count, int loaded, const std::vector<std::string>& leftOut)
{
  constexpr size_t kNamed = 10;
  std::string names;
  for (size_t i = 0; i < leftOut.size() && i < kNamed; ++i)
    names += (i == 0 ? "'" : ", '") + leftOut[i] + "'";
  if (leftOut.size() > kNamed)
    names += " and " + std::to_string(leftOut.size() - kNamed) + " more";
  return "The folder holds " + std::to_string(count) + " " + Quoted(kind) + " files; only " + std::to_string(loaded) +
         " are loaded. Not loaded: " + names + ".";
}

}  // namespace loadmessages
