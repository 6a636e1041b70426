#pragma once
// The column at the side of the view with one show toggle and one file list per result
// kind, the twenty surface boxes and the scan information. The view connects and sets it.
#include <QWidget>
#include <array>
#include <map>

class LButton;
class QAbstractButton;
class QComboBox;
class QPlainTextEdit;

class CDlgData : public QWidget {
  Q_OBJECT
public:
  enum ControlId : int {
    kShowRefSurf = 905, kRefSurfCombo = 974, kFlattening = 946, kShowSurfaces = 907,
    kSurfacesCombo = 923, kGridCenterLabel = 1189, kGridCenterCombo = 941, kShowProj = 908,
    kProjCombo = 925, kShowDisc = 909, kDiscCombo = 929, kShowVessel = 911, kVesselCombo = 932,
    kShowSEAD = 913, kSEADCombo = 934, kShowMarkers = 916, kMarkersCombo = 936,
    kShowSplines = 919, kSplinesCombo = 939, kOCTInfo = 954, kLaterality = 1176,
  };
  static constexpr int kSurfaceBoxCount = 20;
  static const std::array<int, kSurfaceBoxCount> kSurfaceBoxIds;

  explicit CDlgData(QWidget* parent = nullptr);

  QWidget* Control(int id) const;
  QAbstractButton* Button(int id) const;
  QComboBox* Combo(int id) const;
  LButton* SurfaceBox(int index) const { return m_SurfaceBoxes[index]; }
  QPlainTextEdit* OCTInfo() const;
  QSize PanelSize() const { return m_PanelSize; }

private:
  void Register(int id, const QString& name, QWidget* control);
  void AddKindRow(int checkId, const QString& checkName, int comboId, const QString& comboName,
                  int y, const QString& caption);

  std::map<int, QWidget*> m_Controls;  // owned by Qt through the parent
  std::array<LButton*, kSurfaceBoxCount> m_SurfaceBoxes{};
  QSize m_PanelSize;
};
