// strataview-decoder: reads one file that a toolkit decodes, on behalf of the program,
// which started it (see data/DecoderHelper.h). Never started by hand.
#include "data/DecodeService.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

// Tests make the helper fail as a broken decoder would, through this variable, which only
// the helper reads: "abort", "crash", "hang" or "allocate" (beyond the memory limit).
constexpr const char* kFaultVariable = "STRATAVIEW_DECODER_FAULT";

void InjectFault(const char* fault, uint64_t memoryBytes)
{
  if (std::strcmp(fault, "abort") == 0)
    std::abort();
  if (std::strcmp(fault, "crash") == 0)
    std::raise(SIGSEGV);
  if (std::strcmp(fault, "hang") == 0)
    for (;;)
      ::pause();
  if (std::strcmp(fault, "allocate") == 0) {
    std::vector<char> everything(memoryBytes + (uint64_t(1) << 30));
    std::printf("%c", everything[everything.size() / 2]);
  }
}

}  // namespace

int main(int argc, char** argv)
{
  decoder::DecodeRequest request;
  if (!decoder::ParseRequest(argc, argv, request) || !decoder::EnterLimits(request))
    return 2;
  const char* fault = std::getenv(kFaultVariable);
  const int status = decoder::Serve(request, [&] {
    if (fault)
      InjectFault(fault, request.memoryBytes);
  });
  // Straight out: the toolkits' static destructors have nothing to give back, and a
  // decoder that damaged its heap could crash in them.
  std::fflush(nullptr);
  ::_exit(status);
}
