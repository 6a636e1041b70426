#pragma once
// Voxel buffers in memory mappings of their own. The decoder helper decodes straight into a
// shared memory file and the program keeps its mapping as the volume's buffer, so the voxels
// cross between the two processes without a copy; voxels the program reads itself go into
// memory of its own, advised to be backed by huge pages unless only some of it is written.
#include <cstddef>
#include <utility>

#include <itkImportImageContainer.h>

namespace decoder {

// A memory mapping, unmapped with the object.
class MemoryMapping {
public:
  MemoryMapping() = default;
  // The first bytes of a file, shared with every other mapping of it; an empty mapping when
  // the file cannot be mapped. `populate` maps every page at once (for memory another
  // process has written already).
  static MemoryMapping Map(int fd, size_t bytes, bool populate);
  // At least `bytes` bytes of this process's own memory, reading as zeros, aligned and
  // advised for huge pages: a large buffer then takes one page fault per 2 MiB instead of
  // one per 4 KiB as it is first written. Empty when the memory cannot be had.
  static MemoryMapping Private(size_t bytes);
  // `bytes` bytes of this process's own memory, reading as zeros, without that advice: a
  // page is taken only when something is first written into it, so that a buffer written
  // only here and there (labels) holds memory only there.
  static MemoryMapping Zeroed(size_t bytes);
  ~MemoryMapping();
  MemoryMapping(MemoryMapping&& other) noexcept
      : m_Data(std::exchange(other.m_Data, nullptr)), m_Bytes(std::exchange(other.m_Bytes, 0)),
        m_Private(std::exchange(other.m_Private, false)) {}
  MemoryMapping& operator=(MemoryMapping&& other) noexcept;
  MemoryMapping(const MemoryMapping&) = delete;
  MemoryMapping& operator=(const MemoryMapping&) = delete;

  void* Data() const { return m_Data; }
  size_t Bytes() const { return m_Bytes; }
  // Whether this is the process's own memory (Private or Zeroed), whose pages read as 0
  // until they are written; a shared file's pages may hold data without being mapped here.
  bool IsPrivate() const { return m_Private; }

private:
  void* m_Data = nullptr;
  size_t m_Bytes = 0;
  bool m_Private = false;
};

// The buffer of an unsigned 16-bit image that may live in a mapping of its own.
class MappedVoxels : public itk::ImportImageContainer<itk::SizeValueType, unsigned short> {
public:
  ITK_DISALLOW_COPY_AND_MOVE(MappedVoxels);
  using Self = MappedVoxels;
  using Superclass = itk::ImportImageContainer<itk::SizeValueType, unsigned short>;
  using Pointer = itk::SmartPointer<Self>;
  itkNewMacro(Self);
  itkTypeMacro(MappedVoxels, ImportImageContainer);

  // The mapping, which holds `count` voxels, becomes the buffer.
  void Adopt(MemoryMapping mapping, size_t count);
  // Whether the buffer is a mapping (rather than memory the toolkit allocated).
  bool IsMapped() const;
  // Whether the buffer is a mapping of this process's own memory (see MemoryMapping).
  bool IsPrivateMapping() const { return IsMapped() && m_Mapping.IsPrivate(); }

  // The helper's side: the next buffer a voxel container of this process allocates is
  // placed in the shared file `fd`, which grows to fit it.
  static void PlaceNextBufferIn(int fd);
  // Whether the next buffer allocated goes into such a file.
  static bool NextBufferPlaced();
  // Makes every voxel container of this process a MappedVoxels, so that the readers' own
  // images can be placed in the shared file.
  static void ServeEveryImage();

protected:
  MappedVoxels() = default;
  ~MappedVoxels() override;
  unsigned short* AllocateElements(ElementIdentifier size, bool useDefaultConstructor) const override;
  void DeallocateManagedMemory() override;

private:
  // The toolkit allocates through a const member, yet the mapping it places there belongs
  // to this container and is released with the buffer.
  mutable MemoryMapping m_Mapping;
};

}  // namespace decoder
