#include "panes/SliceMapping.h"

#include <gtest/gtest.h>

namespace {

struct MappingCase {
  const char* what;
  int columns, rows;
  float zoom;
  int panX, panY;
  int width, height;
  int visibleColumns, visibleRows;
  int left, top;  // the first column and row shown
};

const MappingCase kCases[] = {
    {"whole image", 16, 24, 1.0f, 0, 0, 41, 67, 16, 24, 0, 0},
    {"window smaller than the image", 512, 1024, 1.0f, 0, 0, 300, 700, 512, 1024, 0, 0},
    {"odd sizes at half zoom", 511, 101, 0.5f, 0, 0, 1000, 333, 255, 51, 128, 25},
    {"tenth zoom, even columns, odd rows", 100, 101, 0.1f, 0, 0, 333, 250, 10, 11, 45, 45},
    {"panned: right and towards row 0", 100, 101, 0.1f, 3, 2, 333, 250, 10, 11, 48, 43},
    {"panned the other way", 16, 24, 0.5f, -2, -3, 50, 70, 8, 12, 2, 9},
    {"zoom 0.7 truncates the half", 24, 6, 0.7f, 1, 0, 97, 61, 16, 4, 5, 1},
    {"two columns zoomed in still show one", 2, 1, 0.1f, 0, 0, 41, 9, 1, 1, 1, 0},
};

TEST(SliceMapping, VisiblePartAndCellCentresRoundTrip)
{
  for (const MappingCase& c : kCases) {
    SCOPED_TRACE(c.what);
    const auto m = SliceMapping::Make(c.columns, c.rows, c.zoom, c.panX, c.panY, c.width, c.height);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->VisibleColumns(), c.visibleColumns);
    EXPECT_EQ(m->VisibleRows(), c.visibleRows);
    const PixelRect part = m->VisiblePart();
    EXPECT_EQ(part.x, c.left);
    EXPECT_EQ(part.y, c.top);
    EXPECT_EQ(part.width, c.visibleColumns);
    EXPECT_EQ(part.height, c.visibleRows);
    // The window's first and last pixels lie in the first and last cell shown.
    if (c.width >= c.visibleColumns) {
      EXPECT_EQ(m->ColumnAt(0), c.left);
      EXPECT_EQ(m->ColumnAt(c.width - 1), c.left + c.visibleColumns - 1);
    }
    if (c.height >= c.visibleRows) {
      EXPECT_EQ(m->RowAt(0), c.top);
      EXPECT_EQ(m->RowAt(c.height - 1), c.top + c.visibleRows - 1);
    }
    // Where a cell is more than one pixel wide, its centre and its rectangle lie in it.
    if (c.width > c.visibleColumns)
      for (int col = c.left; col < c.left + c.visibleColumns; ++col) {
        const int x = m->CentreX(static_cast<float>(col));
        ASSERT_EQ(m->ColumnAt(x), col) << "column " << col;
        const PixelRect cell = m->Cell(col, c.top);
        EXPECT_LE(cell.x, x);
        EXPECT_LT(x, cell.x + cell.width);
      }
    if (c.height > c.visibleRows)
      for (int row = c.top; row < c.top + c.visibleRows; ++row) {
        const int y = m->CentreY(static_cast<float>(row));
        ASSERT_EQ(m->RowAt(y), row) << "row " << row;
        const PixelRect cell = m->Cell(c.left, row);
        EXPECT_LE(cell.y, y);
        EXPECT_LT(y, cell.y + cell.height);
      }
  }
}

TEST(SliceMapping, CellsTileTheWindowWithoutGaps)
{
  // 7 columns over 50 pixels: every cell starts where the one before it ends, or earlier.
  const auto m = SliceMapping::Make(7, 3, 1.0f, 0, 0, 50, 10);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->Cell(0, 0).x, 0);
  for (int c = 1; c < 7; ++c) {
    SCOPED_TRACE(c);
    const PixelRect before = m->Cell(c - 1, 0);
    EXPECT_LE(m->Cell(c, 0).x, before.x + before.width);
  }
  const PixelRect last = m->Cell(6, 0);
  EXPECT_GE(last.x + last.width, 50);
}

TEST(SliceMapping, NothingToMapWithoutPixels)
{
  const struct {
    int columns, rows, width, height;
  } kEmpty[] = {{0, 24, 40, 40}, {16, 0, 40, 40}, {16, 24, 0, 40}, {16, 24, 40, 0}, {16, 24, -5, 40}};
  for (const auto& e : kEmpty) {
    SCOPED_TRACE(testing::Message() << e.columns << "x" << e.rows << " in " << e.width << "x" << e.height);
    EXPECT_FALSE(SliceMapping::Make(e.columns, e.rows, 1.0f, 0, 0, e.width, e.height));
  }
}

}  // namespace
