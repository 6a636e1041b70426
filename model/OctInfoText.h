#pragma once
// The data panel's description of a scan: maker, voxels, voxel size and extent.
#include "data/LOCTVolume.h"

#include <string>

// The maker shown for a scan format; "" for a value without one.
std::string ScanMakerName(int scanFormat);

// " - maker\n - X x Y x Z voxels\n - sx x sy x sz um3\n - ex x ey x ez mm3", two decimals.
std::string OctInfoText(const LOCTVolume& scan);
