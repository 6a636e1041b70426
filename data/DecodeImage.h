#pragma once
// The decoder helper's reading of 2-D pictures: the pixel planes go into the shared memory
// file (see DecodeWire.h).
#include "data/DecodeWire.h"

#include <string>

namespace decoder {

// Loads the picture at `path` into the record and the shared file; the loader's code, or -1
// when the result cannot be handed over.
int DecodeImage(const std::string& path, DecodedRecord& record);

}  // namespace decoder
