#pragma once
// Raster text for the 3-D pane: one OpenGL display list per character 32 to 127, each a
// glBitmap of the glyph in a bold sans-serif font, so that glCallLists with a list base of
// the first list - 32 draws a string at the current raster position.
//
// The lists live in the context current when they were made; they are kept for one font
// height and made again when it changes. A character's list is built when a text first
// needs it (the others stay empty), since a large glyph takes long to build.
#include <GL/gl.h>

#include <array>
#include <string_view>

class GlyphLists {
public:
  GlyphLists() = default;
  GlyphLists(const GlyphLists&) = delete;
  GlyphLists& operator=(const GlyphLists&) = delete;

  // The first list of the characters in a font whose cell (ascent + descent) is the given
  // height in pixels, with the lists of the characters of `text` built; 0 when there are
  // none. Needs the context current.
  GLuint ListsFor(int cellHeight, std::string_view text);
  // Deletes the lists; needs their context current.
  void Release();
  bool Held() const { return m_First != 0; }

private:
  static constexpr int kFirstChar = 32;
  static constexpr int kCharCount = 96;
  // The character's list, or -1 for a character without one.
  static int IndexOf(char c);
  void Build(std::string_view text);

  GLuint m_First = 0;
  int m_Height = 0;
  std::array<bool, kCharCount> m_Built{};
};
