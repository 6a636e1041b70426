#pragma once
// Opening a file to read it. Whoever can write a folder can put a named pipe, a socket, a
// device or a folder under a name the program reads, and opening a pipe the ordinary way
// waits for a writer for ever. Every file the program reads is therefore opened without
// blocking and checked, on the opened descriptor (a look at the name beforehand could be
// outrun by a swap), to be a regular file before a byte of it is read; anything else is
// refused at once. A caller that knows how large a file of its kind can be gives that bound,
// and a larger file is refused before any memory is taken for it.
#include "data/FileDescriptor.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include <zlib.h>

namespace readable {

// No bound on the file's size.
constexpr uint64_t kAnySize = UINT64_MAX;

// An open regular file, or why it is not open.
struct ReadableFile {
  FileDescriptor descriptor;
  uint64_t size = 0;
  std::string refusal;  // empty when open; otherwise the reason, as a user reads it

  bool IsOpen() const { return descriptor.IsOpen(); }
};

// Opens path for reading (O_NONBLOCK | O_NOCTTY | O_CLOEXEC) when it is a regular file of at
// most `largest` bytes. Otherwise nothing is read and the refusal says why: the system's
// reason for a failed open, the kind of thing that is not a regular file, or the file's size
// beside the bound. errno is set on every refusal.
ReadableFile Open(const std::string& path, uint64_t largest = kAnySize);

// In the decoder helper: the file the program opened and checked for `path`, handed over at
// descriptor `fd`. From then on every opening of `path` in this process opens that very file,
// whatever the name has come to stand for since the check.
void UseHandedOver(const std::string& path, int fd);

// The name under which a library that opens files itself should open `path`: the handed-over
// file's own name (/proc/self/fd/N) when `path` is the handed-over one, `path` otherwise.
std::string NameToOpen(const std::string& path);

// Whether `path` still names the handed-over file; true for any other path. For libraries that
// must open the file by its own name (a header whose data file lies beside it).
bool StillNamesHandedOver(const std::string& path);

// Prints "<path>: <refusal>" on standard error, as a file that cannot be opened is reported.
void ReportRefusal(const std::string& path, const ReadableFile& file);

// The same opening, handed over to a C stream or to zlib (which passes a file that is not
// compressed through unchanged); null after the refusal was reported.
struct StreamCloser {
  void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using Stream = std::unique_ptr<std::FILE, StreamCloser>;
Stream OpenStream(const std::string& path, uint64_t largest = kAnySize);

struct GzipCloser {
  void operator()(gzFile file) const { gzclose(file); }
};
using GzipStream = std::unique_ptr<gzFile_s, GzipCloser>;
GzipStream OpenGzip(const std::string& path);

// Up to `bytes` bytes from the start of the file (fewer when it is shorter); false after the
// refusal or a read error was reported.
bool ReadHead(const std::string& path, uint64_t bytes, std::string& head);

// Reads exactly `bytes` bytes at `offset`; false when the file ends first or a read fails.
bool ReadAt(const FileDescriptor& file, void* out, uint64_t bytes, uint64_t offset);

}  // namespace readable
