#pragma once
// Raster text for the 3-D pane: one OpenGL display list per character 32 to 127, each a
// glBitmap of the glyph in a bold sans-serif font, so that glCallLists with a list base of
// the first list - 32 draws a string at the current raster position.
//
// The lists live in the context current when they were built; they are kept for one font
// height and rebuilt when it changes.
#include <GL/gl.h>

class GlyphLists {
public:
  GlyphLists() = default;
  GlyphLists(const GlyphLists&) = delete;
  GlyphLists& operator=(const GlyphLists&) = delete;

  // The first list of the characters in a font whose cell (ascent + descent) is the given
  // height in pixels; 0 when there are none. Needs the context current.
  GLuint ListsFor(int cellHeight);
  // Deletes the lists; needs their context current.
  void Release();

private:
  void Build(int cellHeight);

  GLuint m_First = 0;
  int m_Height = 0;
};
