#define GL_GLEXT_PROTOTYPES
#include "panes/SceneBuffers3D.h"

#include <GL/glext.h>
#include <algorithm>
#include <cmath>
#include <utility>
#include <cstring>

namespace {

constexpr int kFloatsPerVertex = 6;  // position, normal
constexpr GLsizei kVertexStride = kFloatsPerVertex * sizeof(float);
constexpr size_t kIndicesPerCell = 6;
// More materials than this in one surface's cells come from the projection's colours.
constexpr size_t kMaxCellMaterials = 8;
// A surface draw this large goes to the rasteriser at once.
constexpr size_t kCellsWorthAFlush = 1 << 15;
constexpr size_t kMeshBlock = 4096;  // triangles built and uploaded at a time

// A buffer bound for an upload, and no buffer bound after it: client-side arrays drawn
// later (the GLUT spheres of markers and control points) would otherwise be read as offsets
// into it, and land nowhere.
class ArrayBufferUpload {
public:
  explicit ArrayBufferUpload(GLuint buffer) { glBindBuffer(GL_ARRAY_BUFFER, buffer); }
  ~ArrayBufferUpload() { glBindBuffer(GL_ARRAY_BUFFER, 0); }
  ArrayBufferUpload(const ArrayBufferUpload&) = delete;
  ArrayBufferUpload& operator=(const ArrayBufferUpload&) = delete;
};

// Runs of cells drawn by one multi-draw, merged where they touch.
class CellRuns {
public:
  void Add(size_t firstCell, size_t cellCount)
  {
    if (cellCount == 0)
      return;
    const size_t first = firstCell * kIndicesPerCell;
    const size_t count = cellCount * kIndicesPerCell;
    if (!m_Firsts.empty() && m_Firsts.back() + static_cast<size_t>(m_Counts.back()) == first) {
      m_Counts.back() += static_cast<GLsizei>(count);
      return;
    }
    m_Firsts.push_back(first);
    m_Counts.push_back(static_cast<GLsizei>(count));
  }
  size_t Cells() const
  {
    size_t indices = 0;
    for (GLsizei count : m_Counts)
      indices += static_cast<size_t>(count);
    return indices / kIndicesPerCell;
  }
  void Draw() const
  {
    if (m_Counts.empty())
      return;
    std::vector<const void*> offsets;
    offsets.reserve(m_Firsts.size());
    for (size_t first : m_Firsts)
      offsets.push_back(reinterpret_cast<const void*>(first * sizeof(GLuint)));
    glMultiDrawElements(GL_TRIANGLES, m_Counts.data(), GL_UNSIGNED_INT, offsets.data(),
                        static_cast<GLsizei>(m_Counts.size()));
  }

private:
  std::vector<size_t> m_Firsts;
  std::vector<GLsizei> m_Counts;
};

void ApplyMaterial(const Material3D& m)
{
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m.ambient.data());
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m.diffuse.data());
}

