#include "data/BinaryReader.h"

#include <cerrno>
#include <sys/stat.h>

namespace binary {

bool FileReader::Open(const std::string& path)
{
  m_File.reset(std::fopen(path.c_str(), "rb"));
  m_Size = 0;
  m_Position = 0;
  if (!m_File)
    return false;
  struct stat st {};
  if (::fstat(::fileno(m_File.get()), &st) != 0 || !S_ISREG(st.st_mode)) {
    m_File.reset();
    errno = EISDIR;  // fopen accepts a folder; reading it would fail later
    return false;
  }
  m_Size = static_cast<uint64_t>(st.st_size);
  return true;
}

bool FileReader::Seek(uint64_t offset)
{
  if (!m_File || offset > m_Size)
    return false;
  if (::fseeko(m_File.get(), static_cast<off_t>(offset), SEEK_SET) != 0)
    return false;
  m_Position = offset;
  return true;
}

bool FileReader::ReadBytes(void* out, uint64_t bytes)
{
  if (!m_File || !Fits(bytes))
    return false;
  if (bytes > 0 && std::fread(out, 1, bytes, m_File.get()) != bytes)
    return false;
  m_Position += bytes;
  return true;
}

bool SpanReader::Seek(uint64_t offset)
{
  if (offset > m_Size)
    return false;
  m_Position = offset;
  return true;
}

bool SpanReader::ReadBytes(void* out, uint64_t bytes)
{
  if (!Fits(bytes))
    return false;
  if (bytes > 0)
    std::memcpy(out, Current(), bytes);
  m_Position += bytes;
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& text)
{
  FileReader file;
  if (!file.Open(path) || file.Size() > text.max_size())
    return false;
  text.resize(static_cast<size_t>(file.Size()));
  return file.ReadBytes(text.data(), file.Size());
}

}  // namespace binary
