#include "app/CDlgMenu.h"

#include "model/ViewLayout.h"
#include "platform/DialogUnits.h"

#include <QComboBox>
#include <QLabel>
#include <QToolButton>

namespace {

const QStringList kMouseItems = {"Position", "Window", "Zoom", "Pan", "Surfaces", "Undef. Region",
                                 "Grid Center", "Vessel", "SEAD", "Markers", "Splines"};
const QStringList kSurfacesMargins = {"0.05", "0.10", "0.20", "0.40", "0.60", "1.00", "1.50"};
const QStringList kLabelMargins = {"0.01", "0.03", "0.05", "0.10", "0.30", "0.50", "1.00", "1.50"};
const QStringList kModifications = {"2D", "3D"};

QStringList LayoutItems()
{
  QStringList items;
  for (int layout = 1; layout <= kViewLayoutCount; ++layout)
    items << QString::fromStdString(ViewLayoutComboText(layout));
  return items;
}

QStringList Numbers(int from, int to, int step = 1)
{
  QStringList items;
  for (int i = from; i <= to; i += step)
    items << QString::number(i);
  return items;
}

constexpr int kEditSlotX = 457;

}  // namespace

CDlgMenu::CDlgMenu(QWidget* parent) : QWidget(parent)
{
  setFont(DialogUnits::PanelFont());
  const DialogUnits du;
  m_PanelSize = QSize(du.X(684), du.Y(21));

  AddButton(kOpen, "IDC_BUTTON_OPEN", 0, "open", "Open (Ctrl+O)", false);
  AddButton(kSave, "IDC_BUTTON_SAVE", 20, "save", "Save (Ctrl+S)", false);
  AddButton(kThickness, "IDC_CHECK_THICKNESS", 41, "thickness", "Thickness", true);
  AddLabel(0, "IDC_STATIC_GRID", 61, 36, "Grid");
  AddCombo(kGrid, "IDC_COMBO_GRID", 61, 8, 36, {});
  AddLabel(0, "IDC_STATIC_THICKNESS_FROM", 97, 19, "From");
  AddCombo(kThicknessFrom, "IDC_COMBO_THICKNESS_FROM", 97, 8, 19, {});
  AddLabel(0, "IDC_STATIC_THICKNESS_TO", 116, 19, "To");
  AddCombo(kThicknessTo, "IDC_COMBO_THICKNESS_TO", 116, 8, 19, {});
  AddButton(kCreateProj, "IDC_CHECK_CREATEPROJ", 136, "createproj", "Create Proj.", true);
  AddLabel(0, "IDC_STATIC_CREATEPROJ_FROM", 156, 19, "From");
  AddCombo(kCreateProjFrom, "IDC_COMBO_CREATEPROJ_FROM", 156, 8, 19, {});
  AddLabel(0, "IDC_STATIC_CREATEPROJ_TO", 175, 19, "To");
  AddCombo(kCreateProjTo, "IDC_COMBO_CREATEPROJ_TO", 175, 8, 19, {});
  AddLabel(0, "IDC_STATIC_MOUSE", 195, 55, "Mouse");
  AddCombo(kMouse, "IDC_COMBO_MOUSE", 195, 8, 55, kMouseItems);
  AddLabel(0, "IDC_STATIC_LAYOUT", 250, 46, "Layout");
  AddCombo(kLayout, "IDC_COMBO_LAYOUT", 250, 8, 46, LayoutItems());
  AddLabel(0, "IDC_STATIC_AVG", 296, 19, "Avg.");
  AddCombo(kAvg, "IDC_COMBO_AVG", 296, 8, 19, Numbers(1, 11, 2));
  AddButton(kReset, "IDC_BUTTON_RESET", 316, "reset", "Reset", false);
  AddButton(kGuideLines, "IDC_CHECK_GUIDELINES", 336, "guidelines", "Guide Lines", true);
  AddButton(kOverlay, "IDC_CHECK_OVERLAY", 356, "overlay", "Overlay", true);
  AddButton(kUndefinedRegion, "IDC_CHECK_UNDEFINEDREGION", 376, "undefinedregion", "Undefined Region", true);
  AddButton(kExecutables, "IDC_BUTTON_EXECUTABLES", 396, "executables", "Executables", false);
  AddButton(kOptions, "IDC_BUTTON_OPTIONS", 416, "options", "Options", false);
  AddButton(kAbout, "IDC_BUTTON_ABOUT", 436, "about", "About (Help: F1)", false);

  // The edit-options slot: one group at a time is visible, chosen by the mouse mode.
  const struct { int label, margin, modification; const char* name; const char* text; const QStringList& margins; } groups[] = {
    {kSurfacesLabel, kSurfacesMargin, kSurfacesModification, "SURFACES", "Surfaces", kSurfacesMargins},
    {kUndefinedRegionLabel, kUndefinedRegionMargin, kUndefinedRegionModification, "UNDEFINEDREGION",
     "Undef. Region", kSurfacesMargins},
    {kVesselLabel, kVesselMargin, kVesselModification, "VESSEL", "Vessel", kLabelMargins},
    {kSEADLabel, kSEADMargin, kSEADModification, "SEAD", "SEAD", kLabelMargins}};
  for (const auto& g : groups) {
    const QString name = QString::fromLatin1(g.name);
    AddLabel(g.label, "IDC_STATIC_" + name, kEditSlotX, 44, g.text);
    AddCombo(g.margin, "IDC_COMBO_" + name + "_MARGIN", kEditSlotX, 8, 24, g.margins);
    AddCombo(g.modification, "IDC_COMBO_" + name + "_MODIFICATION", kEditSlotX + 24, 8, 20, kModifications);
  }
  // Surface editing has no button of its own: its options name the key that undoes an edit.
  for (const int id : {kSurfacesLabel, kSurfacesMargin, kSurfacesModification})
    Control(id)->setToolTip(QStringLiteral("Undo the last surface edit: right click or Ctrl+Z"));
  AddLabel(kMarkersLabel, "IDC_STATIC_MARKERS", kEditSlotX, 24, "Markers");
  AddCombo(kMarkersCombo, "IDC_COMBO_MARKERSLABEL", kEditSlotX, 8, 24, Numbers(1, 20));
  AddButton(kAddSpline, "IDC_BUTTON_ADDSPLINE", kEditSlotX, "addspline", "Add Spline", false);
}

