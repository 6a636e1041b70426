#pragma once
// The layer-thickness map of the projection pane between two surfaces: thickness per en-face
// cell in millimetres, in the grid modes replaced by the mean of the grid sector around the
// grid centre that holds the cell; its range, mean MeanT, the thickness CurT at the current
// position, the layer volume Vol, and the colour index of every cell. Plain computation,
// no Qt.
#include "data/CellThickness.h"
#include "data/BorrowedGridArrays.h"
#include "data/LGrid.h"

#include <cstdint>
#include <string>
#include <vector>

enum GridMode : int {
  GridModeNone = 0,
  GridModeQuality = 1,
  GridModeQuantity = 2,
};

enum ThicknessUnit : int {
  ThicknessUnitAuto = 0,   // the colours span the map's own range
  ThicknessUnitFixed = 1,  // the colours span a given range
};

// What a computation reads; every pointer is borrowed and may be null.
struct ThicknessInput {
  const int* points = nullptr;          // int triples per (surface, z, x) at (surface * sizeZ + z) * sizeX + x
  int surfaceCount = 0;
  const uint8_t* undefinedMask = nullptr;  // one byte per cell, 1 = undefined
  int sizeX = 0;
  int sizeZ = 0;
  float spacingX = 0.0f;
  float spacingY = 0.0f;
  float spacingZ = 0.0f;
  const int* position = nullptr;    // x, y, z
  const int* gridCenter = nullptr;  // x, z
};

// The smallest and largest x and z of the cells of one sector.
struct SectorBox {
  bool empty = true;
  int minX = 0;
  int minZ = 0;
  int maxX = 0;
  int maxZ = 0;
};

class ThicknessMap {
public:
  // Planes of cellCount cells: no thickness anywhere, indices and labels 0.
  void Allocate(size_t cellCount);
  // The same planes made ahead, while the map's own stay as they are (std::bad_alloc when
  // they cannot be had), and their taking over, which takes no memory.
  struct Cells {
    std::vector<float> thickness;
    std::vector<uint8_t> noThickness;
    std::vector<uint8_t> colorIndex;
    std::vector<uint16_t> labels;
  };
  static Cells MakeCells(size_t cellCount);
  void Adopt(Cells& cells) noexcept;
  // Grid mode None, a circle grid without sectors and the surface pair 0, 0; the sector
  // figures, the colour range and the planes stay.
  void Reset();

  // Stores the pair and recomputes every plane and figure. Surface indices outside the
  // record, or a map whose size is not the input's, leave everything as it was.
  void Compute(const ThicknessInput& in, int from, int to);

  void SetGridMode(int mode) { m_GridMode = mode; }
  void SetUnit(int unit, float minimum, float maximum);
  // The grid setters borrow the arrays of the caller's grid definition (a computation
  // normalises radii and angles in them); label texts are kept with them and not used. Each
  // replaces the sector figures by count entries without figures. A grid whose arrays change
  // needs its setter again: the sector labels are kept while the grid, its centre and the
  // spacing stay the same, since most computations (a click that only moves the position)
  // change none of them.
  void SetGridCircles(int gridType, int count, const std::string* labels, float* radiusFrom, float* radiusTo,
                      float* angleFrom, float* angleTo);
  void SetGridEllipses(int gridType, int count, const std::string* labels, float* horizontalFrom,
                       float* horizontalTo, float* verticalFrom, float* verticalTo, float* angleFrom,
                       float* angleTo);
  void SetGridRectangles(int gridType, int count, const std::string* labels, const float* left,
                         const float* top, const float* right, const float* bottom);
  void SetGridRectangleSets(int gridType, int groupCount, const std::string* groupLabels,
                            const int32_t* regionCount, const std::vector<std::string>* regionLabels,
                            const std::vector<float>* left, const std::vector<float>* top,
                            const std::vector<float>* right, const std::vector<float>* bottom);

  int From() const { return m_From; }
  int To() const { return m_To; }
  int Mode() const { return m_GridMode; }
  // The number of sectors of the current grid type.
  int SectorCount() const;

  // Per cell (x + sizeX * z).
  const std::vector<float>& Thickness() const { return m_Thickness; }
  const std::vector<uint8_t>& ColorIndex() const { return m_ColorIndex; }
  const std::vector<uint16_t>& SectorLabels() const { return m_Labels; }
  // Whether the map paints the cell: it has a thickness and is not undefined.
  bool Paints(size_t cell) const { return m_Thickness[cell] != kNoThickness && !m_NoThickness[cell]; }

  // The range (kNoThickness and -kNoThickness when no cell has a thickness; the fixed range
  // with the Fixed unit), MeanT, CurT in mm and Vol in mm³; kNoThickness for none.
  float Minimum() const { return m_Minimum; }
  float Maximum() const { return m_Maximum; }
  bool HasRange() const { return m_Minimum != kNoThickness && m_Maximum != -kNoThickness; }
  float MeanT() const { return m_MeanT; }
  float CurT() const { return m_CurT; }
  float Vol() const { return m_Vol; }

  // Sector k's mean and standard deviation (kNoThickness for none) and its cells' box; for k
  // beyond the figures, none and an empty box.
  float SectorMean(int k) const;
  float SectorSD(int k) const;
  SectorBox Box(int k) const;

private:

  void ComputeCellThickness(const ThicknessInput& in);
  void ComputeSectors(const ThicknessInput& in);
  void LabelSectors(const ThicknessInput& in);
  void ComputeBoxes(int sizeX, int sectorCount);
  void ComputeFigures(const ThicknessInput& in);
  void ComputeColorIndex();
  void ReplaceSectorFigures(int gridType, int count);

  // What the sector labels were computed for.
  struct LabelKey {
    bool valid = false;
    int gridType = 0;
    int sectorCount = 0;
    int centreX = 0;
    int centreZ = 0;
    float spacingX = 0.0f;
    float spacingZ = 0.0f;
    bool operator==(const LabelKey& o) const
    {
      return valid && o.valid && gridType == o.gridType && sectorCount == o.sectorCount && centreX == o.centreX &&
             centreZ == o.centreZ && spacingX == o.spacingX && spacingZ == o.spacingZ;
    }
  };

  std::vector<float> m_Thickness;
  std::vector<uint8_t> m_NoThickness;  // 1 where a cell has no thickness of its own
  std::vector<uint8_t> m_ColorIndex;
  std::vector<uint16_t> m_Labels;

  int m_From = 0;
  int m_To = 0;
  int m_GridMode = GridModeNone;
  int m_GridType = GridCircle;
  BorrowedGridArrays m_Grid;

  int m_Unit = ThicknessUnitAuto;
  float m_FixedMinimum = 0.0f;
  float m_FixedMaximum = 0.0f;

  float m_Minimum = kNoThickness;
  float m_Maximum = -kNoThickness;
  float m_MeanT = kNoThickness;
  float m_CurT = kNoThickness;
  float m_Vol = kNoThickness;

  // Sized by the last grid setter.
  std::vector<float> m_SectorMeans;
  std::vector<float> m_SectorSDs;
  std::vector<SectorBox> m_Boxes;
  LabelKey m_LabelKey;
};