// The colour stands for both ambient and diffuse; the lights take over the ambient's factor
// of 0.2 (ambient = 0.2 diffuse for every surface colour).
void DrawColoured(GLuint colours, const CellRuns& runs)
{
  glPushAttrib(GL_LIGHTING_BIT);
  const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  const GLfloat ambient[4] = {0.24f, 0.24f, 0.24f, 1.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glBindBuffer(GL_ARRAY_BUFFER, colours);
  glEnableClientState(GL_COLOR_ARRAY);
  glColorPointer(4, GL_FLOAT, 0, nullptr);
  runs.Draw();
  glDisableClientState(GL_COLOR_ARRAY);
  glPopAttrib();
}

// Points the vertex and normal arrays into a buffer of positions and normals.
void UsePositionsAndNormals(GLuint vertices)
{
  glBindBuffer(GL_ARRAY_BUFFER, vertices);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glVertexPointer(3, GL_FLOAT, kVertexStride, nullptr);
  glNormalPointer(GL_FLOAT, kVertexStride, reinterpret_cast<const void*>(3 * sizeof(float)));
}

void PutVertex(float* out, const ScenePoint& p, const ScenePoint& n)
{
  out[0] = p.x;
  out[1] = p.y;
  out[2] = p.z;
  out[3] = n.x;
  out[4] = n.y;
  out[5] = n.z;
}

template <typename T>
void AppendBytes(std::vector<uint8_t>& out, const T& value)
{
  const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
  out.insert(out.end(), bytes, bytes + sizeof value);
}

void SetNearest()
{
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

}  // namespace

bool SceneBuffers3D::Mapping::operator==(const Mapping& o) const
{
  return origin.x == o.origin.x && origin.y == o.origin.y && origin.z == o.origin.z && unit.x == o.unit.x &&
         unit.y == o.unit.y && unit.z == o.unit.z;
}

void SceneBuffers3D::Release()
{
  for (SurfaceBuffer& s : m_Surfaces) {
    const GLuint names[2] = {s.vertices, s.colours};
    glDeleteBuffers(2, names);
    s = SurfaceBuffer();
  }
  for (IndexBuffer& i : m_Indices) {
    glDeleteBuffers(1, &i.indices);
    i = IndexBuffer();
  }
  for (MeshBuffer& m : m_Meshes) {
    glDeleteBuffers(1, &m.vertices);
    m = MeshBuffer();
  }
  for (PlaneTexture& p : m_Planes) {
    glDeleteTextures(1, &p.texture);
    p = PlaneTexture();
  }
  glDeleteBuffers(1, &m_GuideIndices);
  m_GuideIndices = 0;
  glDeleteTextures(1, &m_GreyTable);
  m_GreyTable = 0;
  glDeleteProgram(m_Program.program);
  m_Program = PlaneProgram();
  m_ProgramTried = false;
  m_Mask.clear();
  m_ColourInputs.clear();
  m_ProjectionInputs.clear();
}

bool SceneBuffers3D::Held() const
{
  const auto any = [](const auto& list, auto held) { return std::any_of(list.begin(), list.end(), held); };
  return m_GreyTable || m_Program.program || m_GuideIndices ||
         any(m_Surfaces, [](const SurfaceBuffer& s) { return s.vertices || s.colours; }) ||
         any(m_Indices, [](const IndexBuffer& i) { return i.indices != 0; }) ||
         any(m_Meshes, [](const MeshBuffer& m) { return m.vertices != 0; }) ||
         any(m_Planes, [](const PlaneTexture& p) { return p.texture != 0; });
}

// The undefined mask decides which triangles a cell has; the flags, colours and disc mask
// decide the cells' colours, and the projection those of the first surface alone.
void SceneBuffers3D::TrackSharedInputs(const Scene3D& scene)
{
  const int* size = scene.Size();
  const size_t cells = static_cast<size_t>(size[0]) * static_cast<size_t>(size[2]);
  const bool resized = !std::equal(size, size + 3, m_TrackedSize);
  std::copy(size, size + 3, m_TrackedSize);

  const uint8_t* mask = scene.UndefinedMask();
  const bool maskChanged = resized || (mask ? m_Mask.size() != cells || std::memcmp(m_Mask.data(), mask, cells) != 0
                                            : !m_Mask.empty());
  if (maskChanged) {
    m_Mask.assign(mask, mask ? mask + cells : mask);
    ++m_MaskGeneration;
  }

  std::vector<uint8_t> inputs;
  for (SceneFlag f : {SceneFlag::Projection, SceneFlag::Disc})
    inputs.push_back(scene.Flag(f));
  for (SceneColor c : {SceneColor::Cup, SceneColor::Rim})
    AppendBytes(inputs, scene.Color(c));
  AppendBytes(inputs, scene.OpacityCup());
  AppendBytes(inputs, scene.OpacityRim());
  for (int s = 0; s < Scene3D::kMaxSurfaces; ++s)
    AppendBytes(inputs, scene.SurfaceColor(s));
  const auto appendPlane = [cells](std::vector<uint8_t>& out, const uint8_t* plane) {
    out.push_back(plane != nullptr);
    if (plane)
      out.insert(out.end(), plane, plane + cells);
  };
  appendPlane(inputs, scene.DiscMask());
  if (resized || inputs != m_ColourInputs) {
    m_ColourInputs = std::move(inputs);
    ++m_ColourGeneration;
  }
  std::vector<uint8_t> projection;
  if (scene.Flag(SceneFlag::Projection))
    for (int channel = 0; channel < 3; ++channel)
      appendPlane(projection, scene.ProjectionPlane(channel));
  if (resized || projection != m_ProjectionInputs) {
    m_ProjectionInputs = std::move(projection);
    ++m_ProjectionGeneration;
  }
}

// Two vertices per grid point, at the same place: the first carries the normal of the first
// triangle of the cell starting there, the second that of the second triangle of the cell
// to its left. With flat shading each triangle ends on the vertex with its own normal.
// Written in place for the grid points of `points`, a row at a time: each grid point is
// mapped once into the scene, and no staging copy of the whole surface is made.
void SceneBuffers3D::BuildVertices(const Scene3D& scene, int surface, SurfaceBuffer& buffer, const GridRegion& points)
{
  const int sx = scene.Size()[0];
  const int sz = scene.Size()[2];
  const RowRange columns = points.x.Within(sx);
  const RowRange rows = points.z.Within(sz);
  if (columns.Empty() || rows.Empty())
    return;
  // The row of points and the next one, from one column left of the region to one right.
  const RowRange mapped = RowRange{columns.first - 1, columns.last + 1}.Within(sx);
  std::vector<ScenePoint> here(static_cast<size_t>(mapped.Count()));
  std::vector<ScenePoint> next(here.size());
  const auto mapRow = [&](int z, std::vector<ScenePoint>& out) {
    for (int x = mapped.first; x <= mapped.last; ++x)
      out[static_cast<size_t>(x - mapped.first)] = scene.MapPoint(scene.SurfacePoint(surface, x, z));
  };
  std::vector<float> row(static_cast<size_t>(columns.Count()) * 2 * kFloatsPerVertex);
  const ArrayBufferUpload upload(buffer.vertices);
  mapRow(rows.first, next);
  for (int z = rows.first; z <= rows.last; ++z) {
    std::swap(here, next);
    const bool below = z + 1 < sz;
    if (below)
      mapRow(z + 1, next);
    float* out = row.data();
    for (int x = columns.first; x <= columns.last; ++x, out += 2 * kFloatsPerVertex) {
      const size_t i = static_cast<size_t>(x - mapped.first);
      const ScenePoint& p = here[i];
      ScenePoint first{};
      ScenePoint second{};
      if (below && x + 1 < sx)
        first = TriangleNormal(next[i], here[i + 1], p);
      if (below && x >= 1)
        second = TriangleNormal(next[i - 1], next[i], p);
      PutVertex(out, p, first);
      PutVertex(out + kFloatsPerVertex, p, second);
    }
    const size_t offset = (static_cast<size_t>(z) * static_cast<size_t>(sx) + static_cast<size_t>(columns.first)) * 2;
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset * kVertexStride),
                    static_cast<GLsizeiptr>(row.size() * sizeof(float)), row.data());
  }
}

