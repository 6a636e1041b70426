#pragma once
// The fixed table of the 25 retinal surfaces. Surfaces records store row indices; the
// label codes rise with the row from row 1 to row 23, so ordering by row orders by label.
// Row 0 is what a surface gets whose name matches no row, row 24 the reference surface
// used for flattening.
#include <string>
#include <string_view>

class SurfaceTable {
public:
  static constexpr int kRowCount = 25;
  static constexpr int kUnknownRow = 0;
  static constexpr int kReferenceRow = 24;

  struct Row {
    const char* labelCode;    // written as a surface's label
    const char* name;         // written as its name; the abbreviation in the last parentheses
    const char* shortNumber;  // a name given as a bare number matches this
  };

  // The row of an index; an index outside the table gives row 0.
  static const Row& At(int index);

  // The matching key of a row: the abbreviation of its name, normalised.
  static const std::string& Key(int index);

  // Lower-cases the text and keeps only the letters a-z and the digits 0-9.
  static std::string Normalise(std::string_view text);

  enum class ShortNumbers { Match, Ignore };

  // The row of a surface name as a reader takes it: the first row whose key occurs in the
  // normalised name, or (with ShortNumbers::Match) whose short number equals it. A null or
  // empty name gives row 0 silently; a name that matches nothing gives row 0 after
  // "Warning: Unknown surface name = '<name>'\n".
  static int RowForName(const char* name, ShortNumbers shortNumbers);
};
