#include "data/ToolkitThreads.h"

#include <mutex>

#include <itkMultiThreaderBase.h>

void RunToolkitOnCallingThread()
{
  static std::once_flag once;
  std::call_once(once, [] {
    // The platform threader starts threads only for work split in more than one unit, and
    // with one unit there is none to split; the choice made here outweighs the toolkit's
    // environment variables.
    itk::MultiThreaderBase::SetGlobalDefaultThreader(itk::MultiThreaderBase::ThreaderEnum::Platform);
    itk::MultiThreaderBase::SetGlobalMaximumNumberOfThreads(1);
    itk::MultiThreaderBase::SetGlobalDefaultNumberOfThreads(1);
  });
}
