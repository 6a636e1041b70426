#pragma once
// The en-face pane: the (x, z) plane of the scan, one cell per A-scan, shown as R, G, B
// planes that hold a projection image read from a file or one computed between two layer
// surfaces. Over them it composes, by opacity, the undefined region, the optic-disc cup and
// rim and the colour-coded thickness map; on top it draws guide lines at the current
// position, the grid-centre mark, the colour bar, the thickness figures and the sector
// figures. A plain model: its PaneWidget only paints it and hands it the mouse input.
//
// Set... operations only store; Show... operations store and redraw.
#include "panes/PaneCanvas.h"
#include "panes/PaneConventions.h"
#include "panes/PaneStyles.h"
#include "panes/SliceMapping.h"
#include "panes/TextPlacement.h"
#include "panes/ThicknessMap.h"
#include "panes/ThicknessPalette.h"
#include "panes/ViewServices.h"
#include "panes/WindowedPane.h"

#include <QImage>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class LProjImage : public WindowedPane {
public:
  explicit LProjImage(ViewServices& view) : m_View(view) {}

  // (Re)builds the black bitmap and planes of width x height cells (sizeX x sizeZ), resets
  // the view state, lets go of the previous scan's surfaces, mask and disc and places the
  // window at (0, 0) inside the host (created there the first time). False, with the pane
  // not created, when the memory cannot be had.
  bool CreatePane(int width, int height, int colorMode, CChildWnd* host);
  // Takes the memory of the bitmap and planes for a pane of width x height cells ahead of
  // CreatePane, which then takes them without asking for more; what is shown stays as it
  // is. False when it cannot be had.
  bool ReserveCanvas(int width, int height);
  // Lets go of the scan and every result: the pane counts as not created and draws nothing
  // until the next CreatePane. Takes no memory.
  void ForgetScan();

  void SetVolume(const int size[3], const unsigned short* voxels, const float spacing[3], int bytesPerVoxel);
  // The view's current position int[3] and grid centre int[2] (x, z); borrowed.
  void SetPosition(int* position) { m_Position = position; }
  void SetGridCenter(int* gridCenter) { m_GridCenter = gridCenter; }
  void SetMouseMode(int mode) { m_MouseMode = mode; }
  // Points are int triples per (surface, z, x) at ((surface * sizeZ + z) * sizeX + x); the
  // undefined-region mask has one byte per cell. Both borrowed. Switches the undefined
  // region on; the view then applies its own setting.
  void SetSurfaces(int count, const int* points, uint8_t* undefinedMask);
  void SetDiscMask(const uint8_t* mask) { m_DiscMask = mask; }
  // Copies width x height bytes of each plane; the caller composes.
  void SetProjectionImage(const uint8_t* red, const uint8_t* green, const uint8_t* blue);
  // The pane's planes, valid until the next CreatePane; the 3-D pane paints with them.
  const uint8_t* GetRedPlane() const { return m_Red.data(); }
  const uint8_t* GetGreenPlane() const { return m_Green.data(); }
  const uint8_t* GetBluePlane() const { return m_Blue.data(); }

  // Fills the planes with the stretched mean between two surfaces; the caller composes.
  void ComputeProjection(int from, int to);
  // The thickness map between two surfaces and its figures; the caller composes.
  void ComputeThickness(int from, int to);
  // Rebuilds the bitmap from the planes and the layers, then invalidates; while the pane's
  // redraws are held, when they are released.
  void Compose();
  // Resize sizes the window; from then on the bitmap is stretched over it.

  // Settings: the whole style at once, or one option of it; each is stored only. The guide
  // lines and the thickness bar are show flags as well, which CreatePane and the Show...
  // toggles change.
  void SetStyle(const ProjectionStyle& style);
  const ProjectionStyle& Style() const { return m_Style; }
  void SetColorCup(platform::COLORREF c) { m_Style.cup.color = c; }
  void SetColorRim(platform::COLORREF c) { m_Style.rim.color = c; }
  void SetColorUndefinedRegion(platform::COLORREF c) { m_Style.undefinedRegion.color = c; }
  void SetColorSEAD(platform::COLORREF c) { m_Style.seadColor = c; }
  void SetOpacityUndefinedRegion(int percent) { m_Style.undefinedRegion.opacity = percent; }
  void SetOpacityCup(int percent) { m_Style.cup.opacity = percent; }
  void SetOpacityRim(int percent) { m_Style.rim.opacity = percent; }
  void SetThicknessOpacity(int percent) { m_Style.thicknessOpacity = percent; }
  void SetShowGuideLines(bool show) { m_ShowGuideLines = show; }
  void SetShowThicknessBar(bool show) { m_ShowThicknessBar = show; }
  void SetUndefinedRegionModification(int modification) { m_Style.undefinedRegionBrush.modification = modification; }
  void SetUndefinedRegionMargin(float millimetres) { m_Style.undefinedRegionBrush.margin = millimetres; }
  void SetThicknessPalette(int type);

  // Thickness-map settings, applied at the next computation.
  void SetGridMode(int mode);
  void SetThicknessUnit(int unit, float minimum, float maximum);
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

  // Show toggles: the lines and texts only repaint, the layers compose again.
  void ShowGuideLines(bool show);
  void ShowOverlay(bool show);
  void ShowThicknessBar(bool show);
  void ShowProjection(bool show);
  void ShowDisc(bool show);
  void ShowUndefinedRegion(bool show);
  void ShowThickness(bool show);

  // The mouse tools, each at a window point.
  void SetPositionFromPoint(QPoint point);
  void SetGridCenterFromPoint(QPoint point);
  void ResetGridCenter();
  void PaintUndefinedRegion(QPoint point);
  void EraseUndefinedRegion(QPoint point);
  // The handlers, by mouse mode.
  void OnLButtonDown(QPoint point);
  void OnMouseMove(QPoint point, bool leftHeld, bool rightHeld);
  void OnRButtonDown(QPoint point);
  void MousePress(QPoint point, Qt::MouseButton button, Qt::MouseButtons held) override;
  void MouseMove(QPoint point, Qt::MouseButtons held) override;

  void Paint(QPainter& painter) const override;
  // Everything drawn over the bitmap, in window pixels.
  void PaintOverlays(PaneCanvas& canvas) const;
  // The composed cells (width x height, row z at the top-down row z).
  const QImage& Bitmap() const { return m_Bitmap; }
  const ThicknessMap& Thickness() const { return m_Thickness; }
  const ThicknessPalette& Palette() const { return m_Palette; }
  std::optional<SliceMapping> Mapping() const override;
  // The window rectangle of the grid-centre mark (right and bottom excluded); empty while no
  // mark is drawn.
  QRect GridCenterMark() const;

  // Repaints the window from the bitmap as it is.
  void Invalidate() const;
  int GetProjectionFrom() const { return m_ProjectionFrom; }
  int GetProjectionTo() const { return m_ProjectionTo; }

