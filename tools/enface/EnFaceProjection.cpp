// The analysis program shipped with Strataview: writes the en-face projection of a scan, the
// mean of every A-scan over its depth, as an 8-bit grey PNG the projection pane shows.
//
//   strataview_enface_projection SCAN OUTPUT.png
//
// Exit codes: 0 written, 1 wrong arguments, 2 the scan cannot be read, 3 the image cannot be
// written.
#include "data/GreyPng.h"
#include "data/LOCTVolume.h"
#include "data/MeanProjection.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
  if (argc != 3) {
    std::fprintf(stderr, "Usage: %s SCAN OUTPUT.png\n", argv[0]);
    return 1;
  }
  LOCTVolume scan;
  if (scan.ReadScanFile(argv[1]) != kScanOk) {
    std::fprintf(stderr, "Error: the scan '%s' cannot be read\n", argv[1]);
    return 2;
  }
  const std::vector<uint8_t> projection = MeanOverDepth(scan);
  if (WriteGreyPng(argv[2], projection, scan.sizeX, scan.sizeZ) != 0) {
    std::fprintf(stderr, "Error: the projection '%s' cannot be written\n", argv[2]);
    return 3;
  }
  return 0;
}