namespace {

// The six indices of cell (x, z), degenerate where a triangle is not drawn.
void AppendCellIndices(const Scene3D& scene, bool overUndefined, int x, int z, std::vector<GLuint>& out)
{
  const size_t sx = static_cast<size_t>(scene.Size()[0]);
  const auto vertex = [sx](int vx, int vz, int copy) {
    return static_cast<GLuint>(2 * (static_cast<size_t>(vz) * sx + static_cast<size_t>(vx)) +
                               static_cast<size_t>(copy));
  };
  bool first = false;
  bool second = false;
  scene.CellTriangles(overUndefined, x, z, x + 1, z + 1, first, second);
  const GLuint none = vertex(x, z, 0);
  if (first)
    out.insert(out.end(), {vertex(x, z + 1, 0), vertex(x + 1, z, 0), vertex(x, z, 0)});
  else
    out.insert(out.end(), {none, none, none});
  if (second)
    out.insert(out.end(), {vertex(x, z + 1, 0), vertex(x + 1, z + 1, 0), vertex(x + 1, z, 1)});
  else
    out.insert(out.end(), {none, none, none});
}

}  // namespace

GLuint SceneBuffers3D::Indices(const Scene3D& scene, bool overUndefined)
{
  // Without a mask both flags draw every triangle.
  IndexBuffer& buffer = m_Indices[overUndefined || m_Mask.empty() ? 0 : 1];
  if (buffer.indices && buffer.maskGeneration == m_MaskGeneration)
    return buffer.indices;
  const int sx = scene.Size()[0];
  const int sz = scene.Size()[2];
  std::vector<GLuint> indices;
  indices.reserve(static_cast<size_t>(sx - 1) * static_cast<size_t>(sz - 1) * kIndicesPerCell);
  for (int z = 0; z + 1 < sz; ++z)
    for (int x = 0; x + 1 < sx; ++x)
      AppendCellIndices(scene, overUndefined, x, z, indices);
  if (!buffer.indices)
    glGenBuffers(1, &buffer.indices);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer.indices);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)), indices.data(),
               GL_STATIC_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  buffer.maskGeneration = m_MaskGeneration;
  return buffer.indices;
}