void CDlgMenu::Register(int id, const QString& name, QWidget* control)
{
  control->setObjectName(name);
  control->setProperty("controlId", id);
  if (id != 0)
    m_Controls[id] = control;
}

void CDlgMenu::AddButton(int id, const QString& name, int x, const char* icon, const char* tip, bool checkable)
{
  const DialogUnits du;
  auto* button = new QToolButton(this);
  button->setGeometry(du.Rect(x, 0, 20, 20));
  button->setIcon(QIcon(QStringLiteral(":/icons/menu_%1.png").arg(QLatin1String(icon))));
  button->setIconSize(QSize(20, 20));
  button->setToolTip(QString::fromLatin1(tip));
  button->setCheckable(checkable);
  button->setAutoRaise(true);
  Register(id, name, button);
}

QComboBox* CDlgMenu::AddCombo(int id, const QString& name, int x, int y, int width, const QStringList& items)
{
  const DialogUnits du;
  auto* combo = new QComboBox(this);
  combo->setGeometry(du.Rect(x, y, width, 13));
  combo->addItems(items);
  Register(id, name, combo);
  return combo;
}

void CDlgMenu::AddLabel(int id, const QString& name, int x, int width, const char* text)
{
  const DialogUnits du;
  auto* label = new QLabel(QString::fromLatin1(text), this);
  label->setGeometry(du.Rect(x, 0, width, 8));
  Register(id, name, label);
}

QWidget* CDlgMenu::Control(int id) const
{
  const auto it = m_Controls.find(id);
  return it == m_Controls.end() ? nullptr : it->second;
}

QAbstractButton* CDlgMenu::Button(int id) const
{
  return qobject_cast<QAbstractButton*>(Control(id));
}

QComboBox* CDlgMenu::Combo(int id) const
{
  return qobject_cast<QComboBox*>(Control(id));
}
