#pragma once
// Bounded reading of binary scan files. Every read states how many bytes it needs and
// fails (returns false, reads nothing more) when the file or buffer does not hold them,
// so a truncated or lying header can never make a reader run past the data.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>

namespace binary {

// Decodes a fixed-width integer or IEEE float stored little- or big-endian.
template <typename T>
T Decode(const unsigned char* bytes, bool bigEndian)
{
  static_assert(std::is_arithmetic_v<T>, "numbers only");
  unsigned char ordered[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i)
    ordered[i] = bigEndian ? bytes[sizeof(T) - 1 - i] : bytes[i];
  T value;
  std::memcpy(&value, ordered, sizeof(T));  // the host is little-endian (x86-64)
  return value;
}

// The product of sizes read from a file, when every size is positive and the product does
// not exceed limit; 0 otherwise. Never overflows, whatever the sizes.
inline uint64_t BoundedProduct(std::initializer_list<int64_t> sizes, uint64_t limit)
{
  uint64_t product = 1;
  for (const int64_t size : sizes) {
    if (size <= 0 || uint64_t(size) > limit / product)
      return 0;
    product *= uint64_t(size);
  }
  return product;
}

// Sequential reader over a file, with the file's size known up front.
class FileReader {
public:
  FileReader() = default;
  // Opens a regular file of at most `largest` bytes for reading, without ever waiting on
  // what lies under the name (readable::Open); false (errno set, Refusal() saying why)
  // otherwise.
  bool Open(const std::string& path, uint64_t largest = UINT64_MAX);
  bool IsOpen() const { return m_File != nullptr; }
  const std::string& Refusal() const { return m_Refusal; }

  uint64_t Size() const { return m_Size; }
  uint64_t Tell() const { return m_Position; }
  uint64_t Remaining() const { return m_Size - m_Position; }
  bool Fits(uint64_t bytes) const { return bytes <= Remaining(); }

  bool Seek(uint64_t offset);
  bool Skip(uint64_t bytes) { return Fits(bytes) && Seek(m_Position + bytes); }
  bool ReadBytes(void* out, uint64_t bytes);

  template <typename T> bool ReadLE(T& value) { return ReadNumber(value, false); }
  template <typename T> bool ReadBE(T& value) { return ReadNumber(value, true); }

private:
  template <typename T> bool ReadNumber(T& value, bool bigEndian)
  {
    unsigned char bytes[sizeof(T)];
    if (!ReadBytes(bytes, sizeof(T)))
      return false;
    value = Decode<T>(bytes, bigEndian);
    return true;
  }

  struct Closer { void operator()(std::FILE* f) const { std::fclose(f); } };
  std::unique_ptr<std::FILE, Closer> m_File;
  std::string m_Refusal;
  uint64_t m_Size = 0;
  uint64_t m_Position = 0;
};

// The same reading over bytes already in memory (a decompressed file, a header block).
class SpanReader {
public:
  SpanReader(const void* data, uint64_t size)
    : m_Data(static_cast<const unsigned char*>(data)), m_Size(size) {}

  uint64_t Size() const { return m_Size; }
  uint64_t Tell() const { return m_Position; }
  uint64_t Remaining() const { return m_Size - m_Position; }
  bool Fits(uint64_t bytes) const { return bytes <= Remaining(); }
  const unsigned char* Current() const { return m_Data + m_Position; }

  bool Seek(uint64_t offset);
  bool Skip(uint64_t bytes) { return Fits(bytes) && Seek(m_Position + bytes); }
  bool ReadBytes(void* out, uint64_t bytes);

  template <typename T> bool ReadLE(T& value) { return ReadNumber(value, false); }
  template <typename T> bool ReadBE(T& value) { return ReadNumber(value, true); }

private:
  template <typename T> bool ReadNumber(T& value, bool bigEndian)
  {
    if (!Fits(sizeof(T)))
      return false;
    value = Decode<T>(Current(), bigEndian);
    m_Position += sizeof(T);
    return true;
  }

  const unsigned char* m_Data;  // borrowed: the caller keeps the bytes alive
  uint64_t m_Size;
  uint64_t m_Position = 0;
};

// The whole of a regular file of at most `largest` bytes, read into `text` at its own size
// (no growing copies, nothing taken for a larger file); false (errno set) when it cannot be
// opened or read.
bool ReadWholeFile(const std::string& path, std::string& text, uint64_t largest = UINT64_MAX);

}  // namespace binary