namespace {

// The colours of a surface's cells, a row at a time. A material is its colour's red, green
// and blue, so cells are told apart by those alone.
class CellColourRows {
public:
  CellColourRows(const Scene3D& scene, int surface)
      : m_Scene(scene), m_Surface(surface), m_Row(static_cast<size_t>(scene.Size()[0] - 1))
  {
  }
  const std::vector<platform::COLORREF>& Row(int z)
  {
    m_Scene.SurfaceRowColors(m_Surface, z, static_cast<int>(m_Row.size()), m_Row.data());
    for (platform::COLORREF& c : m_Row)
      c &= 0xFFFFFFu;
    return m_Row;
  }

private:
  const Scene3D& m_Scene;
  int m_Surface;
  std::vector<platform::COLORREF> m_Row;
};

// The distinct colours of the cells, the surface's own first, and each cell's index among
// them; false as soon as there are more than kMaxCellMaterials.
bool FewCellColours(const Scene3D& scene, int surface, std::vector<platform::COLORREF>& colours,
                    std::vector<uint8_t>& cellColours)
{
  const size_t columns = static_cast<size_t>(scene.Size()[0] - 1);
  const int rows = scene.Size()[2] - 1;
  CellColourRows cells(scene, surface);
  colours.assign(1, scene.SurfaceColor(surface) & 0xFFFFFFu);
  cellColours.assign(columns * static_cast<size_t>(rows), 0);
  for (int z = 0; z < rows; ++z) {
    const std::vector<platform::COLORREF>& row = cells.Row(z);
    uint8_t* out = cellColours.data() + static_cast<size_t>(z) * columns;
    for (size_t x = 0; x < columns; ++x) {
      if (x > 0 && row[x] == row[x - 1]) {  // neighbours mostly share their colour
        out[x] = out[x - 1];
        continue;
      }
      const size_t k = static_cast<size_t>(std::find(colours.begin(), colours.end(), row[x]) - colours.begin());
      if (k == kMaxCellMaterials)
        return false;
      if (k == colours.size())
        colours.push_back(row[x]);
      out[x] = static_cast<uint8_t>(k);
    }
  }
  return true;
}

// Each cell's diffuse colour on both vertices its triangles end on.
std::vector<float> VertexColours(const Scene3D& scene, int surface)
{
  const size_t sx = static_cast<size_t>(scene.Size()[0]);
  const int rows = scene.Size()[2] - 1;
  CellColourRows cells(scene, surface);
  std::vector<float> colours(sx * static_cast<size_t>(scene.Size()[2]) * 2 * 4, 0.0f);
  for (int z = 0; z < rows; ++z) {
    const std::vector<platform::COLORREF>& row = cells.Row(z);
    for (size_t x = 0; x < row.size(); ++x) {
      const std::array<float, 4> diffuse = ColorMaterial(row[x], 0.1f).diffuse;
      const size_t point = static_cast<size_t>(z) * sx + x;
      std::copy(diffuse.begin(), diffuse.end(), colours.begin() + static_cast<ptrdiff_t>(point * 2 * 4));
      std::copy(diffuse.begin(), diffuse.end(), colours.begin() + static_cast<ptrdiff_t>((point + 1) * 2 * 4 + 4));
    }
  }
  return colours;
}

}  // namespace

// The cells of a surface take few materials (its own colour, the disc's cup and rim) unless
// the projection paints them: then each cell's diffuse colour lands on both vertices its
// triangles end on. Drawing few materials from runs of cells keeps the lighting exactly that
// of the cell-by-cell render and needs no colour buffer.
void SceneBuffers3D::BuildColours(const Scene3D& scene, int surface, SurfaceBuffer& buffer)
{
  buffer.material = ColorMaterial(scene.SurfaceColor(surface), 0.1f);
  buffer.colourGeneration = m_ColourGeneration;
  buffer.projectionGeneration = m_ProjectionGeneration;
  buffer.materials.clear();
  buffer.cellMaterials.clear();
  std::vector<platform::COLORREF> colours;
  std::vector<uint8_t> cellColours;
  if (FewCellColours(scene, surface, colours, cellColours)) {
    for (const platform::COLORREF c : colours)
      buffer.materials.push_back(ColorMaterial(c, 0.1f));
    if (buffer.materials.size() > 1)
      buffer.cellMaterials = std::move(cellColours);
    glDeleteBuffers(1, &buffer.colours);
    buffer.colours = 0;
    return;
  }
  const std::vector<float> vertexColours = VertexColours(scene, surface);
  if (!buffer.colours)
    glGenBuffers(1, &buffer.colours);
  const ArrayBufferUpload upload(buffer.colours);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexColours.size() * sizeof(float)), vertexColours.data(),
               GL_STATIC_DRAW);
}

