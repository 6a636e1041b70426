#include "data/MappedVoxels.h"

#include <cstdint>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <itkObjectFactoryBase.h>
#include <itkVersion.h>

namespace decoder {

namespace {

// The largest voxel buffer that is mapped with all its pages at once: 1 GiB.
constexpr size_t kPopulatedBytes = size_t(1) << 30;

// The shared file the next voxel buffer goes into; -1 when none is waiting.
int g_PlacementFd = -1;

// Creates MappedVoxels wherever the toolkit asks for a voxel container.
class MappedVoxelsFactory : public itk::ObjectFactoryBase {
public:
  ITK_DISALLOW_COPY_AND_MOVE(MappedVoxelsFactory);
  using Self = MappedVoxelsFactory;
  using Pointer = itk::SmartPointer<Self>;
  itkFactorylessNewMacro(Self);
  itkTypeMacro(MappedVoxelsFactory, ObjectFactoryBase);

  const char* GetITKSourceVersion() const override { return ITK_SOURCE_VERSION; }
  const char* GetDescription() const override { return "voxel buffers in a shared memory file"; }

protected:
  MappedVoxelsFactory()
  {
    RegisterOverride(typeid(MappedVoxels::Superclass).name(), typeid(MappedVoxels).name(),
                     "voxel buffers in a shared memory file", true,
                     itk::CreateObjectFunction<MappedVoxels>::New());
  }
  ~MappedVoxelsFactory() override = default;
};

}  // namespace

MemoryMapping MemoryMapping::Map(int fd, size_t bytes, bool populate)
{
  MemoryMapping mapping;
  if (bytes == 0)
    return mapping;
  void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | (populate ? MAP_POPULATE : 0), fd, 0);
  if (data == MAP_FAILED)
    return mapping;
  mapping.m_Data = data;
  mapping.m_Bytes = bytes;
  return mapping;
}

MemoryMapping MemoryMapping::Private(size_t bytes)
{
  constexpr size_t kHugePage = size_t(2) << 20;
  MemoryMapping mapping;
  if (bytes == 0 || bytes > SIZE_MAX - 2 * kHugePage)
    return mapping;
  // Reserved with room to spare, then cut to a huge-page boundary at both ends: the kernel
  // backs only aligned 2 MiB stretches with huge pages.
  const size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* reserved = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (reserved == MAP_FAILED)
    return mapping;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(reserved);
  const uintptr_t aligned = (begin + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > begin)
    ::munmap(reserved, aligned - begin);
  if (const size_t tail = begin + length + kHugePage - (aligned + length); tail > 0)
    ::munmap(reinterpret_cast<void*>(aligned + length), tail);
  mapping.m_Data = reinterpret_cast<void*>(aligned);
  mapping.m_Bytes = length;
  mapping.m_Private = true;
  // Only advice: without huge pages the buffer works the same, in small pages.
  (void)::madvise(mapping.m_Data, length, MADV_HUGEPAGE);
  return mapping;
}

MemoryMapping MemoryMapping::Zeroed(size_t bytes)
{
  MemoryMapping mapping;
  if (bytes == 0)
    return mapping;
  void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (data == MAP_FAILED)
    return mapping;
  mapping.m_Data = data;
  mapping.m_Bytes = bytes;
  mapping.m_Private = true;
  // Where huge pages are the default, one voxel written would take 2 MiB.
  (void)::madvise(data, bytes, MADV_NOHUGEPAGE);
  return mapping;
}

MemoryMapping::~MemoryMapping()
{
  if (m_Data)
    ::munmap(m_Data, m_Bytes);
}

MemoryMapping& MemoryMapping::operator=(MemoryMapping&& other) noexcept
{
  if (this != &other) {
    if (m_Data)
      ::munmap(m_Data, m_Bytes);
    m_Data = std::exchange(other.m_Data, nullptr);
    m_Bytes = std::exchange(other.m_Bytes, 0);
    m_Private = std::exchange(other.m_Private, false);
  }
  return *this;
}

MappedVoxels::~MappedVoxels()
{
  // The base class's destructor would free the buffer with delete[].
  DeallocateManagedMemory();
}

void MappedVoxels::Adopt(MemoryMapping mapping, size_t count)
{
  SetImportPointer(static_cast<unsigned short*>(mapping.Data()), count, false);
  m_Mapping = std::move(mapping);
}

bool MappedVoxels::IsMapped() const
{
  // The toolkit offers the buffer pointer through a non-const getter only.
  return m_Mapping.Data() && const_cast<MappedVoxels*>(this)->GetImportPointer() == m_Mapping.Data();
}

void MappedVoxels::PlaceNextBufferIn(int fd)
{
  g_PlacementFd = fd;
}

bool MappedVoxels::NextBufferPlaced()
{
  return g_PlacementFd >= 0;
}

void MappedVoxels::ServeEveryImage()
{
  itk::ObjectFactoryBase::RegisterFactory(MappedVoxelsFactory::New());
}

unsigned short* MappedVoxels::AllocateElements(ElementIdentifier size, bool useDefaultConstructor) const
{
  if (g_PlacementFd < 0)
    return Superclass::AllocateElements(size, useDefaultConstructor);
  const int fd = std::exchange(g_PlacementFd, -1);
  const size_t bytes = size * sizeof(unsigned short);
  // A new shared file reads as zeros, which is what value initialisation asks for. A file
  // that cannot take the buffer leaves it to the heap (which fails the same way when
  // memory is what is missing, and says so); the voxels are copied over at the end then.
  // Pages mapped at once cost far less than pages faulted in one by one as the reader
  // fills them; beyond the size of real scans a buffer is left to fill in as it goes, so
  // that a header promising more than its file holds does not take the memory at once.
  // The pages of such a buffer are taken in one call ahead of the mapping, which costs less
  // than taking them one at a time as the mapping is populated.
  const bool populate = bytes <= kPopulatedBytes;
  const bool sized = populate ? ::fallocate(fd, 0, 0, static_cast<off_t>(bytes)) == 0
                              : ::ftruncate(fd, static_cast<off_t>(bytes)) == 0;
  MemoryMapping mapping;
  if (sized)
    mapping = MemoryMapping::Map(fd, bytes, populate);
  if (!mapping.Data())
    return Superclass::AllocateElements(size, useDefaultConstructor);
  m_Mapping = std::move(mapping);
  return static_cast<unsigned short*>(m_Mapping.Data());
}

void MappedVoxels::DeallocateManagedMemory()
{
  if (IsMapped())
    SetContainerManageMemory(false);
  Superclass::DeallocateManagedMemory();
  m_Mapping = MemoryMapping();
}

}  // namespace decoder
