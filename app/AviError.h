#pragma once
// The error codes of the movie writer, with the values and texts of the AVIFile library,
// so that a code in a report means what it always meant.
#include <cstdint>

namespace avierr {

constexpr int Make(int n) { return static_cast<int>(0x80044000u + static_cast<uint32_t>(n)); }

constexpr int kSuccess = 0;
constexpr int kClassNotRegistered = static_cast<int>(0x80040154u);
constexpr int kUnsupported = Make(101);
constexpr int kBadFormat = Make(102);
constexpr int kMemory = Make(103);
constexpr int kInternal = Make(104);
constexpr int kBadFlags = Make(105);
constexpr int kBadParam = Make(106);
constexpr int kBadSize = Make(107);
constexpr int kBadHandle = Make(108);
constexpr int kFileRead = Make(109);
constexpr int kFileWrite = Make(110);
constexpr int kFileOpen = Make(111);
constexpr int kCompressor = Make(112);
constexpr int kNoCompressor = Make(113);
constexpr int kReadOnly = Make(114);
constexpr int kBufferTooSmall = Make(116);
constexpr int kCantCompress = Make(117);
constexpr int kUserAbort = Make(198);
constexpr int kError = Make(199);

}  // namespace avierr

// The text of a code ("Unknown" for a code outside the table).
const char* AviErrorText(int code);

// Writes the code's text and a line feed to the debug output.
void ReportAviError(int code);