// A moved point changes its own vertices and the normals of the points left of it and in the
// row before, and with them the cells of that row and its own.
bool SceneBuffers3D::UpdateSurface(Scene3D& scene, int surface, SurfaceBuffer& buffer)
{
  const int sx = scene.Size()[0];
  const int sz = scene.Size()[2];
  const RowRange allCells{0, sz - 2};
  const GridRegion moved = scene.TakeSurfaceChanges(surface);
  const Mapping mapping{scene.Map(0.0f, 0.0f, 0.0f), scene.Map(1.0f, 1.0f, 1.0f)};
  if (!buffer.vertices)
    glGenBuffers(1, &buffer.vertices);
  RowRange built;
  if (buffer.sizeX != sx || buffer.sizeZ != sz || !(buffer.mapping == mapping)) {
    const size_t points = static_cast<size_t>(sx) * static_cast<size_t>(sz);
    {
      const ArrayBufferUpload upload(buffer.vertices);
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(points * 2 * kVertexStride), nullptr, GL_STATIC_DRAW);
    }
    BuildVertices(scene, surface, buffer, GridRegion::Whole(sx, sz));
    buffer.sizeX = sx;
    buffer.sizeZ = sz;
    buffer.mapping = mapping;
    buffer.maskGeneration = 0;
    buffer.colourGeneration = 0;
    built.Unite(allCells);
  } else if (!moved.Empty()) {
    BuildVertices(scene, surface, buffer, {{moved.x.first - 1, moved.x.last + 1}, {moved.z.first - 1, moved.z.last}});
    built.Unite(RowRange{moved.z.first - 1, moved.z.last}.Within(sz - 1));
  }
  if (buffer.maskGeneration != m_MaskGeneration || buffer.overUndefined != scene.ShowOverUndefined(surface)) {
    buffer.overUndefined = scene.ShowOverUndefined(surface);
    buffer.maskGeneration = m_MaskGeneration;
    Indices(scene, buffer.overUndefined);
    built.Unite(allCells);
  }
  if (buffer.colourGeneration != m_ColourGeneration ||
      (surface == 0 && buffer.projectionGeneration != m_ProjectionGeneration)) {
    BuildColours(scene, surface, buffer);
    built.Unite(allCells);
  }
  buffer.changedRows.Unite(built);
  return !built.Empty();
}

bool SceneBuffers3D::UpdateSurfaces(Scene3D& scene)
{
  const int sx = scene.Size()[0];
  const int sz = scene.Size()[2];
  if (sx < 2 || sz < 2)
    return false;
  TrackSharedInputs(scene);
  bool built = false;
  for (int i = 0; i < scene.SurfaceCount(); ++i)
    if (scene.SurfaceShown(i))
      built = UpdateSurface(scene, i, m_Surfaces[static_cast<size_t>(i)]) || built;
  return built;
}

RowRange SceneBuffers3D::TakeChangedRows(int surface)
{
  if (surface < 0 || surface >= Scene3D::kMaxSurfaces)
    return {};
  return std::exchange(m_Surfaces[static_cast<size_t>(surface)].changedRows, RowRange());
}

