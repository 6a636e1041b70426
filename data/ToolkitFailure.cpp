#include "data/ToolkitFailure.h"

#include "data/Diagnostics.h"

#include <itkMacro.h>

void ReportToolkitFailure(const std::string& path, const std::exception& error)
{
  const auto* toolkit = dynamic_cast<const itk::ExceptionObject*>(&error);
  diag::ReportFileFailure(path, toolkit ? toolkit->GetDescription() : error.what());
}
