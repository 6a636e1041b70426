#pragma once
// The 3-D pane's geometry kept on the GPU side between paints: every layer surface and both
// label meshes in buffer objects, the three volume planes as textures. A paint draws from
// them, and only what changed is built again: the vertices around the points the scene was
// told an edit moved, the colours when a colour input changed, a plane's texture when its
// slice, the window or the guide lines moved. The guide-line cells of the surfaces are drawn from the same buffers in their own
// colour, so moving the position rebuilds nothing. The planes keep their slab-averaged values;
// a fragment program maps them through the window and lays the guide lines over them.
//
// Ordinary renders only: a selection render and a drag's coarse render draw cell by cell.
// Every call needs the pane's context current; Release frees the GL objects.
#include "panes/GuideCellTiles.h"
#include "panes/Scene3D.h"

#include <GL/gl.h>
#include <array>
#include <cstdint>
#include <vector>

class SceneBuffers3D {
public:
  static constexpr int kAllRows = 1 << 30;

  SceneBuffers3D() = default;
  SceneBuffers3D(const SceneBuffers3D&) = delete;
  SceneBuffers3D& operator=(const SceneBuffers3D&) = delete;

  // Once per render before the surfaces: brings the buffers of every shown surface up to
  // date, taking the scene's note of moved points; true when any of them was built again.
  bool UpdateSurfaces(Scene3D& scene);
  // The cell rows of a surface whose triangles or colours were built again since the last
  // call, which forgets them.
  RowRange TakeChangedRows(int surface);
  // Which cells of a surface a draw covers: all as the cell-by-cell render draws them, all in
  // their own colours as if the guide lines were off, or only the guide-line cells.
  enum class Cells { All, Plain, GuideLines };
  // Surface `surface` from its buffers as they were last brought up to date, lit with the
  // current light: all its cell rows, or those of `rows`. With `tiles`, the guide-line cells
  // they tell cannot show are left out.
  void DrawSurface(const Scene3D& scene, int surface, Cells cells, RowRange rows = RowRange{0, kAllRows},
                   const GuideCellTiles* tiles = nullptr);
  // A label mesh in its colour; nothing without vertices.
  void DrawMesh(const Scene3D& scene, bool vessel);
  // A volume plane: its slab means in a texture, the window applied by a grey table on the
  // GPU, so that a window step uploads only the table. Keeps the shared window within the
  // value range. False, with nothing drawn, when the context runs no fragment programs.
  bool DrawPlane(Scene3D& scene, int orientation);

  void Release();
  // Whether any GL object is held.
  bool Held() const;

private:
  // The scene mapping the vertices were placed with.
  struct Mapping {
    ScenePoint origin;
    ScenePoint unit;
    bool operator==(const Mapping& o) const;
  };
  struct SurfaceBuffer {
    GLuint vertices = 0;  // two per grid point: position and normal
    GLuint colours = 0;   // a colour per vertex when the cells take too many materials
    int sizeX = 0;  // the grid the vertices were built for
    int sizeZ = 0;
    Mapping mapping;
    RowRange changedRows;
    bool overUndefined = false;  // which of the shared index buffers it is drawn with
    uint64_t maskGeneration = 0;
    uint64_t colourGeneration = 0;
    uint64_t projectionGeneration = 0;
    Material3D material;  // the surface's own
    // The materials its cells take, the surface's own first, and for each cell the index of
    // its material when there is more than one; empty when the colour buffer holds them.
    std::vector<Material3D> materials;
    std::vector<uint8_t> cellMaterials;
  };
  // Every surface has the same grid, so the triangles a cell draws depend only on the
  // undefined mask and the surface's show-over-undefined flag: one index buffer per flag
  // serves them all.
  struct IndexBuffer {
    GLuint indices = 0;  // six per cell, degenerate where a triangle is not drawn
    uint64_t maskGeneration = 0;
  };
  struct MeshBuffer {
    GLuint vertices = 0;
    GLsizei count = 0;
    uint64_t generation = 0;
    Mapping mapping;
    bool built = false;
  };
  struct PlaneTexture {
    GLuint texture = 0;  // 16-bit unsigned integers
    int columns = 0;
    int rows = 0;
    std::array<uint64_t, 3> key{};  // slice, slab, volume
    bool built = false;
  };
  struct PlaneProgram {
    GLuint program = 0;
    GLint size = -1;
    GLint guides = -1;
    GLint position = -1;
    GLint columnColour = -1;
    GLint rowColour = -1;
    GLint frameColour = -1;
  };

  void BuildVertices(const Scene3D& scene, int surface, SurfaceBuffer& buffer, const GridRegion& points);
  // The index buffer for surfaces with the given flag, built again when the mask changed.
  GLuint Indices(const Scene3D& scene, bool overUndefined);
  void BuildColours(const Scene3D& scene, int surface, SurfaceBuffer& buffer);
  // Notes what changed in the inputs every surface shares.
  void TrackSharedInputs(const Scene3D& scene);
  bool UpdateSurface(Scene3D& scene, int surface, SurfaceBuffer& buffer);
  void UpdatePlane(Scene3D& scene, int orientation, PlaneTexture& plane);
  void UpdateGreyTable(Scene3D& scene);
  bool PrepareProgram();

  std::array<SurfaceBuffer, Scene3D::kMaxSurfaces> m_Surfaces;
  std::array<IndexBuffer, 2> m_Indices;  // over the undefined region, and leaving it out
  std::array<MeshBuffer, 2> m_Meshes;  // vessel, SEAD
  std::array<PlaneTexture, 3> m_Planes;

  // Copies of the inputs shared by every surface, with a count of their changes.
  std::vector<uint8_t> m_Mask;
  uint64_t m_MaskGeneration = 1;
  std::vector<uint8_t> m_ColourInputs;
  uint64_t m_ColourGeneration = 1;
  std::vector<uint8_t> m_ProjectionInputs;  // the first surface's colours alone
  uint64_t m_ProjectionGeneration = 1;
  int m_TrackedSize[3] = {0, 0, 0};
  std::vector<unsigned short> m_Values;  // the plane being uploaded
  GLuint m_GuideIndices = 0;  // the guide-line cells of a surface a step draws
  GLuint m_GreyTable = 0;
  std::array<float, 2> m_TableWindow{};
  PlaneProgram m_Program;
  bool m_ProgramTried = false;
};
