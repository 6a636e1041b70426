#pragma once
// The decoder helper's side: it reads one file with the program's own readers, under the
// limits the program set, and hands the result back (see DecodeWire.h).
#include "data/DecodeWire.h"

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
// bounds its memory, within the limit it inherited; the request's memory then says what the
// helper may take. False when the program is already gone.
bool EnterLimits(DecodeRequest& request);

// The "Error: " line of a read that needs more memory than a decode may take.
void ReportOutOfMemory(const std::string& path, uint64_t memoryBytes);

// How a helper reads each kind of request; a kind without a reader is not served.
struct Decoders {
  // A scan or label volume, into the record and the shared file or as a data file's path.
  std::function<int(const std::string& path, DecodedRecord& record, std::string& dataPath)> scan;
  // A 2-D picture, into the record and the shared file.
  std::function<int(const std::string& path, DecodedRecord& record)> image;
};

// Reads the file, writes the result record and the voxels or planes, and returns the exit
// status. `beforeRead` (tests only) runs first, inside the same guard as the read.
int Serve(const DecodeRequest& request, const Decoders& decoders, const std::function<void()>& beforeRead);

// The whole of a helper's run: takes the request from the arguments, enters the limits,
// serves the request and ends the process with the exit status (2: a request it does not
// take). Tests make it fail as a broken decoder would, through the variable
// STRATAVIEW_DECODER_FAULT, which only the helpers read: "abort", "crash", "hang" or
// "allocate" (beyond the memory limit).
[[noreturn]] void ServeAndExit(int argc, char** argv, const Decoders& decoders);

}  // namespace decoder