private:
  void Redraw() override { Compose(); }
  bool HasVolumeOfPaneSize() const;
  void ComposeIfCreated();
  void ApplyBrush(QPoint point, uint8_t value);
  bool GridCenterToolActive() const;
  // The shared grid centre takes (x, z); a change is an edit of the grid centre.
  void MoveGridCenter(int x, int z);

  void PaintGuideLines(PaneCanvas& canvas, const SliceMapping& mapping, QSize window) const;
  // The texts go through one placement, so that none covers another.
  void PaintGridCenter(PaneCanvas& canvas, TextPlacement& texts, QSize window) const;
  void PaintColorBar(PaneCanvas& canvas, TextPlacement& texts) const;
  void PaintFigures(TextPlacement& texts, QSize window) const;
  void PaintSectorFigures(const PaneCanvas& canvas, TextPlacement& texts, QSize window) const;

  ViewServices& m_View;  // borrowed: the view outlives its panes

  // The composed bitmap and the planes of width x height cells.
  int m_ColorMode = DibColors24Bit;
  int m_Width = 0;
  int m_Height = 0;
  QImage m_Bitmap;
  std::vector<uint8_t> m_Red;
  std::vector<uint8_t> m_Green;
  std::vector<uint8_t> m_Blue;

  // The volume, borrowed.
  const unsigned short* m_Voxels = nullptr;
  int m_Size[3] = {0, 0, 0};
  float m_Spacing[3] = {0.0f, 0.0f, 0.0f};
  int m_Maximum = 0;

  // Shared state, owned by the view.
  int* m_Position = nullptr;
  int* m_GridCenter = nullptr;

  // Results, borrowed.
  int m_SurfaceCount = 0;
  const int* m_SurfacePoints = nullptr;
  uint8_t* m_UndefinedMask = nullptr;
  const uint8_t* m_DiscMask = nullptr;

  int m_MouseMode = MousePosition;

  // Show flags.
  bool m_ShowGuideLines = true;
  bool m_ShowProjection = false;
  bool m_ShowDisc = false;
  bool m_ShowUndefinedRegion = false;
  bool m_ShowThickness = false;
  bool m_ShowThicknessBar = false;
  bool m_ShowOverlay = true;

  ProjectionStyle m_Style;

  int m_ProjectionFrom = 0;
  int m_ProjectionTo = 0;
  ThicknessMap m_Thickness;
  ThicknessPalette m_Palette;

  // What ReserveCanvas made for the next CreatePane of that size.
  struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> red, green, blue;
    ThicknessMap::Cells thickness;
    QImage bitmap;
  };
  std::unique_ptr<Canvas> m_Reserved;
  // The reserved canvas of width x height taken over; false when there is none of that size.
  bool TakeReservedCanvas(int width, int height) noexcept;
};
