// The mesh cache file: ASCII VTK polydata (legacy format 3.0) with the vertices in
// millimetres and one "3 i j k" polygon per triangle.
#include "data/LMesh.h"

#include "data/AtomicFile.h"
#include "data/BinaryReader.h"
#include "data/NumberText.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Walks the file's text line by line, or token by token across lines.
class VtkText {
public:
  explicit VtkText(std::string_view text) : m_Text(text) {}

  bool NextLine(std::string_view& line)
  {
    if (m_Pos >= m_Text.size())
      return false;
    const size_t end = m_Text.find('\n', m_Pos);
    const size_t stop = end == std::string_view::npos ? m_Text.size() : end;
    line = m_Text.substr(m_Pos, stop - m_Pos);
    m_Pos = stop == m_Text.size() ? stop : stop + 1;
    return true;
  }

  bool NextToken(std::string_view& token)
  {
    while (m_Pos < m_Text.size() && IsSeparator(m_Text[m_Pos]))
      ++m_Pos;
    const size_t begin = m_Pos;
    while (m_Pos < m_Text.size() && !IsSeparator(m_Text[m_Pos]))
      ++m_Pos;
    token = m_Text.substr(begin, m_Pos - begin);
    return !token.empty();
  }

  void SkipRestOfLine()
  {
    const size_t end = m_Text.find('\n', m_Pos);
    m_Pos = end == std::string_view::npos ? m_Text.size() : end + 1;
  }

  size_t Remaining() const { return m_Text.size() - m_Pos; }

private:
  std::string_view m_Text;
  size_t m_Pos = 0;
};

// The second blank-separated token of a section line as a count; -1 when there is none.
long long SectionCount(std::string_view line)
{
  VtkText words(line);
  std::string_view keyword, count;
  long long value = -1;
  if (!words.NextToken(keyword) || !words.NextToken(count) || !numtext::ParseIntToken(count, value))
    return -1;
  return value;
}

// A count is plausible only when its numbers, one character and a separator each, fit
// into what is left of the file; checked before anything is allocated.
bool FitsInFile(long long count, int numbersEach, size_t remaining)
{
  return count >= 0 && static_cast<uint64_t>(count) <= (remaining / 2 + 1) / static_cast<uint64_t>(numbersEach);
}

bool ReadPoints(VtkText& text, long long count, const float spacing[3], std::vector<float>& vertices)
{
  if (!FitsInFile(count, 3, text.Remaining()) || count > INT32_MAX)
    return false;  // vertex numbers are 32-bit
  vertices.resize(3 * static_cast<size_t>(count));
  for (size_t i = 0; i < vertices.size(); ++i) {
    std::string_view token;
    float millimetres = 0.0f;
    if (!text.NextToken(token) || !numtext::ParseFloatToken(token, millimetres) || !std::isfinite(millimetres))
      return false;
    vertices[i] = millimetres / spacing[i % 3];
  }
  if (count > 0)
    text.SkipRestOfLine();  // the last point's line; without points the next line is a section's
  return true;
}

bool ReadTriangles(VtkText& text, long long count, size_t vertexCount, std::vector<int32_t>& indices)
{
  if (!FitsInFile(count, 4, text.Remaining()))
    return false;
  indices.resize(3 * static_cast<size_t>(count));
  for (size_t t = 0; t < static_cast<size_t>(count); ++t) {
    std::string_view token;
    long long value = 0;
    if (!text.NextToken(token) || !numtext::ParseIntToken(token, value) || value != 3)
      return false;  // only triangles
    for (size_t c = 0; c < 3; ++c) {
      if (!text.NextToken(token) || !numtext::ParseIntToken(token, value) || value < 0 ||
          static_cast<uint64_t>(value) >= vertexCount)
        return false;
      indices[3 * t + c] = static_cast<int32_t>(value);
    }
  }
  return true;
}

}  // namespace

int LMesh::ReadVtk(const std::string& path, const int size[3], const float spacing[3], uint64_t largest)
{
  for (int i = 0; i < 3; ++i)
    if (!(spacing[i] > 0.0f) || !std::isfinite(spacing[i]))
      return -1;  // millimetres could not be turned back into voxels
  try {
    std::string contents;
    if (!binary::ReadWholeFile(path, contents, largest))
      return -1;
    VtkText text(contents);
    std::vector<float> vertices;
    std::vector<int32_t> indices;
    bool havePoints = false;
    std::string_view line;
    while (text.NextLine(line)) {
      if (line.find("POINTS") != std::string_view::npos) {
        if (!ReadPoints(text, SectionCount(line), spacing, vertices))
          return -1;
        havePoints = true;
      } else if (line.find("POLYGONS") != std::string_view::npos) {
        if (!havePoints || !ReadTriangles(text, SectionCount(line), vertices.size() / 3, indices))
          return -1;
        // A valid mesh: only now does it replace the held one.
        for (int i = 0; i < 3; ++i) {
          m_Size[i] = size[i];
          m_Spacing[i] = spacing[i];
        }
        m_Vertices.swap(vertices);
        m_Indices.swap(indices);
        RefreshCorners();
        m_Allocated = true;
        return 0;
      }
    }
    return -1;  // no triangles section: not a mesh
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

int LMesh::WriteVtk(const std::string& path, writetarget::WriteOrigin origin) const
{
  std::string text;
  return CacheText(text) == 0 ? WriteFileAtomically(path, text, origin) : -1;
}

int LMesh::CacheText(std::string& text) const
{
  try {
    const size_t vertices = GetVertexCount();
    const size_t triangles = GetIndexCount() / 3;
    text = "# vtk DataFile Version 3.0\nComment:\nASCII\nDATASET POLYDATA\n";
    text.reserve(text.size() + 40 * vertices + 24 * triangles + 64);
    text += numtext::Format("POINTS %zu float\n", vertices);
    for (size_t v = 0; v < vertices; ++v)
      for (int i = 0; i < 3; ++i) {
        numtext::AppendFixed(text, m_Vertices[3 * v + i] * m_Spacing[i], 6);
        text += i < 2 ? ' ' : '\n';
      }
    text += numtext::Format("POLYGONS %zu %zu\n", triangles, 4 * triangles);
    for (size_t t = 0; t < triangles; ++t) {
      text += '3';
      for (int c = 0; c < 3; ++c) {
        text += ' ';
        numtext::AppendInt(text, m_Indices[3 * t + c]);
      }
      text += '\n';
    }
    return 0;
  } catch (const std::bad_alloc&) {
    return -1;
  }
}