// The cells along the guide lines take their colours from the same buffers: cells within one
// column of the position green, then cells within one row of it red.
void SceneBuffers3D::DrawSurface(const Scene3D& scene, int surface, Cells cells, RowRange rows,
                                 const GuideCellTiles* tiles)
{
  const int sx = scene.Size()[0];
  const int sz = scene.Size()[2];
  if (sx < 2 || sz < 2 || surface < 0 || surface >= Scene3D::kMaxSurfaces)
    return;
  const SurfaceBuffer& buffer = m_Surfaces[static_cast<size_t>(surface)];
  if (!buffer.vertices)
    return;

  const size_t columns = static_cast<size_t>(sx - 1);
  const bool guides = scene.Flag(SceneFlag::GuideLines) && cells != Cells::Plain;
  const std::array<int, 3> p = scene.Position();
  const int gx0 = guides ? std::max(0, p[0] - 1) : 1;
  const int gx1 = guides ? std::min(sx - 2, p[0] + 1) : 0;
  const int gz0 = guides ? std::max(0, p[2] - 1) : 1;
  const int gz1 = guides ? std::min(sz - 2, p[2] + 1) : 0;
  // The plain cells by material, in runs of cells that share it.
  std::vector<CellRuns> plain(std::max<size_t>(1, buffer.materials.size()));
  CellRuns green;
  CellRuns red;
  const auto addPlain = [&](size_t first, size_t count) {
    if (cells == Cells::GuideLines)
      return;
    const std::vector<uint8_t>& of = buffer.cellMaterials;
    if (of.empty()) {
      plain[0].Add(first, count);
      return;
    }
    size_t start = first;
    for (size_t c = first + 1; c <= first + count; ++c) {
      if (c < first + count && of[c] == of[start])
        continue;
      plain[of[start]].Add(start, c - start);
      start = c;
    }
  };
  // The guide-line cells left by the tiles, as indices drawn in one go: in runs they would be
  // split into as many draws as there are gaps.
  std::vector<GLuint> greenShown;
  std::vector<GLuint> redShown;
  // The guide-line cells from column x0 on in row z, less those the tiles leave out.
  const auto addGuides = [&](CellRuns& runs, int z, size_t x0, size_t count) {
    const size_t row = static_cast<size_t>(z) * columns;
    if (!tiles) {
      runs.Add(row + x0, count);
      return;
    }
    std::vector<GLuint>& shown = &runs == &red ? redShown : greenShown;
    for (size_t x = x0; x < x0 + count; ++x) {
      const int cx = static_cast<int>(x);
      const std::array<ScenePoint, 4> corners = {
          scene.MapPoint(scene.SurfacePoint(surface, cx, z)), scene.MapPoint(scene.SurfacePoint(surface, cx + 1, z)),
          scene.MapPoint(scene.SurfacePoint(surface, cx, z + 1)),
          scene.MapPoint(scene.SurfacePoint(surface, cx + 1, z + 1))};
      if (tiles->MayShow(surface, corners))
        AppendCellIndices(scene, buffer.overUndefined, cx, z, shown);
    }
  };
  rows = rows.Within(sz - 1);
  for (int z = rows.first; z <= rows.last; ++z) {
    const size_t row = static_cast<size_t>(z) * columns;
    const bool redRow = z >= gz0 && z <= gz1;
    const auto side = [&](size_t x0, size_t count) {
      if (redRow)
        addGuides(red, z, x0, count);
      else
        addPlain(row + x0, count);
    };
    if (gx0 > gx1) {
      side(0, columns);
      continue;
    }
    side(0, static_cast<size_t>(gx0));
    addGuides(green, z, static_cast<size_t>(gx0), static_cast<size_t>(gx1 - gx0 + 1));
    side(static_cast<size_t>(gx1) + 1, columns - static_cast<size_t>(gx1) - 1);
  }

  glPushAttrib(GL_LIGHTING_BIT);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glShadeModel(GL_FLAT);
  UsePositionsAndNormals(buffer.vertices);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, Indices(scene, buffer.overUndefined));
  if (cells != Cells::GuideLines && buffer.colours) {
    DrawColoured(buffer.colours, plain[0]);
  } else if (cells != Cells::GuideLines) {
    for (size_t k = 0; k < buffer.materials.size(); ++k) {
      ApplyMaterial(buffer.materials[k]);
      plain[k].Draw();
    }
  }
  if (tiles) {
    greenShown.insert(greenShown.end(), redShown.begin(), redShown.end());
    if (!m_GuideIndices)
      glGenBuffers(1, &m_GuideIndices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_GuideIndices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(greenShown.size() * sizeof(GLuint)),
                 greenShown.data(), GL_STREAM_DRAW);
    green.Add(0, (greenShown.size() - redShown.size()) / kIndicesPerCell);
    red.Add((greenShown.size() - redShown.size()) / kIndicesPerCell, redShown.size() / kIndicesPerCell);
  }
  Material3D m = buffer.material;
  scene.SetGuideLineMaterial(0, p[0], m);
  ApplyMaterial(m);
  green.Draw();
  m = buffer.material;
  scene.SetGuideLineMaterial(p[2], p[0] + 3, m);
  ApplyMaterial(m);
  red.Draw();
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glPopClientAttrib();
  glPopAttrib();
  // A software rasteriser bins every triangle of a frame before it draws any: handing over a
  // whole surface at a time keeps its working memory to one surface's triangles instead of
  // all of them (about 20 MiB at a full-size scan with eleven surfaces), and its threads start
  // rasterising while the next surface is set up. Small draws are left to go together.
  size_t drawn = green.Cells() + red.Cells();
  for (const CellRuns& runs : plain)
    drawn += runs.Cells();
  if (drawn >= kCellsWorthAFlush)
    glFlush();
}

