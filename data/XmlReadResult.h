#pragma once
// The answer of every XML reader of result records, grid definitions and the executables
// list.
enum XmlReadResult : int {
  kXmlOk = 0,
  kXmlLoadFailed = -1,   // missing, unreadable, not well-formed, or counts beyond the limits
  kXmlWrongRoot = -2,    // the root element of the kind is missing
  kXmlOldVersion = -3,   // the version is missing, "NA" or below 4.0.0
  kXmlNoMemory = -4,     // memory for the file's content could not be had: not a fault of the file
};
