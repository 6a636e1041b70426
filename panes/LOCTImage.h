#pragma once
// A slice pane: one orthogonal slice of the displayed volume, averaged over a slab of
// neighbouring slices, mapped through window and level to grey, with the label tints burnt
// into its bitmap. A plain model: it holds the bitmap and the borrowed pointers the view
// hands it; its PaneWidget only paints it.
//
// Set... operations only store; Show... operations store and redraw what depends on them.
#include "data/LMarkers.h"
#include "data/LRefSurface.h"
#include "data/LSplineSet.h"
#include "data/LabelLayer.h"
#include "panes/PaneCanvas.h"
#include "panes/PaneConventions.h"
#include "panes/PaneStyles.h"
#include "panes/SliceMapping.h"
#include "panes/SliceRender.h"
#include "panes/ViewServices.h"
#include "panes/WindowedPane.h"

#include <QImage>
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class LOCTImage : public WindowedPane {
public:
  static constexpr int kMaxSurfaces = 20;
  static constexpr int kMaxMarkers = 3000;
  // Surface edits that can be undone; an older one is forgotten.
  static constexpr int kMaxUndo = 20;
  // The surface and the marker colours start from the same table.
  static constexpr std::array<platform::COLORREF, kMaxSurfaces> kDefaultLayerColors = platform::kDefaultColorTable;

  explicit LOCTImage(ViewServices& view) : m_View(view) {}

  // (Re)builds a black bitmap of the slice's columns and rows, resets the view state, lets
  // go of every result of the previous scan and places the pane's window at (0, 0) inside
  // the host (created there the first time).
  void CreatePane(int width, int height, int colorMode, CChildWnd* host);
  // Takes the bitmap's memory for a pane of width x height ahead of CreatePane, which then
  // takes it without asking for more; what is shown stays as it is. False when it cannot be
  // had.
  bool ReserveCanvas(int width, int height);
  // Lets go of the scan and every result, drawing nothing more of them until the next
  // CreatePane. Takes no memory.
  void ForgetScan();

  void SetVolume(const int size[3], const unsigned short* voxels, const float spacing[3], int bytesPerVoxel);
  void SetOrientation(int orientation) { m_Orientation = orientation; }
  // The view's current position int[3] and grid centre int[2] (x, z); borrowed.
  void SetPosition(int* position) { m_Position = position; }
  void SetGridCenter(int* gridCenter) { m_GridCenter = gridCenter; }
  // The view's window centre and width; a render keeps them within the value range.
  void SetWindowLevel(float* centre, float* width)
  {
    m_WindowCentre = centre;
    m_WindowWidth = width;
  }
  void SetCaption(const std::string& caption) { m_Caption = caption; }
  void SetLaterality(int laterality) { m_Laterality = laterality; }
  void SetMouseMode(int mode) { m_MouseMode = mode; }
  // Points are int triples per (surface, z, x) at ((surface * sizeZ + z) * sizeX + x); the
  // undefined-region mask has one byte per (x, z) cell. Both borrowed.
  void SetSurfaces(int count, int* points, uint8_t* undefinedMask);
  void SetSurfacesFileName(const std::string& name) { m_SurfacesFileName = name; }
  void SetSurfacesModifier(const std::string& modifier) { m_SurfacesModifier = modifier; }
  void SetSurfacesApproval(bool approved) { m_SurfacesApproval = approved; }
  // Borrowed; drawn only while its size is the volume's x and z.
  void SetRefSurface(const LRefSurface* surface) { m_RefSurface = surface; }
  // The label setters and the disc mask compute the figures of the info text; they need
  // SetVolume first.
  void SetDiscMask(const uint8_t* mask);
  // The label layers every slice pane shares (null: none).
  void SetVesselVolume(LabelLayer* labels) { m_VesselLabels = labels; }
  void SetSEADVolume(LabelLayer* labels) { m_SEADLabels = labels; }
  // Mesh vertices, three floats (x, y, z in voxels) each, three per triangle; borrowed.
  void SetVesselMesh(size_t vertexCount, const float* vertices) { m_VesselMesh = {vertexCount, vertices}; }
  void SetSEADMesh(size_t vertexCount, const float* vertices) { m_SEADMesh = {vertexCount, vertices}; }
  // The view's markers (count, positions, labels naming colour indices); borrowed.
  void SetMarkers(LMarkers* markers) { m_Markers = markers; }
  // The view's splines with their curves, and its hit rectangles: every spline's list gets
  // one rectangle per control point, around the point in the spline's plane (voxels), until
  // a paint replaces it by the window rectangle drawn. Both borrowed.
  void SetSplines(LSplineSet* splines, SplineHitRects* hitRects);
  // The pair drawn with wider pens while thickness is shown.
  void SetThicknessSurfaces(int from, int to)
  {
    m_ThicknessFrom = from;
    m_ThicknessTo = to;
  }
  void SetProjectionSurfaces(int from, int to)
  {
    m_ProjectionFrom = from;
    m_ProjectionTo = to;
  }
  void SetShowCreateProj(bool show) { m_ShowCreateProj = show; }

  // Settings: the whole style at once, or one option of it. The show flags among them are
  // stored only; the next Render or Invalidate draws with them.
  void SetStyle(const SliceStyle& style);
  const SliceStyle& Style() const { return m_Style; }
  void SetAvgSliceNum(int n) { m_Style.layers.avgSliceNum = n; }
  void SetColorUndefinedRegion(platform::COLORREF c) { m_Style.undefinedRegion.color = c; }
  void SetColorRefSurf(platform::COLORREF c) { m_Style.layers.refSurfColor = c; }
  void SetColorSplinesLine(platform::COLORREF c) { m_Style.layers.splinesLineColor = c; }
  void SetColorSplinesMarker(platform::COLORREF c) { m_Style.layers.splinesMarkerColor = c; }
  // Index 0-19; others are ignored.
  void SetColorSurface(int index, platform::COLORREF c);
  void SetColorMarker(int index, platform::COLORREF c);
  void SetColorCup(platform::COLORREF c) { m_Style.cup.color = c; }
  void SetColorRim(platform::COLORREF c) { m_Style.rim.color = c; }
  void SetColorVessel(platform::COLORREF c) { m_Style.vessel.color = c; }
  void SetColorSEAD(platform::COLORREF c) { m_Style.sead.color = c; }
  void SetOpacityUndefinedRegion(int percent) { m_Style.undefinedRegion.opacity = percent; }
  void SetOpacityCup(int percent) { m_Style.cup.opacity = percent; }
  void SetOpacityRim(int percent) { m_Style.rim.opacity = percent; }
  void SetOpacityVessel(int percent) { m_Style.vessel.opacity = percent; }
  void SetOpacitySEAD(int percent) { m_Style.sead.opacity = percent; }
  void SetSurfacesLineWidth(int pixels) { m_Style.surfacesLineWidth = pixels; }
  void SetSplinesLineWidth(int pixels) { m_Style.layers.splinesLineWidth = pixels; }
  void SetShowSplinesMarker(bool show) { m_Style.layers.showSplinesMarker = show; }
  // The label new markers get.
  void SetMarkersLabel(const std::string& label) { m_Style.markersLabel = label; }
  void SetShowGuideLines(bool show) { m_Style.layers.showGuideLines = show; }
  void SetShowOverlay(bool show) { m_Style.showOverlay = show; }
  void SetShowUndefinedSurface(int index, bool show);
  // Tool settings: brush and edit radii in mm; modification 0 changes the current slice only,
  // 1 its neighbours too.
  void SetSurfacesMargin(float millimetres) { m_Style.surfacesBrush.margin = millimetres; }
  void SetUndefinedRegionMargin(float millimetres) { m_Style.undefinedRegionBrush.margin = millimetres; }
  void SetVesselMargin(float millimetres) { m_Style.vesselBrush.margin = millimetres; }
  void SetSEADMargin(float millimetres) { m_Style.seadBrush.margin = millimetres; }
  void SetSurfacesModification(int modification) { m_Style.surfacesBrush.modification = modification; }
  void SetUndefinedRegionModification(int modification) { m_Style.undefinedRegionBrush.modification = modification; }
  void SetVesselModification(int modification) { m_Style.vesselBrush.modification = modification; }
  void SetSEADModification(int modification) { m_Style.seadBrush.modification = modification; }
  // The view asks all three slice panes; the next spline click in any of them starts a new
  // spline, and the view then clears the request in all three.
  void RequestNewSpline() { m_NewSplineRequest = true; }
  void ClearNewSplineRequest() { m_NewSplineRequest = false; }
  bool GetNewSplineRequest() const { return m_NewSplineRequest; }

  // Show toggles of the line and text overlays: store, then invalidate.
  void ShowGuideLines(bool show);
  void ShowOverlay(bool show);
  void ShowMarkers(bool show);
  void ShowRefSurface(bool show);
  void ShowSplines(bool show);
  void ShowSurfaces(bool show);
  void ShowThickness(bool show);
  void ShowSurface(int index, bool show);
  void ShowUndefinedSurface(int index, bool show);
  // Show toggles of the burnt-in tints: store, then render again once the pane is created.
  void ShowDisc(bool show);
  void ShowVessel(bool show);
  void ShowSEAD(bool show);
  void ShowUndefinedRegion(bool show);

  // Renders the slice of the pane's orientation at the current position, then invalidates;
  // while the pane's redraws are held, when they are released.
  void Render();
  // Resize sizes the window; from then on the zoomed part of the bitmap is stretched over it.
  bool GetShowGuideLines() const { return m_Style.layers.showGuideLines; }
  // Asks for a repaint. While the guide lines are on, the 2-pixel frame along the border is
  // left out of the update region.
  void Invalidate();

  // Mouse input of the window; the drag state lives here, so a press, moves and a release
  // can be replayed without a window.
  void MousePress(QPoint point, Qt::MouseButton button, Qt::MouseButtons held) override;
  void MouseMove(QPoint point, Qt::MouseButtons held) override;
  void MouseRelease(QPoint point, Qt::MouseButton button, Qt::MouseButtons held) override;
  void MouseDoubleClick(QPoint point, Qt::MouseButton button, Qt::MouseButtons held) override;
  // The handlers, by mouse mode.
  void OnLButtonDown(QPoint point);
  void OnMouseMove(QPoint point, bool leftHeld, bool rightHeld);
  void OnRButtonDown(QPoint point);
  // Either button going up.
  void OnLButtonUp();
  void OnLButtonDblClk(QPoint point);

  // What the tools hold.
  float GetZoom() const { return m_Zoom; }
  int GetPanX() const { return m_PanX; }
  int GetPanY() const { return m_PanY; }
  int GetSelectedMarker() const { return m_SelectedMarker; }
  int GetSelectedSpline() const { return m_SelectedSpline; }
  int GetSelectedControlPoint() const { return m_SelectedControlPoint; }
  int GetSelectedSurface() const { return m_SelectedSurface; }
  int GetUndoDepth() const { return static_cast<int>(m_SurfaceUndo.size()); }
  // What the right click does in the Surfaces mode: the last surface edit made here undone.
  void UndoSurfaceEdit();
  // The cursor the tools show over the window.
  Qt::CursorShape GetCursor() const { return m_Cursor; }

  // The bitmap, then the overlays.
  void Paint(QPainter& painter) const override;
  // Everything drawn over the bitmap, in window pixels: surfaces, mesh vertices, splines,
  // markers, reference surface, guide lines with the frame, orientation letters, info text.
  // Writes the marker and spline hit rectangles of what it draws.
  void PaintOverlays(PaneCanvas& canvas) const;
  // One window rectangle per marker below the count: where it was last drawn, or empty when
  // the last paint did not draw it.
  const std::vector<PixelRect>& MarkerHitRects() const { return m_MarkerHitRects; }
  // The slice image (columns x rows, row 0 at the top) with its burnt-in tints.
  const QImage& Bitmap() const { return m_Bitmap; }
  std::optional<SliceMapping> Mapping() const override;

private:
  void Redraw() override { Render(); }
  struct MeshVertices {
    size_t count = 0;
    const float* vertices = nullptr;
  };
  // What every overlay needs for one paint.
  struct OverlayFrame {
    const SliceMapping& mapping;
    SliceAxes axes;
    QSize window;
    const int* position;
  };

  void RenderIfCreated();
  void ForgetResults();

  void DrawSurfaces(PaneCanvas& canvas, const OverlayFrame& f) const;
  void DrawSurfaceLine(PaneCanvas& canvas, const OverlayFrame& f, int surface) const;
  void DrawSurfaceCells(PaneCanvas& canvas, const OverlayFrame& f, int surface) const;
  void DrawMeshVertices(PaneCanvas& canvas, const OverlayFrame& f, const MeshVertices& mesh,
                        platform::COLORREF color) const;
  void DrawSplines(PaneCanvas& canvas, const OverlayFrame& f) const;
  void DrawMarkers(PaneCanvas& canvas, const OverlayFrame& f) const;
  void DrawRefSurface(PaneCanvas& canvas, const OverlayFrame& f) const;
  void DrawGuideLines(PaneCanvas& canvas, const OverlayFrame& f) const;
  void DrawOrientationLetters(PaneCanvas& canvas, QSize window) const;
  void DrawInfoText(PaneCanvas& canvas, const OverlayFrame& f) const;
  std::string TopLeftText() const;
  std::string TopRightText(const int* position) const;
  std::string BottomLeftText() const;
  std::string BottomRightText() const;

  // The tools (LOCTImageTools.cpp).
  struct Cell {
    int column = 0;
    int row = 0;
  };
  std::optional<Cell> CellUnder(QPoint point) const;
  int ClampTo(int axis, int value) const;
  void InvalidateSlicePanes();
  void RenderSlicePanes();
  void SetShapeOfCursor(Qt::CursorShape shape);
  void SetPositionFromPoint(QPoint point);
  void SetGridCenterFromPoint(QPoint point);
  void DragWindowLevel(QPoint point);
  void DragZoom(QPoint point);
  void DragPan(QPoint point);
  bool ViewInsideImage(float zoom, int panX, int panY) const;
  void PaintVessel(QPoint point);
  void EraseVessel(QPoint point);
  void PaintSEAD(QPoint point);
  void EraseSEAD(QPoint point);
  void ApplyLabelBrush(QPoint point, int labelMode, bool paint);
  void PaintUndefinedRegion(QPoint point);
  void EraseUndefinedRegion(QPoint point);
  void ApplyUndefinedBrush(QPoint point, uint8_t value);
  void BrushAt(QPoint point, bool paint);
  void AddMarker(QPoint point);
  void DragMarker(QPoint point);
  void DeleteMarker();
  size_t MarkerCount() const;
  // After a marker tool changed the markers: they are unsaved, and every pane shows them.
  void MarkersEdited();
  void AddSplinePoint(QPoint point);
  void DragSplinePoint(QPoint point);
  void CloseSpline();
  void DeleteSpline();
  size_t SplineCount() const;
  bool StartSpline(const Point3i& first, const PixelRect& hit);
  // After a spline tool changed the splines: they are unsaved, and every pane shows them.
  void SplinesEdited();
  Point3i PointFromCell(const Cell& cell) const;

  // Surface editing (LOCTImageSurfaceEdit.cpp).
  bool SurfaceEditingActive() const;
  int& SurfaceRow(int surface, int x, int z);
  void PickSurface(QPoint point);
  void BeginSurfaceEdit(QPoint point);
  void DragSurface(QPoint point, bool leftHeld);
  // False, with nothing written, when the fit has no solution; otherwise `moved` holds the
  // points it wrote.
  bool FitSurfaceAround(int surface, int xc, int zc, int row, GridRegion& moved);
  // Redraws what shows the surfaces after an edit moved the points of `moved` (per surface).
  void SurfacesEdited(const std::vector<GridRegion>& moved);

  ViewServices& m_View;  // borrowed: the view outlives its panes

  QImage m_Bitmap;
  QImage m_ReservedBitmap;  // made by ReserveCanvas for the next CreatePane of its size
  int m_ColorMode = DibColors24Bit;
  float m_Zoom = 1.0f;
  int m_PanX = 0;
  int m_PanY = 0;

  // Identity.
  int m_Orientation = 0;
  std::string m_Caption;
  int m_Laterality = 0;
  int m_MouseMode = MousePosition;

  // The volume, borrowed.
  const unsigned short* m_Voxels = nullptr;
  int m_Size[3] = {0, 0, 0};
  float m_Spacing[3] = {0.0f, 0.0f, 0.0f};
  int m_BytesPerVoxel = 0;
  int m_Maximum = 0;

  // Shared state, owned by the view.
  int* m_Position = nullptr;
  int* m_GridCenter = nullptr;
  float* m_WindowCentre = nullptr;
  float* m_WindowWidth = nullptr;

  // Results, borrowed.
  int m_SurfaceCount = 0;
  int* m_SurfacePoints = nullptr;
  uint8_t* m_UndefinedMask = nullptr;
  std::string m_SurfacesFileName;
  std::string m_SurfacesModifier = "NA";
  bool m_SurfacesApproval = false;
  const LRefSurface* m_RefSurface = nullptr;
  const uint8_t* m_DiscMask = nullptr;
  LabelLayer* m_VesselLabels = nullptr;
  LabelLayer* m_SEADLabels = nullptr;
  MeshVertices m_VesselMesh;
  MeshVertices m_SEADMesh;
  LMarkers* m_Markers = nullptr;
  LSplineSet* m_Splines = nullptr;
  SplineHitRects* m_SplineHitRects = nullptr;
  int m_ThicknessFrom = 0;
  int m_ThicknessTo = 0;
  int m_ProjectionFrom = 0;
  int m_ProjectionTo = 0;
  bool m_ShowCreateProj = false;

  // Figures of the info text.
  float m_LCDR = 0.0f;

  // Tool state.
  QPoint m_LastPoint;  // the previous step of a window, zoom or pan drag
  int m_SelectedMarker = -1;
  int m_SelectedSpline = -1;
  int m_SelectedControlPoint = -1;
  bool m_NewSplineRequest = false;
  // Label kinds (MouseVessel, MouseSEAD) painted since the last button went up.
  bool m_VesselStroke = false;
  bool m_SEADStroke = false;
  Qt::CursorShape m_Cursor = Qt::ArrowCursor;
  // Surface edit: the point under the cursor (x A-scan, y depth row, z B-scan), the surface
  // picked there, whether a press began an edit, and the depth rows of every surface before
  // each of the last edits, the newest last.
  int m_EditPoint[3] = {0, 0, 0};
  int m_SelectedSurface = -1;
  bool m_SurfaceEditActive = false;
  std::deque<std::vector<int>> m_SurfaceUndo;

  // Written by every paint (a const operation): the markers tool hit-tests what was drawn.
  mutable std::vector<PixelRect> m_MarkerHitRects;

  // Show flags.
  bool m_ShowMarkers = false;
  bool m_ShowRefSurface = false;
  bool m_ShowSplines = false;
  bool m_ShowSurfaces = false;
  bool m_ShowThickness = false;
  std::array<bool, kMaxSurfaces> m_ShowSurface{};
  bool m_ShowDisc = false;
  bool m_ShowVessel = false;
  bool m_ShowSEAD = false;
  bool m_ShowUndefinedRegion = false;

  SliceStyle m_Style;
};
