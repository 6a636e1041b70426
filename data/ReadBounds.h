#pragma once
// How large a file that is read whole can be, for each kind, beside a scan of a given size.
// Anyone who can write the scan's folder can put a huge (or sparse) file under a result's
// name; a file larger than anything its kind can hold for this scan is refused before any
// memory is taken for it. Each bound is far above what a real file of the kind holds.
#include <cstdint>
#include <string_view>

namespace readbounds {

// Everything of a result file but its points: the declaration, the header block with its
// eleven strings (a long comment or configuration among them), the scan's characteristics
// and the elements that wrap the points.
constexpr uint64_t kResultHeaderBytes = uint64_t(1) << 20;

// A label's mesh cache, as the program writes it in ASCII VTK, for a label of `size` voxels
// of `spacing` millimetres of which `insideVoxels` are inside the mesh
// (CountMeshInsideVoxels): a label with few such voxels has a small mesh, whatever the size
// of the scan.
uint64_t MeshCacheBytes(const int size[3], const float spacing[3], uint64_t insideVoxels);

// A surfaces or reference-surface file of a scan of sizeX x sizeZ A-scans.
uint64_t SurfacesFileBytes(int sizeX, int sizeZ);

// A surfaces file read without its scan (the batch analysis), by the grid it declares itself
// in `head`, its first kResultHeaderBytes bytes: the larger of its surfaces' grid and its
// scan's size (the x and z of the first surface_size and size elements there). A head that
// declares neither bounds the file by its header alone.
uint64_t DeclaredSurfacesFileBytes(std::string_view head);

// A grid-centre, markers or splines file of a scan of the given size.
uint64_t PointFileBytes(int sizeX, int sizeY, int sizeZ);

}  // namespace readbounds
