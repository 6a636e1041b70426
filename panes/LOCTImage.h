#pragma once
// A slice pane: one orthogonal slice of the displayed volume, averaged over a slab of
// neighbouring slices, mapped through window and level to grey, with the label tints burnt
// into its bitmap. A plain model: it holds the bitmap and the borrowed pointers the view
// hands it; its PaneWidget only paints it.
//
// Set... operations only store; Show... operations store and redraw what depends on them.
#include "panes/CChildWnd.h"
#include "panes/Pane2D.h"
#include "panes/PaneConventions.h"
#include "panes/PaneWidget.h"
#include "panes/SliceMapping.h"
#include "panes/SliceRender.h"
#include "panes/ViewServices.h"

#include <QImage>
#include <QPointer>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

class LOCTImage : public Pane2D {
public:
  static constexpr int kMaxSurfaces = 20;

  explicit LOCTImage(ViewServices& view) : m_View(view) {}
  ~LOCTImage() override;
  LOCTImage(const LOCTImage&) = delete;
  LOCTImage& operator=(const LOCTImage&) = delete;

  // (Re)builds a black bitmap of the slice's columns and rows, resets the view state and
  // places the pane's window at (0, 0) inside the host (created there the first time).
  void CreatePane(int width, int height, int colorMode, CChildWnd* host);

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
  void SetDiscMask(const uint8_t* mask) { m_DiscMask = mask; }
  void SetVesselVolume(unsigned short* labels, int bytesPerVoxel);
  void SetSEADVolume(unsigned short* labels, int bytesPerVoxel);

  // Settings.
  void SetAvgSliceNum(int n) { m_AvgSliceNum = n; }
  void SetColorUndefinedRegion(platform::COLORREF c) { m_UndefinedRegion.color = c; }
  void SetColorCup(platform::COLORREF c) { m_Cup.color = c; }
  void SetColorRim(platform::COLORREF c) { m_Rim.color = c; }
  void SetColorVessel(platform::COLORREF c) { m_Vessel.color = c; }
  void SetColorSEAD(platform::COLORREF c) { m_SEAD.color = c; }
  void SetOpacityUndefinedRegion(int percent) { m_UndefinedRegion.opacity = percent; }
  void SetOpacityCup(int percent) { m_Cup.opacity = percent; }
  void SetOpacityRim(int percent) { m_Rim.opacity = percent; }
  void SetOpacityVessel(int percent) { m_Vessel.opacity = percent; }
  void SetOpacitySEAD(int percent) { m_SEAD.opacity = percent; }
  void SetShowGuideLines(bool show) { m_ShowGuideLines = show; }
  void SetShowOverlay(bool show) { m_ShowOverlay = show; }
  void SetShowUndefinedSurface(int index, bool show);

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

  // Renders the slice of the pane's orientation at the current position, then invalidates.
  void Render();
  // Sizes the window; from then on the zoomed part of the bitmap is stretched over it.
  void Resize(int width, int height);
  int GetWindowWidth() const { return m_PaneWidth; }
  int GetWindowHeight() const { return m_PaneHeight; }
  bool GetShowGuideLines() const { return m_ShowGuideLines; }
  // Asks for a repaint. While the guide lines are on, the 2-pixel frame along the border is
  // left out of the update region.
  void Invalidate();

  // The clipboard gets the pane's rendering; SaveImage places it there as well and writes it
  // to the path in the format of its extension: 0, or -1 with any old file kept.
  void CopyToClipboard() const;
  [[nodiscard]] int SaveImage(const std::string& path) const;

  void Paint(QPainter& painter) const override;
  // What the window shows, at the window's size; null while there is nothing to show.
  QImage RenderToImage() const;
  // The slice image (columns x rows, row 0 at the top) with its burnt-in tints.
  const QImage& Bitmap() const { return m_Bitmap; }
  // The screen mapping of the window; none while the pane or its window has no pixels.
  std::optional<SliceMapping> Mapping() const;

private:
  QSize WindowSize() const;
  void RenderIfCreated();

  ViewServices& m_View;  // borrowed: the view outlives its panes
  QPointer<PaneWidget> m_Widget;

  // Window state.
  bool m_Created = false;
  bool m_Stretch = false;
  int m_PaneWidth = 0;
  int m_PaneHeight = 0;

  QImage m_Bitmap;
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
  const uint8_t* m_DiscMask = nullptr;
  unsigned short* m_VesselLabels = nullptr;
  unsigned short* m_SEADLabels = nullptr;

  // Show flags.
  bool m_ShowGuideLines = true;
  bool m_ShowOverlay = true;
  bool m_ShowMarkers = false;
  bool m_ShowRefSurface = false;
  bool m_ShowSplines = false;
  bool m_ShowSurfaces = false;
  bool m_ShowThickness = false;
  std::array<bool, kMaxSurfaces> m_ShowSurface{};
  std::array<bool, kMaxSurfaces> m_ShowUndefinedSurface{};
  bool m_ShowDisc = false;
  bool m_ShowVessel = false;
  bool m_ShowSEAD = false;
  bool m_ShowUndefinedRegion = false;

  // Display settings; the tints' data pointers are filled in at render time.
  int m_AvgSliceNum = 1;
  MaskTint m_UndefinedRegion{nullptr, 0x00FFFF, 30};
  MaskTint m_Cup{nullptr, 0x0000FF, 30};
  MaskTint m_Rim{nullptr, 0x00FF00, 30};
  LabelTint m_Vessel{nullptr, 0, 0x7F7FFF, 30};
  LabelTint m_SEAD{nullptr, 0, 0x7FFF7F, 30};
};
