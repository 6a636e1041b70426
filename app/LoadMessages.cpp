#include "app/LoadMessages.h"

#include "data/XmlReadResult.h"

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

std::string SizeMismatch(ResultKind kind)
{
  return "The size of " + Quoted(kind) + " is not equal to that of 'OCT'.";
}

std::string ForXmlResult(ResultKind kind, int result)
{
  switch (result) {
    case kXmlWrongRoot: return NotXmlOfKind(kind);
    case kXmlOldVersion: return OldVersion();
    default: return FileError(kind);
  }
}

}  // namespace loadmessages
