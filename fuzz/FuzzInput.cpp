#include "fuzz/FuzzInput.h"

#include "data/LOCTVolume.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fuzz {

namespace {

// Made at the first input, removed when the process ends.
class WorkFolder {
public:
  WorkFolder()
  {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/strataview-fuzz-XXXXXX";
    if (const char* made = ::mkdtemp(pattern.data()))
      m_Path = made;
  }
  ~WorkFolder()
  {
    std::error_code ignored;
    if (!m_Path.empty())
      std::filesystem::remove_all(m_Path, ignored);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  std::string PathOf(const std::string& name) const { return m_Path + "/" + name; }

private:
  std::string m_Path;
};

const WorkFolder& Folder()
{
  static const WorkFolder folder;
  return folder;
}

}  // namespace

std::string_view Bytes(const uint8_t* data, size_t size)
{
  return {reinterpret_cast<const char*>(data), size};
}

std::string WriteInput(const std::string& name, std::string_view bytes)
{
  const std::string path = Folder().PathOf(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

void RemoveInput(const std::string& name)
{
  std::error_code ignored;
  std::filesystem::remove(Folder().PathOf(name), ignored);
}

Split SplitAt(std::string_view bytes, std::string_view marker)
{
  const size_t at = bytes.find(marker);
  if (at == std::string_view::npos)
    return {bytes, {}, false};
  return {bytes.substr(0, at), bytes.substr(at + marker.size()), true};
}

void ReadScanNamed(const std::string& name, std::string_view bytes)
{
  LOCTVolume volume;
  (void)volume.ReadScanFile(WriteInput(name, bytes));
}

}  // namespace fuzz
