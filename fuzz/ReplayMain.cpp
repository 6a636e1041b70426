// Feeds files to a harness without the fuzzing engine, so that the sanitizer build replays
// the seeds and the saved faults as ordinary tests:
//   <harness>_replay FILE_OR_FOLDER...
// Folders are walked recursively. A fault stops the process through the sanitizers.
#include "fuzz/FuzzInput.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::filesystem::path> FilesBelow(const std::filesystem::path& start)
{
  std::vector<std::filesystem::path> files;
  if (std::filesystem::is_directory(start)) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(start))
      if (entry.is_regular_file() && entry.path().filename() != "README.md")
        files.push_back(entry.path());
  } else {
    files.push_back(start);
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv)
{
  size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    if (!std::filesystem::exists(argv[i])) {
      std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
      return 1;
    }
    for (const auto& file : FilesBelow(argv[i])) {
      std::ifstream in(file, std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
      std::fprintf(stderr, "replaying %s\n", file.c_str());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  std::fprintf(stderr, "%zu inputs replayed\n", replayed);
  return replayed > 0 ? 0 : 1;
}
