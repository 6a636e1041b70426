#include "panes/SliceRender.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr int kValueCount = 65536;

// Where the pixels of a slice and its slab lie in the voxel array.
struct SlabGeometry {
  const unsigned short* voxels = nullptr;
  int columns = 0;
  int rows = 0;
  int64_t columnStride = 0;
  int64_t rowStride = 0;
  int64_t sliceStride = 0;
  int slice = 0;  // the current slice, inside the volume
  int first = 0;  // the slab
  int count = 0;
};

int64_t VoxelStride(int axis, const int size[3])
{
  if (axis == AxisX)
    return 1;
  if (axis == AxisY)
    return size[0];
  return static_cast<int64_t>(size[0]) * size[1];
}

// The mask over (x, z) cells does not change along y.
int64_t MaskStride(int axis, const int size[3])
{
  if (axis == AxisX)
    return 1;
  return axis == AxisY ? 0 : size[0];
}

bool MakeGeometry(const SliceRenderInput& in, const SliceAxes& axes, SlabGeometry& g)
{
  g.voxels = in.voxels;
  g.columns = in.size[axes.column];
  g.rows = in.size[axes.row];
  g.columnStride = VoxelStride(axes.column, in.size);
  g.rowStride = VoxelStride(axes.row, in.size);
  g.sliceStride = VoxelStride(axes.slice, in.size);
  const int n = in.size[axes.slice];
  if (n <= 0)
    return false;
  // A position outside the volume shows the nearest slice rather than reading past it.
  g.slice = std::clamp(in.position[axes.slice], 0, n - 1);
  const int half = in.greyOnly ? 0 : std::min(n, std::max(1, in.avgSliceNum) / 2);
  g.first = std::max(0, g.slice - half);
  const int last = std::min(n - 1, g.slice + half);
  g.count = last - g.first + 1;
  return true;
}

}  // namespace

std::vector<uint8_t> SliceGreyTable(float centre, float width)
{
  const float lo = centre - width / 2.0f;
  const float hi = centre + width / 2.0f;
  // Every value is an exact float: the linear part is the whole numbers from lo to hi.
  const int first = static_cast<int>(std::clamp(std::ceil(lo), 0.0f, static_cast<float>(kValueCount)));
  const int last = static_cast<int>(std::clamp(std::floor(hi), -1.0f, static_cast<float>(kValueCount - 1)));
  std::vector<uint8_t> table(kValueCount, 0);
  // Two simple passes over short runs, so that the compiler can do the arithmetic several
  // values at a time.
  constexpr int kRun = 256;
  float linear[kRun];
  for (int run = first; run <= last; run += kRun) {
    const int n = std::min(kRun, last - run + 1);
    for (int i = 0; i < n; ++i)
      linear[i] = (static_cast<float>(run + i) - lo) * 255.0f / width + 0.5f;
    for (int i = 0; i < n; ++i)
      table[static_cast<size_t>(run + i)] = static_cast<uint8_t>(std::min(255, static_cast<int>(linear[i])));
  }
  if (last + 1 < kValueCount)
    std::fill(table.begin() + std::max(0, last + 1), table.end(), uint8_t{255});
  return table;
}

