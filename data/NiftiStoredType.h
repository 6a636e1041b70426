#pragma once
// The toolkit reports a NIfTI file whose header carries a scale factor as floating point,
// whatever type its voxels are stored in. How they are stored decides how they are brought
// into 16 bits: integers scaled to fractions are rounded, true floating-point data with
// fractions is stretched over the range.
#include <string>

// True when the NIfTI (".nii", ".nii.gz") or Analyze (".hdr") header at path stores
// floating-point or complex voxels; false when it stores integers or cannot be read.
bool NiftiStoresFloatingPoint(const std::string& path);
