#pragma once
// Parts of the surfaces' (x, z) grid that an edit changed, so that what is built from the
// surfaces is built again only there.
#include <algorithm>

// A range of rows (or columns), both ends included; empty when first lies past last.
struct RowRange {
  int first = 0;
  int last = -1;

  bool Empty() const { return first > last; }
  int Count() const { return Empty() ? 0 : last - first + 1; }
  bool Contains(const RowRange& o) const { return o.Empty() || (!Empty() && first <= o.first && o.last <= last); }
  void Unite(const RowRange& o)
  {
    if (o.Empty())
      return;
    if (Empty()) {
      *this = o;
      return;
    }
    first = std::min(first, o.first);
    last = std::max(last, o.last);
  }
  // Kept within [0, end - 1].
  RowRange Within(int end) const { return {std::max(first, 0), std::min(last, end - 1)}; }
  bool operator==(const RowRange& o) const { return (Empty() && o.Empty()) || (first == o.first && last == o.last); }
};

// A rectangle of grid points: columns x and rows z.
struct GridRegion {
  RowRange x;
  RowRange z;

  static GridRegion Whole(int sizeX, int sizeZ) { return {{0, sizeX - 1}, {0, sizeZ - 1}}; }
  bool Empty() const { return x.Empty() || z.Empty(); }
  void Unite(const GridRegion& o)
  {
    if (o.Empty())
      return;
    if (Empty()) {
      *this = o;
      return;
    }
    x.Unite(o.x);
    z.Unite(o.z);
  }
  // Unites the single point (px, pz).
  void Add(int px, int pz) { Unite({{px, px}, {pz, pz}}); }
};