namespace {

inline QRgb Grey(uint8_t g) { return 0xFF000000u | (0x010101u * g); }

// The slab's mean, rounded: trunc(sum / count + 0.5) in single precision.
template <typename Acc>
inline unsigned short Mean(Acc sum, float count)
{
  return static_cast<unsigned short>(std::min(65535.0f, static_cast<float>(sum) / count + 0.5f));
}

// Columns along x (XY, XZ): each image row is the sum of whole voxel rows, one per slice.
// take(row, values) takes each row's slab means.
template <typename Acc, typename TakeRow>
void SlabRowsAlongX(const SlabGeometry& g, TakeRow take)
{
  std::vector<Acc> sums(static_cast<size_t>(g.columns));
  std::vector<unsigned short> values(static_cast<size_t>(g.columns));
  const float count = static_cast<float>(g.count);
  for (int r = 0; r < g.rows; ++r) {
    const unsigned short* slab = g.voxels + r * g.rowStride + g.first * g.sliceStride;
    if (g.count == 1) {
      take(r, slab);
      continue;
    }
    std::fill(sums.begin(), sums.end(), Acc{0});
    for (int s = 0; s < g.count; ++s) {
      const unsigned short* in = slab + s * g.sliceStride;
      for (int c = 0; c < g.columns; ++c)
        sums[static_cast<size_t>(c)] += in[c];
    }
    for (int c = 0; c < g.columns; ++c)
      values[static_cast<size_t>(c)] = Mean(sums[static_cast<size_t>(c)], count);
    take(r, values.data());
  }
}

// The slab along x (ZY, the only orientation whose columns do not run along x): each pixel
// sums a short run of one voxel row; the volume is walked plane by plane, row by row.
// take(column, row, value) takes each pixel's slab mean.
template <typename Acc, typename TakePixel>
void SlabPixelsAlongX(const SlabGeometry& g, TakePixel take)
{
  const float count = static_cast<float>(g.count);
  for (int c = 0; c < g.columns; ++c)
    for (int r = 0; r < g.rows; ++r) {
      const unsigned short* in = g.voxels + c * g.columnStride + r * g.rowStride + g.first;
      Acc sum = 0;
      for (int s = 0; s < g.count; ++s)
        sum += in[s];
      take(c, r, g.count == 1 ? in[0] : Mean(sum, count));
    }
}

// Both walks in the voxels' memory order, whichever way the columns run.
template <typename Acc, typename TakeRow, typename TakePixel>
void SlabMeansSummedIn(const SlabGeometry& g, TakeRow takeRow, TakePixel takePixel)
{
  if (g.columnStride == 1)
    SlabRowsAlongX<Acc>(g, takeRow);
  else
    SlabPixelsAlongX<Acc>(g, takePixel);
}

// 32-bit sums hold any slab of up to 65537 slices of 16-bit values.
template <typename TakeRow, typename TakePixel>
void SlabMeans(const SlabGeometry& g, TakeRow takeRow, TakePixel takePixel)
{
  constexpr int kMaxSlab32 = static_cast<int>(std::numeric_limits<uint32_t>::max() / 65535u);
  if (g.count <= kMaxSlab32)
    SlabMeansSummedIn<uint32_t>(g, takeRow, takePixel);
  else
    SlabMeansSummedIn<uint64_t>(g, takeRow, takePixel);
}

void BlendPixel(int ch[3], platform::COLORREF color, float a, float t)
{
  ch[0] = std::min(255, BlendChannel(ch[0], platform::RedOf(color), a, t));
  ch[1] = std::min(255, BlendChannel(ch[1], platform::GreenOf(color), a, t));
  ch[2] = std::min(255, BlendChannel(ch[2], platform::BlueOf(color), a, t));
}

void TintLabel(int ch[3], const LabelTint& tint, int64_t voxel)
{
  // Pages that hold nothing but 0 are not read.
  const unsigned short* label = tint.labels + voxel;
  const int value = tint.written.MayHoldData(label) ? *label : 0;
  if (value == 0 || tint.maximum <= 0)
    return;
  const float a = OpacityFraction(tint.opacity);
  // A value below the maximum darkens the pixel more than it tints it.
  const float t = static_cast<float>(std::min(value, tint.maximum)) / static_cast<float>(tint.maximum) * a;
  BlendPixel(ch, tint.color, a, t);
}

// The tints come from the current slice, not from the slab. The pixels are visited in the
// label volumes' memory order: row by row where the columns run along x, else column by
// column (ZY, whose columns are whole planes apart).
void ApplyTints(const SliceRenderInput& in, const SliceAxes& axes, const SlabGeometry& g, QImage& bitmap)
{
  const int64_t maskColumn = MaskStride(axes.column, in.size);
  const int64_t maskRow = MaskStride(axes.row, in.size);
  const int64_t maskBase = g.slice * MaskStride(axes.slice, in.size);
  const int64_t voxelBase = g.slice * g.sliceStride;
  const float undefinedA = OpacityFraction(in.undefinedRegion.opacity);
  const float cupA = OpacityFraction(in.cup.opacity);
  const float rimA = OpacityFraction(in.rim.opacity);
  uchar* bits = bitmap.bits();
  const qsizetype stride = bitmap.bytesPerLine();
  const auto tint = [&](int c, int r) {
    QRgb& pixel = reinterpret_cast<QRgb*>(bits + r * stride)[c];
    const int64_t cell = maskBase + c * maskColumn + r * maskRow;
    const int64_t voxel = voxelBase + c * g.columnStride + r * g.rowStride;
    int ch[3] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
    if (in.undefinedRegion.mask && in.undefinedRegion.mask[cell] == kUndefinedCell)
      BlendPixel(ch, in.undefinedRegion.color, undefinedA, undefinedA);
    if (in.cup.mask && IsDiscCup(in.cup.mask[cell]))
      BlendPixel(ch, in.cup.color, cupA, cupA);
    else if (in.rim.mask && IsDiscRim(in.rim.mask[cell]))
      BlendPixel(ch, in.rim.color, rimA, rimA);
    if (in.vessel.labels)
      TintLabel(ch, in.vessel, voxel);
    if (in.sead.labels)
      TintLabel(ch, in.sead, voxel);
    pixel = qRgb(ch[0], ch[1], ch[2]);
  };
  if (g.columnStride == 1) {
    for (int r = 0; r < g.rows; ++r)
      for (int c = 0; c < g.columns; ++c)
        tint(c, r);
  } else {
    for (int c = 0; c < g.columns; ++c)
      for (int r = 0; r < g.rows; ++r)
        tint(c, r);
  }
}

bool HasTints(const SliceRenderInput& in)
{
  return in.undefinedRegion.mask || in.cup.mask || in.rim.mask || in.vessel.labels || in.sead.labels;
}

void RenderGrey(const SlabGeometry& g, const SliceRenderInput& in, QImage& bitmap)
{
  const std::vector<uint8_t> grey = SliceGreyTable(in.windowCentre, in.windowWidth);
  uchar* bits = bitmap.bits();
  const qsizetype stride = bitmap.bytesPerLine();
  SlabMeans(
      g,
      [&](int r, const unsigned short* values) {
        auto* out = reinterpret_cast<QRgb*>(bits + r * stride);
        for (int c = 0; c < g.columns; ++c)
          out[c] = Grey(grey[values[c]]);
      },
      [&](int c, int r, unsigned short value) { reinterpret_cast<QRgb*>(bits + r * stride)[c] = Grey(grey[value]); });
}

}  // namespace

