#pragma once
// Inputs of the fuzzing harnesses. Readers are chosen by a file's name, so every input is
// written as the file (or the files) its route expects, in one private folder per process.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

std::string_view Bytes(const uint8_t* data, size_t size);

// Writes bytes as the file name in the process's folder and returns its path.
std::string WriteInput(const std::string& name, std::string_view bytes);

// Removes the file name from the process's folder, if it is there.
void RemoveInput(const std::string& name);

// The part of bytes before the first marker and the part after it; after is empty and
// found false when the marker is missing.
struct Split {
  std::string_view before;
  std::string_view after;
  bool found = false;
};
Split SplitAt(std::string_view bytes, std::string_view marker);

}  // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

// Reads bytes as the scan file of the given name, through the extension's route.
void ReadScanNamed(const std::string& name, std::string_view bytes);

// Reads bytes as a result file of the record's kind.
template <typename Record>
void ReadRecord(std::string_view bytes)
{
  Record record;
  (void)record.ReadXml(WriteInput("result.xml", bytes));
}

}  // namespace fuzz
