#pragma once
// The strip of icon buttons and combo boxes across the top of the view. It holds no state
// of its own: the view connects each control to its operation and sets the controls.
#include <QWidget>
#include <map>

class QAbstractButton;
class QComboBox;
class QLabel;

class CDlgMenu : public QWidget {
  Q_OBJECT
public:
  // Control ids (also each control's "controlId" property); objectName is the IDC_ name.
  enum ControlId : int {
    kOpen = 971, kSave = 977, kThickness = 938, kGrid = 927, kThicknessFrom = 931,
    kThicknessTo = 933, kCreateProj = 935, kCreateProjFrom = 940, kCreateProjTo = 942,
    kMouse = 944, kLayout = 921, kAvg = 945, kReset = 980, kGuideLines = 1024,
    kOverlay = 1027, kUndefinedRegion = 1030, kExecutables = 997, kOptions = 988, kAbout = 984,
    kSurfacesLabel = 1166, kSurfacesMargin = 1160, kSurfacesModification = 1173,
    kUndefinedRegionLabel = 1169, kUndefinedRegionMargin = 1162, kUndefinedRegionModification = 1182,
    kVesselLabel = 1172, kVesselMargin = 1165, kVesselModification = 1184,
    kSEADLabel = 1175, kSEADMargin = 1168, kSEADModification = 1186,
    kMarkersLabel = 1181, kMarkersCombo = 1178, kAddSpline = 952,
  };

  explicit CDlgMenu(QWidget* parent = nullptr);

  QWidget* Control(int id) const;
  QAbstractButton* Button(int id) const;
  QComboBox* Combo(int id) const;
  // The size the panel was laid out for (the view takes its height).
  QSize PanelSize() const { return m_PanelSize; }

private:
  void AddButton(int id, const QString& name, int x, const char* icon, const char* tip, bool checkable);
  QComboBox* AddCombo(int id, const QString& name, int x, int y, int width, const QStringList& items);
  void AddLabel(int id, const QString& name, int x, int width, const char* text);
  void Register(int id, const QString& name, QWidget* control);

  std::map<int, QWidget*> m_Controls;  // owned by Qt through the parent
  QSize m_PanelSize;
};