void SceneBuffers3D::DrawMesh(const Scene3D& scene, bool vessel)
{
  const float* source = vessel ? scene.VesselVertices() : scene.SEADVertices();
  const size_t vertexCount = vessel ? scene.VesselVertexCount() : scene.SEADVertexCount();
  if (!source)
    return;
  MeshBuffer& mesh = m_Meshes[vessel ? 0 : 1];
  const Mapping mapping{scene.Map(0.0f, 0.0f, 0.0f), scene.Map(1.0f, 1.0f, 1.0f)};
  if (!mesh.built || mesh.generation != scene.MeshGeneration() || !(mesh.mapping == mapping)) {
    const size_t triangles = vertexCount / 3;
    if (!mesh.vertices)
      glGenBuffers(1, &mesh.vertices);
    const ArrayBufferUpload upload(mesh.vertices);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(triangles * 3 * kVertexStride), nullptr, GL_STATIC_DRAW);
    // Uploaded a block at a time, so that no second copy of a large mesh is ever held.
    std::vector<float> block(std::min(triangles, kMeshBlock) * 3 * kFloatsPerVertex);
    for (size_t first = 0; first < triangles; first += kMeshBlock) {
      const size_t count = std::min(kMeshBlock, triangles - first);
      for (size_t t = 0; t < count; ++t) {
        const float* v = source + 9 * (first + t);
        // Drawn from the third vertex back to the first.
        const ScenePoint p0 = scene.Map(v[6], v[7], v[8]);
        const ScenePoint p1 = scene.Map(v[3], v[4], v[5]);
        const ScenePoint p2 = scene.Map(v[0], v[1], v[2]);
        const ScenePoint n = TriangleNormal(p0, p1, p2);
        float* out = block.data() + t * 3 * kFloatsPerVertex;
        PutVertex(out, p0, n);
        PutVertex(out + kFloatsPerVertex, p1, n);
        PutVertex(out + 2 * kFloatsPerVertex, p2, n);
      }
      glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(first * 3 * kVertexStride),
                      static_cast<GLsizeiptr>(count * 3 * kVertexStride), block.data());
    }
    mesh.count = static_cast<GLsizei>(triangles * 3);
    mesh.generation = scene.MeshGeneration();
    mesh.mapping = mapping;
    mesh.built = true;
  }
  ApplyMaterial(ColorMaterial(scene.Color(vessel ? SceneColor::Vessel : SceneColor::SEAD), 1.0f));
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  UsePositionsAndNormals(mesh.vertices);
  glDrawArrays(GL_TRIANGLES, 0, mesh.count);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glPopClientAttrib();
}

// The values change with the slice, the slab and the volume; the window only changes the
// grey table.
void SceneBuffers3D::UpdatePlane(Scene3D& scene, int orientation, PlaneTexture& plane)
{
  int columns = 0;
  int rows = 0;
  SliceAxes axes;
  scene.PlaneSize(orientation, columns, rows);
  SliceAxesOf(orientation, axes);
  const std::array<uint64_t, 3> key = {static_cast<uint64_t>(scene.Position()[static_cast<size_t>(axes.slice)]),
                                       static_cast<uint64_t>(scene.AvgSliceNum()), scene.VolumeGeneration()};
  const bool sized = plane.built && plane.columns == columns && plane.rows == rows;
  if (sized && plane.key == key)
    return;
  if (!scene.PlaneSlabMeans(orientation, m_Values))
    return;
  if (!plane.texture)
    glGenTextures(1, &plane.texture);
  glBindTexture(GL_TEXTURE_2D, plane.texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
  if (sized) {
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, columns, rows, GL_RED_INTEGER, GL_UNSIGNED_SHORT, m_Values.data());
  } else {
    SetNearest();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R16UI, columns, rows, 0, GL_RED_INTEGER, GL_UNSIGNED_SHORT, m_Values.data());
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glBindTexture(GL_TEXTURE_2D, 0);
  plane.columns = columns;
  plane.rows = rows;
  plane.key = key;
  plane.built = true;
}

// The grey of every 16-bit value v at (v % 256, v / 256).
void SceneBuffers3D::UpdateGreyTable(Scene3D& scene)
{
  const std::array<float, 2> window = scene.KeepWindowInRange();
  if (m_GreyTable && window == m_TableWindow)
    return;
  const std::vector<uint8_t> table = SliceGreyTable(window[0], window[1]);
  const bool made = m_GreyTable != 0;
  if (!made)
    glGenTextures(1, &m_GreyTable);
  glBindTexture(GL_TEXTURE_2D, m_GreyTable);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (made) {
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 256, GL_RED, GL_UNSIGNED_BYTE, table.data());
  } else {
    SetNearest();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, 256, 256, 0, GL_RED, GL_UNSIGNED_BYTE, table.data());
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glBindTexture(GL_TEXTURE_2D, 0);
  m_TableWindow = window;
}