bool SliceImageSize(int orientation, const int size[3], int& columns, int& rows)
{
  SliceAxes axes;
  if (!SliceAxesOf(orientation, axes))
    return false;
  columns = size[axes.column];
  rows = size[axes.row];
  return true;
}

void ClampWindow(float& centre, float& width, int maximum)
{
  const float top = static_cast<float>(maximum);
  if (!(centre >= 0.0f))
    centre = 0.0f;
  else if (centre > top)
    centre = top;
  if (!(width >= 1.0f))
    width = 1.0f;
  else if (width > top)
    width = top;
}

void RenderSlice(const SliceRenderInput& in, QImage& bitmap)
{
  SliceAxes axes;
  if (!in.voxels || !SliceAxesOf(in.orientation, axes) || bitmap.format() != QImage::Format_RGB32)
    return;
  SlabGeometry g;
  if (!MakeGeometry(in, axes, g) || bitmap.width() != g.columns || bitmap.height() != g.rows)
    return;
  RenderGrey(g, in, bitmap);
  if (!in.greyOnly && HasTints(in))
    ApplyTints(in, axes, g, bitmap);
}

bool SliceSlabMeans(const SliceRenderInput& in, std::vector<unsigned short>& values)
{
  SliceAxes axes;
  SlabGeometry g;
  if (!in.voxels || !SliceAxesOf(in.orientation, axes) || !MakeGeometry(in, axes, g))
    return false;
  const size_t columns = static_cast<size_t>(g.columns);
  values.resize(columns * static_cast<size_t>(g.rows));
  unsigned short* out = values.data();
  SlabMeans(
      g, [&](int r, const unsigned short* row) { std::copy(row, row + columns, out + static_cast<size_t>(r) * columns); },
      [&](int c, int r, unsigned short value) { out[static_cast<size_t>(r) * columns + static_cast<size_t>(c)] = value; });
  return true;
}
