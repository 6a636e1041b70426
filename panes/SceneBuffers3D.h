#pragma once
// The 3-D pane's geometry kept on the GPU side between paints: every layer surface and both
// label meshes in buffer objects, the three volume planes as textures. A paint draws from
// them; what it reads from the scene is compared with what the buffers were built from, and
// only what changed is built again: the rows of a surface an edit moved, the colours when a
// colour input changed, a plane's texture when its slice, the window or the guide lines
// moved. The guide-line cells of the surfaces are drawn from the same buffers in their own
// colour, so moving the position rebuilds nothing.
//
// Ordinary renders only: a selection render and a drag's coarse render draw cell by cell.
// Every call needs the pane's context current; Release frees the GL objects.
#include "panes/Scene3D.h"

#include <GL/gl.h>
#include <array>
#include <cstdint>
#include <vector>

class SceneBuffers3D {
public:
  SceneBuffers3D() = default;
  SceneBuffers3D(const SceneBuffers3D&) = delete;
  SceneBuffers3D& operator=(const SceneBuffers3D&) = delete;

  // Once per render before the surfaces: brings the buffers of every shown surface up to
  // date; true when any of them was built again.
  bool UpdateSurfaces(const Scene3D& scene);
  // Which cells of a surface a draw covers: all as the cell-by-cell render draws them, all in
  // their own colours as if the guide lines were off, or only the guide-line cells.
  enum class Cells { All, Plain, GuideLines };
  // Surface `surface` from its buffers as they were last brought up to date, lit with the
  // current light.
  void DrawSurface(const Scene3D& scene, int surface, Cells cells);
  // A label mesh in its colour; nothing without vertices.
  void DrawMesh(const Scene3D& scene, bool vessel);
  // A volume plane, its cells' colours from a texture.
  // Computing a plane's grey keeps the shared window within the value range.
  void DrawPlane(Scene3D& scene, int orientation);

  void Release();

private:
  // The scene mapping the vertices were placed with.
  struct Mapping {
    ScenePoint origin;
    ScenePoint unit;
    bool operator==(const Mapping& o) const;
  };
  struct SurfaceBuffer {
    GLuint vertices = 0;  // two per grid point: position and normal
    GLuint colours = 0;   // a colour per vertex when the cells' colours differ
    GLuint indices = 0;   // six per cell, degenerate where a triangle is not drawn
    std::vector<Point3i> points;  // what the vertices were built from
    Mapping mapping;
    bool overUndefined = false;
    uint64_t maskGeneration = 0;
    uint64_t colourGeneration = 0;
    bool uniform = true;
    Material3D material;
  };
  struct MeshBuffer {
    GLuint vertices = 0;
    GLsizei count = 0;
    uint64_t generation = 0;
    Mapping mapping;
    bool built = false;
  };
  struct PlaneTexture {
    GLuint texture = 0;
    int columns = 0;
    int rows = 0;
    std::array<double, 5> greyKey{};  // slice, slab, window centre and width, volume
    std::array<int, 3> guideKey{};   // guide lines on, position along columns and rows
    bool built = false;
  };

  void BuildVertexRows(const Scene3D& scene, int surface, SurfaceBuffer& buffer, int firstRow, int lastRow);
  void BuildIndices(const Scene3D& scene, int surface, SurfaceBuffer& buffer);
  void BuildColours(const Scene3D& scene, int surface, SurfaceBuffer& buffer);
  // Notes what changed in the inputs every surface shares.
  void TrackSharedInputs(const Scene3D& scene);
  bool UpdateSurface(const Scene3D& scene, int surface, SurfaceBuffer& buffer);
  void UpdatePlane(Scene3D& scene, int orientation, PlaneTexture& plane);

  std::array<SurfaceBuffer, Scene3D::kMaxSurfaces> m_Surfaces;
  std::array<MeshBuffer, 2> m_Meshes;  // vessel, SEAD
  std::array<PlaneTexture, 3> m_Planes;

  // Copies of the inputs shared by every surface, with a count of their changes.
  std::vector<uint8_t> m_Mask;
  uint64_t m_MaskGeneration = 1;
  std::vector<uint8_t> m_ColourInputs;
  uint64_t m_ColourGeneration = 1;
  int m_TrackedSize[3] = {0, 0, 0};
  std::vector<uint32_t> m_Texels;  // the plane being filled, BGRA
};
