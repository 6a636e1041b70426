#include "data/XmlFile.h"

#include "data/Diagnostics.h"
#include "data/NumberText.h"
#include "data/ReadableFile.h"
#include "data/XmlReadResult.h"

#include <cstdint>
#include <new>

namespace xmlfile {
namespace {

char LowerAscii(char c)
{
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int VersionPart(std::string_view text)
{
  return text.empty() ? 0 : numtext::ParseInt(text);
}

}  // namespace

int Load(XMLDocument& document, const std::string& path, uint64_t largest)
{
  const readable::Stream file = readable::OpenStream(path, largest);
  if (!file)
    return -1;
  try {
    if (document.LoadFile(file.get()) != tinyxml2::XML_SUCCESS) {
      diag::ReportFileFailure(path, document.ErrorStr());
      return -1;
    }
  } catch (const std::bad_alloc&) {
    diag::ReportFileFailure(path, "out of memory");
    return kXmlNoMemory;
  }
  return 0;
}

const XMLElement* FindRoot(const XMLDocument& document, const char* name)
{
  const XMLElement* root = document.FirstChildElement(name);
  if (!root)
    diag::Error(std::string("No ") + name + " tag");
  return root;
}

bool VersionPasses(std::string_view version)
{
  if (version == "NA")
    return false;
  const size_t firstDot = version.find('.');
  const std::string_view major = version.substr(0, firstDot);
  std::string_view minor;
  std::string_view patch;
  if (firstDot != std::string_view::npos) {
    const std::string_view rest = version.substr(firstDot + 1);
    const size_t secondDot = rest.find('.');
    minor = rest.substr(0, secondDot);
    if (secondDot != std::string_view::npos)
      patch = rest.substr(secondDot + 1);
  }
  // 64 bits: every part may be as large as an int.
  const int64_t value =
      (int64_t(VersionPart(major)) * 100 + VersionPart(minor)) * 100 + VersionPart(patch);
  return value >= 40000;
}

bool CheckVersion(const XMLElement& root, std::string& version)
{
  version = ChildString(&root, "version");
  if (VersionPasses(version))
    return true;
  diag::Error("XML version < 4.0.0");
  return false;
}

const XMLElement* Child(const XMLElement* parent, const char* name)
{
  return parent ? parent->FirstChildElement(name) : nullptr;
}

const XMLElement* Next(const XMLElement* element)
{
  return element ? element->NextSiblingElement(element->Name()) : nullptr;
}

const char* ChildText(const XMLElement* parent, const char* name)
{
  const XMLElement* child = Child(parent, name);
  return child ? child->GetText() : nullptr;
}

std::string ChildString(const XMLElement* parent, const char* name)
{
  const char* text = ChildText(parent, name);
  return text ? std::string(text) : std::string("NA");
}

std::string ChildLowerCase(const XMLElement* parent, const char* name)
{
  const char* text = ChildText(parent, name);
  std::string lower = text ? text : "";
  for (char& c : lower)
    c = LowerAscii(c);
  return lower;
}

int ChildInt(const XMLElement* parent, const char* name, int fallback)
{
  const char* text = ChildText(parent, name);
  return text ? numtext::ParseInt(text) : fallback;
}

float ChildFloat(const XMLElement* parent, const char* name, float fallback)
{
  const char* text = ChildText(parent, name);
  return text ? static_cast<float>(numtext::ParseDouble(text)) : fallback;
}

int ChildCount(const XMLElement* parent, const char* name)
{
  const int count = ChildInt(parent, name, 0);
  return count < 0 ? 0 : count;
}

}  // namespace xmlfile
