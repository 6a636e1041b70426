#pragma once
// The conventions every XML file of the program shares when it is read: loading with the
// reason of a failure reported, the root and version checks, element lookup with atoi/atof
// values. Files are written by XmlWriter.
#include <cstdint>
#include <string>
#include <string_view>

#include <tinyxml2.h>

namespace xmlfile {

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

// Loads the file into the document (entities decoded, white space preserved). -1 when it
// cannot be opened, is not a regular file or is larger than `largest` bytes (the reason on
// standard error, nothing read), or is not well-formed XML (the parser's own description on
// standard error); kXmlNoMemory when memory for its content could not be had; 0 otherwise.
[[nodiscard]] int Load(XMLDocument& document, const std::string& path, uint64_t largest = UINT64_MAX);

// The root element of that name, or null after printing "Error: No <name> tag\n".
const XMLElement* FindRoot(const XMLDocument& document, const char* name);

// The version rule: "NA" fails; otherwise major.minor.patch (missing parts 0, each read as
// atoi reads it) passes when (major * 100 + minor) * 100 + patch is at least 40000.
bool VersionPasses(std::string_view version);

// Reads the root's "version" element into version ("NA" when it has no text) and applies
// the version rule; prints "Error: XML version < 4.0.0\n" when it fails.
bool CheckVersion(const XMLElement& root, std::string& version);

// The first child element of that exact name; null when the parent is null or has none.
const XMLElement* Child(const XMLElement* parent, const char* name);
// The next sibling element of the same name; null after the last one or for null.
const XMLElement* Next(const XMLElement* element);

// The text of the named child, or null when the child is missing or has no text.
const char* ChildText(const XMLElement* parent, const char* name);
// The text of the named child, or "NA" when it is missing or has no text.
std::string ChildString(const XMLElement* parent, const char* name);
// The text of the named child, lower-cased ("" when missing), for matching coded words.
std::string ChildLowerCase(const XMLElement* parent, const char* name);
// atoi / atof of the named child's text, or the fallback when it is missing or empty.
int ChildInt(const XMLElement* parent, const char* name, int fallback);
float ChildFloat(const XMLElement* parent, const char* name, float fallback);
// A count or size: atoi of the named child's text, 0 when missing, below 0 read as 0.
int ChildCount(const XMLElement* parent, const char* name);

// Walks the elements of one name below a parent for a given count: Next() yields the
// elements present in order and then null for every position beyond the last one, so
// that a missing element reads like an element without children.
class ElementWalk {
public:
  ElementWalk(const XMLElement* parent, const char* name) : m_Next(Child(parent, name)) {}
  const XMLElement* Next()
  {
    const XMLElement* current = m_Next;
    m_Next = xmlfile::Next(current);
    return current;
  }

private:
  const XMLElement* m_Next;
};

}  // namespace xmlfile
