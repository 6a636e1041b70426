#include "data/DecodeService.h"

#include "data/DecodeWire.h"
#include "data/Diagnostics.h"
#include "data/LOCTVolume.h"
#include "data/ReadableFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include <itkMultiThreaderBase.h>

namespace decoder {

namespace {

bool g_OutOfMemory = false;

// Tests make the helper fail as a broken decoder would, through this variable.
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

// Failed allocations end in std::bad_alloc as before; the helper only notes that memory
// ran out, to say so.
void NoteOutOfMemory()
{
  g_OutOfMemory = true;
  std::set_new_handler(nullptr);
  throw std::bad_alloc();
}

// The address space already in use, in bytes: the libraries and, in sanitizer builds, the
// shadow memory reserved at start, which the limit must not count.
uint64_t AddressSpaceInUse()
{
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  unsigned long long pages = 0;
  if (statm) {
    if (std::fscanf(statm, "%llu", &pages) != 1)
      pages = 0;
    std::fclose(statm);
  }
  return pages * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
}

bool WriteAll(int fd, const void* data, size_t size)
{
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, at, size);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    at += n;
    size -= size_t(n);
  }
  return true;
}

}  // namespace

void ReportOutOfMemory(const std::string& path, uint64_t memoryBytes)
{
  diag::Error("Reading " + path + " needs more memory than the decoder may use (" + std::to_string(memoryBytes >> 20) +
              " MiB)");
}

std::vector<std::string> RequestArguments(const DecodeRequest& request)
{
  return {request.kind, request.path, std::to_string(request.memoryBytes), std::to_string(request.parent)};
}

bool ParseRequest(int argc, char** argv, DecodeRequest& request)
{
  if (argc != 5)
    return false;
  request.kind = argv[1];
  request.path = argv[2];
  char* end = nullptr;
  request.memoryBytes = std::strtoull(argv[3], &end, 10);
  if (*end != '\0')
    return false;
  request.parent = static_cast<pid_t>(std::strtol(argv[4], &end, 10));
  return *end == '\0' && (request.kind == kScanRequest || request.kind == kImageRequest);
}

bool EnterLimits(DecodeRequest& request)
{
  if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != request.parent)
    return false;
  const rlimit noCore{0, 0};
  (void)::setrlimit(RLIMIT_CORE, &noCore);  // lowering never fails; a core dump only costs disk
  // The address space may grow by the budget, but never past the limit the helper inherited
  // (a shell's ulimit, a batch scheduler's or a container's cap): raising it would need a
  // privilege, and escaping it would take memory the user did not grant. Where the limit
  // cannot be set the inherited one still holds, and the decode goes on within it.
  const uint64_t inUse = AddressSpaceInUse();
  rlimit inherited{RLIM_INFINITY, RLIM_INFINITY};
  (void)::getrlimit(RLIMIT_AS, &inherited);
  uint64_t limit = inUse + request.memoryBytes;
  if (inherited.rlim_cur != RLIM_INFINITY)
    limit = std::min<uint64_t>(limit, inherited.rlim_cur);
  const rlimit memory{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
  (void)::setrlimit(RLIMIT_AS, &memory);
  request.memoryBytes = limit > inUse ? limit - inUse : 0;
  return true;
}

int Serve(const DecodeRequest& request, const Decoders& decoders, const std::function<void()>& beforeRead)
{
  // One file is read on the helper's own thread: the toolkit's pool of workers, which its
  // reader objects start by default, costs more to start than a read gains from it.
  itk::MultiThreaderBase::SetGlobalDefaultThreader(itk::MultiThreaderBase::ThreaderEnum::Platform);
  itk::MultiThreaderBase::SetGlobalDefaultNumberOfThreads(1);
  DecodedRecord record;
  std::string dataPath;
  std::set_new_handler(NoteOutOfMemory);
  try {
    if (beforeRead)
      beforeRead();
    record.result = request.kind == kScanRequest ? decoders.scan(request.path, record, dataPath)
                                                 : decoders.image(request.path, record);
  } catch (const std::bad_alloc&) {
    g_OutOfMemory = true;
  }
  if (g_OutOfMemory) {
    ReportOutOfMemory(request.path, request.memoryBytes);
    // A picture has no code of its own for it; a volume has.
    record.result = request.kind == kScanRequest ? kScanNoMemory : -1;
  }
  if (record.result != 0) {
    record.sharedBytes = 0;
    record.extent = VoxelExtent();
    record.dataPathBytes = 0;
    dataPath.clear();
  }
  std::fflush(nullptr);
  return WriteAll(kResultFd, &record, sizeof record) && WriteAll(kResultFd, dataPath.data(), dataPath.size()) ? 0 : 1;
}

}  // namespace decoder

namespace decoder {

void ServeAndExit(int argc, char** argv, const Decoders& decoders)
{
  DecodeRequest request;
  if (!ParseRequest(argc, argv, request) || !EnterLimits(request) ||
      !(request.kind == kScanRequest ? bool(decoders.scan) : bool(decoders.image)))
    ::_exit(2);
  readable::UseHandedOver(request.path, kInputFd);
  const char* fault = std::getenv(kFaultVariable);
  const int status = Serve(request, decoders, [&] {
    if (fault)
      InjectFault(fault, request.memoryBytes);
  });
  // Straight out: the toolkits' static destructors have nothing to give back, and a
  // decoder that damaged its heap could crash in them.
  std::fflush(nullptr);
  ::_exit(status);
}

}  // namespace decoder
