#pragma once
// The texts the loaders show when a file cannot be used, by kind.
#include "app/ResultKind.h"

#include <string>

namespace loadmessages {

// "File error: 'Surfaces'"
std::string FileError(ResultKind kind);
// "This is not a 'Surfaces' xml file."
std::string NotXmlOfKind(ResultKind kind);
// "The XML version is lower than 4.0.0."
std::string OldVersion();
// "The size of 'Surfaces' is not equal to that of 'OCT'."
std::string SizeMismatch(ResultKind kind);
// The message for a result of an XML reader (kXmlLoadFailed, kXmlWrongRoot, kXmlOldVersion);
// any other failure reads as a file error.
std::string ForXmlResult(ResultKind kind, int result);

inline const char* kNot3DTiff = "This is not a 3D TIFF file.";
inline const char* kUnsupportedScan = "Unsupporting OCT file!";

}  // namespace loadmessages
