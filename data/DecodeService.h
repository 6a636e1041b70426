#pragma once
// The decoder helper's side: it reads one file with the program's own readers, under the
// limits the program set, and hands the result back (see DecodeWire.h).
#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace decoder {

struct DecodeRequest {
  std::string kind;  // kScanRequest or kImageRequest
  std::string path;
  uint64_t memoryBytes = 0;  // how far the helper's address space may grow
  pid_t parent = 0;          // the program; the helper does not outlive it
};

// The helper's arguments after its own path, and back.
std::vector<std::string> RequestArguments(const DecodeRequest& request);
bool ParseRequest(int argc, char** argv, DecodeRequest& request);

// Ties the helper to the program (killed when the program ends), leaves no core dump and
// bounds its memory; false when the program is already gone or a limit cannot be set.
bool EnterLimits(const DecodeRequest& request);

// The "Error: " line of a read that needs more memory than a decode may take.
void ReportOutOfMemory(const std::string& path, uint64_t memoryBytes);

// Reads the file, writes the result record and the voxels or planes, and returns the exit
// status. `beforeRead` (tests only) runs first, inside the same guard as the read.
int Serve(const DecodeRequest& request, const std::function<void()>& beforeRead);

}  // namespace decoder
