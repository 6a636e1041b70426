#include "app/AviError.h"

#include "app/DebugPrint.h"

const char* AviErrorText(int code)
{
  static const struct {
    int code;
    const char* text;
  } kTexts[] = {
      {avierr::kSuccess, "Success"},
      {avierr::kClassNotRegistered, "REGDB_E_CLASSNOTREG: file type not recognised"},
      {avierr::kUnsupported, "AVIERR_UNSUPPORTED: compression is not supported for this type of data"},
      {avierr::kBadFormat, "AVIERR_BADFORMAT: corrupt file or unrecognized format"},
      {avierr::kMemory, "AVIERR_MEMORY: insufficient memory"},
      {avierr::kInternal, "AVIERR_INTERNAL: internal error"},
      {avierr::kBadFlags, "AVIERR_BADFLAGS"},
      {avierr::kBadParam, "AVIERR_BADPARAM"},
      {avierr::kBadSize, "AVIERR_BADSIZE"},
      {avierr::kBadHandle, "AVIERR_BADHANDLE"},
      {avierr::kFileRead, "AVIERR_FILEREAD: disk error while reading file"},
      {avierr::kFileWrite, "AVIERR_FILEWRITE: disk error while writing file"},
      {avierr::kFileOpen, "AVIERR_FILEOPEN: disk error while opening file"},
      {avierr::kCompressor, "AVIERR_COMPRESSOR"},
      {avierr::kNoCompressor, "AVIERR_NOCOMPRESSOR: a suitable compressor could not be found"},
      {avierr::kReadOnly, "AVIERR_READONLY: file is read-only"},
      {avierr::kBufferTooSmall, "AVIERR_BUFFERTOOSMALL"},
      {avierr::kCantCompress, "AVIERR_CANTCOMPRESS"},
      {avierr::kUserAbort, "AVIERR_USERABORT"},
      {avierr::kError, "AVIERR_ERROR"},
  };
  for (const auto& t : kTexts)
    if (t.code == code)
      return t.text;
  return "Unknown";
}

void ReportAviError(int code)
{
  DebugPrint("%s\n", AviErrorText(code));
}
