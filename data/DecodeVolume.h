#pragma once
// The decoder helper's reading of scan and label volumes: the voxels go into the shared
// memory file, or, for a MetaImage whose voxels lie as one stretch of one data file, the
// record names the stretch for the program to read itself (see DecodeWire.h).
#include "data/DecodeWire.h"
#include "data/LOCTVolume.h"

#include <string>

namespace decoder {

// A reader of one volume file: the program's own dispatch (ReadScanFile), or the toolkit
// formats' alone.
using VolumeReader = int (*)(LOCTVolume& volume, const std::string& path);

// Reads the volume at `path` with `read` into the record and the shared file, or describes
// where the program reads its voxels; the reader's code, or -1 when the result cannot be
// handed over.
int DecodeVolume(const std::string& path, DecodedRecord& record, std::string& dataPath, VolumeReader read);

// The image toolkit's volume formats read as LOCTVolume::ReadScanFile reads them; any other
// file is unsupported. The volume helper's reader: it calls into no other toolkit.
int ReadToolkitVolume(LOCTVolume& volume, const std::string& path);

}  // namespace decoder
