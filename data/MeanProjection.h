#pragma once
// The plainest en-face view of a scan: the mean of every A-scan over its whole depth.
#include <cstdint>
#include <vector>

class LOCTVolume;

// sizeX * sizeZ grey values, row z holding B-scan z from the top: each A-scan's mean voxel
// value scaled from the volume's value range (255 for 1 byte per voxel, 65535 for 2) to 0-255
// and rounded. Empty for an empty volume.
std::vector<uint8_t> MeanOverDepth(const LOCTVolume& volume);
