#include "data/LExecutableList.h"

#include <new>
#include <utility>

#include "data/Diagnostics.h"
#include "data/LResultHeader.h"
#include "data/XmlFile.h"
#include "data/XmlReadResult.h"

namespace {

using xmlfile::XMLElement;

constexpr const char* kRoot = "executables";

// The number of elements of that name below the parent, counted up to limit + 1 only.
int CountElements(const XMLElement* parent, const char* name, int limit)
{
  int n = 0;
  for (const XMLElement* e = xmlfile::Child(parent, name); e && n <= limit; e = xmlfile::Next(e))
    ++n;
  return n;
}

// The count element's value, or the number of counted elements without it; -1 after an
// error line when it is beyond the limit.
int BoundedCount(const XMLElement* parent, const char* countName, const char* elementName, int limit)
{
  const int count = xmlfile::Child(parent, countName) ? xmlfile::ChildCount(parent, countName)
                                                      : CountElements(parent, elementName, limit);
  return count > limit ? ResultTooLarge(kRoot) : count;
}

std::string TextOrEmpty(const XMLElement* element)
{
  const char* text = element ? element->GetText() : nullptr;
  return text ? text : "";
}

bool ReadExecutable(const XMLElement* executable, LExecutableList& list)
{
  const int argc = BoundedCount(executable, "argc", "argv", LExecutableList::kMaxArguments);
  if (argc < 0)
    return false;
  // A missing name reads "NA", a name element without text "".
  const XMLElement* name = xmlfile::Child(executable, "name");
  list.names.push_back(name ? TextOrEmpty(name) : "NA");
  list.argumentCounts.push_back(argc);
  std::vector<std::string> argv(static_cast<size_t>(argc));
  std::vector<std::string> descriptions(static_cast<size_t>(argc));
  xmlfile::ElementWalk argvWalk(executable, "argv"), descriptionWalk(executable, "argv_description");
  for (int j = 0; j < argc; ++j) {
    argv[size_t(j)] = TextOrEmpty(argvWalk.Next());
    descriptions[size_t(j)] = TextOrEmpty(descriptionWalk.Next());
  }
  list.arguments.push_back(std::move(argv));
  list.argumentDescriptions.push_back(std::move(descriptions));
  return true;
}

}  // namespace

int LExecutableList::Read(const std::string& path)
{
  xmlfile::XMLDocument document;
  if (xmlfile::Load(document, path) != 0) {
    diag::PrintLine("Error: fopen\n");
    return kXmlLoadFailed;
  }
  const XMLElement* root = xmlfile::FindRoot(document, kRoot);
  if (!root)
    return kXmlWrongRoot;
  std::string fileVersion;
  const bool versionPasses = xmlfile::CheckVersion(*root, fileVersion);
  version = fileVersion;
  if (!versionPasses)
    return kXmlOldVersion;

  // Read into a fresh list, so that a file refused half-way changes nothing.
  LExecutableList read;
  read.version = fileVersion;
  try {
    read.count = BoundedCount(root, "executable_num", "executable", kMaxExecutables);
    if (read.count < 0)
      return kXmlLoadFailed;
    xmlfile::ElementWalk executables(root, "executable");
    for (int i = 0; i < read.count; ++i)
      if (!ReadExecutable(executables.Next(), read))
        return kXmlLoadFailed;
  } catch (const std::bad_alloc&) {
    diag::Error("Out of memory reading " + path);
    return kXmlLoadFailed;
  }
  read.loaded = true;
  *this = std::move(read);
  return kXmlOk;
}
