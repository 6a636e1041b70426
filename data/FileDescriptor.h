#pragma once
// An owned POSIX file descriptor, closed with the object.
#include <unistd.h>

#include <utility>

class FileDescriptor {
public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : m_Fd(fd) {}
  ~FileDescriptor() { Reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : m_Fd(std::exchange(other.m_Fd, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept
  {
    if (this != &other) {
      Reset();
      m_Fd = std::exchange(other.m_Fd, -1);
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return m_Fd; }
  bool IsOpen() const { return m_Fd >= 0; }
  // Gives the descriptor up to a new owner (a C stream, zlib) and returns it.
  [[nodiscard]] int Release() { return std::exchange(m_Fd, -1); }
  void Reset()
  {
    if (m_Fd >= 0)
      ::close(m_Fd);
    m_Fd = -1;
  }

private:
  int m_Fd = -1;
};
