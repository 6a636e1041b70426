#pragma once
// How a slice image of C columns and R rows, zoomed and panned, lies in a window of W x H
// device pixels. Every drawing and every mouse tool of a slice pane maps through this one
// class, so that what is drawn and what is clicked agree.
//
// The zoom is the fraction of the image shown around its middle; a larger pan x shows
// columns further right, a larger pan y rows nearer the top (row 0).
#include <optional>
#include <vector>

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  // Right and bottom excluded.
  bool Contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }

  friend bool operator==(const PixelRect& a, const PixelRect& b)
  {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
  }
};

// One window rectangle per control point of every spline, owned by the view. A pane writes
// the entries of the control points it draws; the spline tools hit-test entry k for point k.
using SplineHitRects = std::vector<std::vector<PixelRect>>;

class SliceMapping {
public:
  // Nothing to map (no mapping) when the image or the window has no pixels: a pane hidden by
  // a layout, or not sized yet, draws nothing and ignores input.
  static std::optional<SliceMapping> Make(int columns, int rows, float zoom, int panX, int panY,
                                          int windowWidth, int windowHeight);

  int VisibleColumns() const { return m_Cols.visible; }
  int VisibleRows() const { return m_Rows.visible; }

  // The window point of the centre of a column or row; fractional positions (mesh vertices)
  // map by the same formula.
  int CentreX(float column) const;
  int CentreY(float row) const;
  // The filled rectangle of the voxel cell (c, r), one pixel larger than the scale so that
  // neighbouring cells leave no gaps.
  PixelRect Cell(int column, int row) const;
  // The same for a fractional position (a mesh vertex).
  PixelRect CellAt(float column, float row) const;
  // The 8 x 8 window rectangle around the centre of a cell, in which a marker or a control
  // point drawn there is circled and hit by a click.
  PixelRect HitRect(int column, int row) const;
  // The column and row under a window point (truncated, as a click is taken).
  int ColumnAt(int x) const;
  int RowAt(int y) const;
  // The part of the image shown, in image pixels with row 0 at the top; it is stretched
  // over the whole window.
  PixelRect VisiblePart() const;

private:
  // One axis of the mapping: image size n shown at zoom z over w window pixels.
  struct Axis {
    int half = 0;         // n div 2
    int halfVisible = 0;  // trunc(half * zoom)
    int visible = 0;      // 2 * halfVisible, plus 1 for odd n; at least 1
    float scale = 0.0f;   // w / visible
    float offset = 0.0f;  // (half - halfVisible) * scale
    static Axis Make(int n, float zoom, int w);
  };

  SliceMapping(Axis cols, Axis rows, int panX, int panY)
      : m_Cols(cols), m_Rows(rows), m_PanX(panX), m_PanY(panY) {}

  Axis m_Cols;
  Axis m_Rows;
  int m_PanX = 0;
  int m_PanY = 0;
};
