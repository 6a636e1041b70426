#include "dialogs/SampleFileTable.h"

#include <algorithm>

const std::array<SampleFile, 9> SampleFileTable = {{
  {"Zeiss_Macula.img", 40960000},
  {"Zeiss_Macula2.mhd", 352},
  {"Zeiss_Macula2.raw", 40960000},
  {"Zeiss_Macula3.tif", 40996550},
  {"Zeiss_ONH.img", 40960000},
  {"Topcon_Macula.fds", 138199648},
  {"Topcon_ONH.fds", 138200713},
  {"Heidelberg_Macula.vol", 96349868},
  {"Heidelberg_ONH.vol", 96349868},
}};

uint64_t SampleFileSize(const std::string& name)
{
  const auto entry = std::find_if(SampleFileTable.begin(), SampleFileTable.end(),
                                  [&name](const SampleFile& file) { return name == file.name; });
  return entry == SampleFileTable.end() ? 0 : entry->size;
}

bool PassesSizeCheck(const std::string& name, uint64_t size)
{
  const uint64_t expected = SampleFileSize(name);
  return expected != 0 && size == expected;
}