// The fixed-function vertex stage lights the quad with a quarter-grey material; a cell's
// colour c then shows as c times the light, four times the lit colour.
bool SceneBuffers3D::PrepareProgram()
{
  if (m_ProgramTried)
    return m_Program.program != 0;
  m_ProgramTried = true;
  static const char* const source = R"(#version 130
uniform usampler2D values;
uniform sampler2D greyTable;
uniform ivec2 size;
uniform bool guides;
uniform ivec2 position;
uniform vec3 columnColour;
uniform vec3 rowColour;
uniform vec3 frameColour;
void main()
{
  ivec2 cell = clamp(ivec2(floor(gl_TexCoord[0].st * vec2(size))), ivec2(0), size - 1);
  uint value = texelFetch(values, cell, 0).r;
  vec3 colour = vec3(texelFetch(greyTable, ivec2(int(value & 255u), int(value >> 8u)), 0).r);
  if (guides) {
    if (abs(cell.x - position.x) <= 1)
      colour = columnColour;
    else if (abs(cell.y - position.y) <= 1)
      colour = rowColour;
    if (cell.x < 2 || cell.x >= size.x - 3 || cell.y < 2 || cell.y >= size.y - 3)
      colour = frameColour;
  }
  gl_FragColor = vec4(clamp(colour * gl_Color.rgb * 4.0, 0.0, 1.0), gl_Color.a);
}
)";
  const GLuint shader = glCreateShader(GL_FRAGMENT_SHADER);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  const GLuint program = ok ? glCreateProgram() : 0;
  if (program) {
    glAttachShader(program, shader);
    glLinkProgram(program);
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
  }
  glDeleteShader(shader);
  if (!ok) {
    glDeleteProgram(program);
    return false;
  }
  m_Program.program = program;
  for (auto [location, name] : {std::pair{&m_Program.size, "size"}, {&m_Program.guides, "guides"},
                                {&m_Program.position, "position"}, {&m_Program.columnColour, "columnColour"},
                                {&m_Program.rowColour, "rowColour"}, {&m_Program.frameColour, "frameColour"}})
    *location = glGetUniformLocation(program, name);
  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "values"), 0);
  glUniform1i(glGetUniformLocation(program, "greyTable"), 1);
  glUseProgram(0);
  return true;
}

// One quad, its cells' colours from the slab means through the grey table, the guide lines
// and the frame laid over them as the cells take them.
bool SceneBuffers3D::DrawPlane(Scene3D& scene, int orientation)
{
  int columns = 0;
  int rows = 0;
  SliceAxes axes;
  if (!scene.PlaneSize(orientation, columns, rows) || !SliceAxesOf(orientation, axes) || columns < 2 || rows < 2)
    return true;
  if (!PrepareProgram())
    return false;
  PlaneTexture& plane = m_Planes[static_cast<size_t>(orientation == OrientationZY ? 1 : orientation == OrientationXZ ? 2 : 0)];
  UpdatePlane(scene, orientation, plane);
  UpdateGreyTable(scene);
  if (!plane.built)
    return true;

  Material3D quarter;
  quarter.ambient = {0.25f, 0.25f, 0.25f, 1.0f};
  quarter.diffuse = quarter.ambient;
  ApplyMaterial(quarter);
  glPushAttrib(GL_TEXTURE_BIT);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, m_GreyTable);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, plane.texture);
  glUseProgram(m_Program.program);
  const std::array<int, 3> p = scene.Position();
  glUniform2i(m_Program.size, columns, rows);
  glUniform1i(m_Program.guides, scene.Flag(SceneFlag::GuideLines));
  glUniform2i(m_Program.position, p[static_cast<size_t>(axes.column)], p[static_cast<size_t>(axes.row)]);
  const auto colour = [](GLint location, platform::COLORREF c) {
    // As an 8-bit texel would hold the colour.
    const std::array<float, 4>& d = FlatMaterial(c).diffuse;
    const auto channel = [](float v) { return std::round(std::clamp(v, 0.0f, 1.0f) * 255.0f) / 255.0f; };
    glUniform3f(location, channel(d[0]), channel(d[1]), channel(d[2]));
  };
  colour(m_Program.columnColour, kAxisColors[axes.column]);
  colour(m_Program.rowColour, kAxisColors[axes.row]);
  colour(m_Program.frameColour, kAxisColors[axes.slice]);

  const float u = static_cast<float>(columns - 1) / static_cast<float>(columns);
  const float v = static_cast<float>(rows - 1) / static_cast<float>(rows);
  const ScenePoint a = scene.PlaneCorner(orientation, 0, 0);
  const ScenePoint b = scene.PlaneCorner(orientation, columns - 1, 0);
  const ScenePoint c = scene.PlaneCorner(orientation, 0, rows - 1);
  const ScenePoint d = scene.PlaneCorner(orientation, columns - 1, rows - 1);
  const auto vertex = [](const ScenePoint& point, float s, float t) {
    glTexCoord2f(s, t);
    glVertex3f(point.x, point.y, point.z);
  };
  glBegin(GL_TRIANGLES);
  ScenePoint n = TriangleNormal(c, b, a);
  glNormal3f(n.x, n.y, n.z);
  vertex(c, 0.0f, v);
  vertex(b, u, 0.0f);
  vertex(a, 0.0f, 0.0f);
  n = TriangleNormal(c, d, b);
  glNormal3f(n.x, n.y, n.z);
  vertex(c, 0.0f, v);
  vertex(d, u, v);
  vertex(b, u, 0.0f);
  glEnd();
  glUseProgram(0);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, 0);
  glPopAttrib();
  return true;
}
