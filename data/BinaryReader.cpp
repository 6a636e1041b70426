#include "data/BinaryReader.h"

#include "data/ReadableFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace binary {

bool FileReader::Open(const std::string& path, uint64_t largest)
{
  m_File.reset();
  m_Size = 0;
  m_Position = 0;
  readable::ReadableFile file = readable::Open(path, largest);
  m_Refusal = file.refusal;
  if (!file.IsOpen())
    return false;
  m_File.reset(::fdopen(file.descriptor.Get(), "rb"));
  if (!m_File) {
    m_Refusal = std::strerror(errno);
    return false;
  }
  (void)file.descriptor.Release();  // the stream closes it now
  m_Size = file.size;
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

bool ReadWholeFile(const std::string& path, std::string& text, uint64_t largest)
{
  FileReader file;
  if (!file.Open(path, std::min<uint64_t>(largest, text.max_size())))
    return false;
  text.resize(static_cast<size_t>(file.Size()));
  return file.ReadBytes(text.data(), file.Size());
}

}  // namespace binary
