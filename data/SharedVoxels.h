#pragma once
// Voxels in a shared memory file. The decoder helper decodes straight into the file and the
// program keeps its mapping as the volume's buffer, so the voxels cross between the two
// processes without a copy.
#include <cstddef>
#include <utility>

#include <itkImportImageContainer.h>

namespace decoder {

// A mapping of the first bytes of a file, shared with every other mapping of it; unmapped
// with the object.
class SharedMapping {
public:
  SharedMapping() = default;
  // An empty mapping when the file cannot be mapped. `populate` maps every page at once
  // (for memory another process has written already).
  static SharedMapping Map(int fd, size_t bytes, bool populate);
  ~SharedMapping();
  SharedMapping(SharedMapping&& other) noexcept
      : m_Data(std::exchange(other.m_Data, nullptr)), m_Bytes(std::exchange(other.m_Bytes, 0)) {}
  SharedMapping& operator=(SharedMapping&& other) noexcept;
  SharedMapping(const SharedMapping&) = delete;
  SharedMapping& operator=(const SharedMapping&) = delete;

  void* Data() const { return m_Data; }
  size_t Bytes() const { return m_Bytes; }

private:
  void* m_Data = nullptr;
  size_t m_Bytes = 0;
};

// The buffer of an unsigned 16-bit image that may live in a shared mapping.
class SharedVoxels : public itk::ImportImageContainer<itk::SizeValueType, unsigned short> {
public:
  ITK_DISALLOW_COPY_AND_MOVE(SharedVoxels);
  using Self = SharedVoxels;
  using Superclass = itk::ImportImageContainer<itk::SizeValueType, unsigned short>;
  using Pointer = itk::SmartPointer<Self>;
  itkNewMacro(Self);
  itkTypeMacro(SharedVoxels, ImportImageContainer);

  // The program's side: the mapping, which holds `count` voxels, becomes the buffer.
  void Adopt(SharedMapping mapping, size_t count);
  // Whether the buffer is the mapping of a shared file.
  bool IsShared() const;

  // The helper's side: the next buffer a voxel container of this process allocates is
  // placed in the shared file `fd`, which grows to fit it.
  static void PlaceNextBufferIn(int fd);
  // Makes every voxel container of this process a SharedVoxels, so that the readers' own
  // images can be placed in the shared file.
  static void ServeEveryImage();

protected:
  SharedVoxels() = default;
  ~SharedVoxels() override;
  unsigned short* AllocateElements(ElementIdentifier size, bool useDefaultConstructor) const override;
  void DeallocateManagedMemory() override;

private:
  // The toolkit allocates through a const member, yet the mapping it places there belongs
  // to this container and is released with the buffer.
  mutable SharedMapping m_Mapping;
};

}  // namespace decoder
