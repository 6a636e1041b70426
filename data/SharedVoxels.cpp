#include "data/SharedVoxels.h"

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

// Creates SharedVoxels wherever the toolkit asks for a voxel container.
class SharedVoxelsFactory : public itk::ObjectFactoryBase {
public:
  ITK_DISALLOW_COPY_AND_MOVE(SharedVoxelsFactory);
  using Self = SharedVoxelsFactory;
  using Pointer = itk::SmartPointer<Self>;
  itkFactorylessNewMacro(Self);
  itkTypeMacro(SharedVoxelsFactory, ObjectFactoryBase);

  const char* GetITKSourceVersion() const override { return ITK_SOURCE_VERSION; }
  const char* GetDescription() const override { return "voxel buffers in a shared memory file"; }

protected:
  SharedVoxelsFactory()
  {
    RegisterOverride(typeid(SharedVoxels::Superclass).name(), typeid(SharedVoxels).name(),
                     "voxel buffers in a shared memory file", true,
                     itk::CreateObjectFunction<SharedVoxels>::New());
  }
  ~SharedVoxelsFactory() override = default;
};

}  // namespace

SharedMapping SharedMapping::Map(int fd, size_t bytes, bool populate)
{
  SharedMapping mapping;
  if (bytes == 0)
    return mapping;
  void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | (populate ? MAP_POPULATE : 0), fd, 0);
  if (data == MAP_FAILED)
    return mapping;
  mapping.m_Data = data;
  mapping.m_Bytes = bytes;
  return mapping;
}

SharedMapping::~SharedMapping()
{
  if (m_Data)
    ::munmap(m_Data, m_Bytes);
}

SharedMapping& SharedMapping::operator=(SharedMapping&& other) noexcept
{
  if (this != &other) {
    if (m_Data)
      ::munmap(m_Data, m_Bytes);
    m_Data = std::exchange(other.m_Data, nullptr);
    m_Bytes = std::exchange(other.m_Bytes, 0);
  }
  return *this;
}

SharedVoxels::~SharedVoxels()
{
  // The base class's destructor would free the buffer with delete[].
  DeallocateManagedMemory();
}

void SharedVoxels::Adopt(SharedMapping mapping, size_t count)
{
  SetImportPointer(static_cast<unsigned short*>(mapping.Data()), count, false);
  m_Mapping = std::move(mapping);
}

bool SharedVoxels::IsShared() const
{
  // The toolkit offers the buffer pointer through a non-const getter only.
  return m_Mapping.Data() && const_cast<SharedVoxels*>(this)->GetImportPointer() == m_Mapping.Data();
}

void SharedVoxels::PlaceNextBufferIn(int fd)
{
  g_PlacementFd = fd;
}

void SharedVoxels::ServeEveryImage()
{
  itk::ObjectFactoryBase::RegisterFactory(SharedVoxelsFactory::New());
}

unsigned short* SharedVoxels::AllocateElements(ElementIdentifier size, bool useDefaultConstructor) const
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
  SharedMapping mapping;
  if (sized)
    mapping = SharedMapping::Map(fd, bytes, populate);
  if (!mapping.Data())
    return Superclass::AllocateElements(size, useDefaultConstructor);
  m_Mapping = std::move(mapping);
  return static_cast<unsigned short*>(m_Mapping.Data());
}

void SharedVoxels::DeallocateManagedMemory()
{
  if (IsShared())
    SetContainerManageMemory(false);
  Superclass::DeallocateManagedMemory();
  m_Mapping = SharedMapping();
}

}  // namespace decoder
