#pragma once
// A coded field of a result file: the word written for each code and the lower-case words
// read as it.
#include <array>
#include <cstddef>
#include <string>

struct CodedWord {
  int code;
  const char* written;
  std::array<const char*, 2> accepted;   // unused entries are null
};

// The code whose accepted words hold the lower-cased text; 0 when none does.
template <size_t N>
int CodeOfWord(const CodedWord (&table)[N], const std::string& lowerText)
{
  for (const CodedWord& row : table)
    for (const char* word : row.accepted)
      if (word && lowerText == word)
        return row.code;
  return 0;
}

// The word written for a code; empty (an element without text) for a code not in the table.
template <size_t N>
const char* WordOfCode(const CodedWord (&table)[N], int code)
{
  for (const CodedWord& row : table)
    if (row.code == code)
      return row.written;
  return "";
}
