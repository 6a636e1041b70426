#pragma once
// Edits a copy of the display and output settings: colours, opacities, line widths, the
// fixed window, Save All, mesh smoothing, the data-panel side, the sample address and the
// user name. The caller fills the copy, runs the dialog and, on OK, takes the copy back;
// the dialog touches neither the view nor the profile.
#include "data/ColorRef.h"

#include <QDialog>
#include <QString>
#include <array>

class ColorButton;
class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QSlider;

class CDlgOptions : public QDialog {
  Q_OBJECT
public:
  using COLORREF = platform::COLORREF;
  static constexpr int kSurfaceColorCount = 21;  // the reference surface, then surfaces 0-19
  static constexpr int kRegionColorCount = 6;    // cup, rim, vessel, SEAD, undefined region, 3-D background
  static constexpr int kMarkerColorCount = 20;
  static constexpr int kOpacityCount = 5;        // undefined region, cup, rim, vessel, SEAD

  explicit CDlgOptions(QWidget* parent = nullptr);

  COLORREF surfaceColors[kSurfaceColorCount] = {};
  int lineWidth = 1;
  COLORREF regionColors[kRegionColorCount] = {};
  COLORREF splineLineColor = 0;
  COLORREF splineMarkerColor = 0;
  int splineLineWidth = 2;
  COLORREF markerColors[kMarkerColorCount] = {};
  int frameRate = 15;
  int meshSmoothingVessel = 3;
  int meshSmoothingSEAD = 3;
  int maxIntensity = 0;  // the scan's maximum voxel value; only the window's defaults use it
  int showUndefined[kSurfaceColorCount - 1] = {};
  QString userName;
  int windowMode = 0;  // 0 Auto, 1 Fixed
  float windowCenter = 0.0f;
  float windowWidth = 0.0f;
  int showSplineMarker = 1;
  QString sampleURL;
  int saveAllMode = 0;  // 0 AVI, 1 TIFFs
  int panelSide = 0;    // 0 Left, 1 Right
  int opacities[kOpacityCount] = {};

  // The values the settings start with.
  void SetDefaults();
  // Shows the values in the controls and applies the enabling rules; the caller runs it
  // once the values are filled in, before the dialog is run.
  void OnInitDialog();

public slots:
  // Takes the controls into the values; stays open when Center or Width is not a number.
  void accept() override;

private:
  void BuildSurfaces(class QGridLayout* grid);
  void BuildColors(QGridLayout* grid);
  void BuildSplines(QGridLayout* grid);
  void BuildMarkers(QGridLayout* grid);
  void BuildRightColumn(QGridLayout* grid);
  void BuildButtons(QGridLayout* grid);
  void OnDefault();
  void ApplyEnablingRules();
  bool StoreControls();

  std::array<ColorButton*, kSurfaceColorCount> m_SurfaceColors{};  // owned by Qt through the dialog
  std::array<QAbstractButton*, kSurfaceColorCount - 1> m_ShowUndefined{};
  std::array<ColorButton*, kRegionColorCount> m_RegionColors{};
  std::array<QSlider*, kOpacityCount> m_Opacities{};
  std::array<ColorButton*, kMarkerColorCount> m_MarkerColors{};
  ColorButton* m_SplineLineColor = nullptr;
  ColorButton* m_SplineMarkerColor = nullptr;
  QAbstractButton* m_ShowSplineMarker = nullptr;
  QComboBox* m_LineWidth = nullptr;
  QComboBox* m_SplineLineWidth = nullptr;
  QComboBox* m_FrameRate = nullptr;
  QComboBox* m_SmoothingVessel = nullptr;
  QComboBox* m_SmoothingSEAD = nullptr;
  QButtonGroup* m_WindowMode = nullptr;
  QLineEdit* m_WindowCenter = nullptr;
  QLineEdit* m_WindowWidth = nullptr;
  QButtonGroup* m_SaveAllMode = nullptr;
  QButtonGroup* m_PanelSide = nullptr;
  QLineEdit* m_SampleURL = nullptr;
  QLineEdit* m_UserName = nullptr;
};
