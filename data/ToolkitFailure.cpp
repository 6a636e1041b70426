#include "data/ToolkitFailure.h"

#include "data/Diagnostics.h"

#include <itkMacro.h>
#include <new>

void ReportToolkitFailure(const std::string& path, const std::exception& error)
{
  const auto* toolkit = dynamic_cast<const itk::ExceptionObject*>(&error);
  diag::ReportFileFailure(path, toolkit ? toolkit->GetDescription() : error.what());
}

bool RanOutOfMemory(const std::exception& error)
{
  return dynamic_cast<const std::bad_alloc*>(&error) || dynamic_cast<const itk::MemoryAllocationError*>(&error);
}
