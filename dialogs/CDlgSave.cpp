#include "dialogs/CDlgSave.h"

#include "data/FileApproval.h"
#include "dialogs/ScanActions.h"
#include "platform/DialogUnits.h"
#include "platform/Dialogs.h"
#include "platform/WaitCursor.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

struct RowSpec {
  const char* caption;
  const char* filter;
  const char* suffix;  // given to a name typed without an extension, so that the folder scan finds it
  int group, edit, browse, approval, save;
  ResultKind kind;
};

const char* const kXmlFilter = "XML Files (*.xml)";
const char* const kMetaImageFilter = "MetaImage Files (*.mhd)";

const RowSpec kRows[CDlgSave::kRowCount] = {
  {"Surfaces Path Name ('*_Surfaces_*.xml')", kXmlFilter, "xml", 1012, 1048, 951, 995, 1129,
   ResultKind::Surfaces},
  {"Grid Center Path Name ('*_GridCenter_*.xml')", kXmlFilter, "xml", 1023, 1061, 962, 1026, 1130,
   ResultKind::GridCenter},
  {"Vessel Path Name ('*_Vessel_*.mhd')", kMetaImageFilter, "mhd", 1025, 1056, 958, 1028, 1133,
   ResultKind::Vessel},
  {"SEAD Path Name ('*_SEAD_*.mhd')", kMetaImageFilter, "mhd", 1031, 1058, 960, 1034, 1135,
   ResultKind::SEAD},
  {"Markers Path Name ('*_Markers_*.xml')", kXmlFilter, "xml", 1016, 1063, 964, 1029, 1131,
   ResultKind::Markers},
  {"Splines Path Name ('*_Splines_*.xml')", kXmlFilter, "xml", 1020, 1066, 966, 1032, 1132,
   ResultKind::Splines},
};

const QSize kMinimumWindow(682, 478);  // pixels, frame included

template <typename Widget>
Widget* Placed(Widget* widget, int id, const QRect& rect)
{
  widget->setProperty("controlId", id);
  widget->setGeometry(rect);
  return widget;
}

}  // namespace

CDlgSave::CDlgSave(QWidget* parent, ScanActions& owner)
  : AnchoredDialog(parent, kMinimumWindow), m_Owner(owner)
{
  setObjectName(QStringLiteral("CDlgSave"));
  setWindowTitle(QStringLiteral("Save"));
  setFont(DialogUnits::PanelFont());
  const DialogUnits du;
  resize(du.X(505), du.Y(220));
  for (int k = 0; k < kRowCount; ++k) {
    const RowSpec& row = kRows[k];
    const int y = 7 + 32 * k;
    m_Groups[size_t(k)] = Placed(new QGroupBox(QString::fromLatin1(row.caption), this), row.group,
                                 du.Rect(7, y, 491, 27));
    m_Edits[size_t(k)] = Placed(new QLineEdit(this), row.edit, du.Rect(13, y + 10, 375, 12));
    m_Edits[size_t(k)]->setReadOnly(true);
    m_Browse[size_t(k)] = Placed(new QPushButton(QStringLiteral("..."), this), row.browse, du.Rect(388, y + 10, 14, 12));
    m_Approvals[size_t(k)] = Placed(new QCheckBox(QStringLiteral("Approval"), this), row.approval, du.Rect(408, y + 11, 37, 10));
    m_Save[size_t(k)] = Placed(new QPushButton(QStringLiteral("Save"), this), row.save, du.Rect(452, y + 10, 40, 12));
    connect(m_Browse[size_t(k)], &QAbstractButton::clicked, this, [this, k] { OnBrowse(k); });
    connect(m_Save[size_t(k)], &QAbstractButton::clicked, this, [this, k] { OnSave(k); });
  }
  auto* close = Placed(new QPushButton(QStringLiteral("Close"), this), 1, du.Rect(448, 199, 50, 14));
  close->setObjectName(QStringLiteral("IDOK"));
  close->setDefault(true);
  m_Close = close;
  connect(m_Close, &QAbstractButton::clicked, this, &QDialog::accept);
  AnchorControls();
}

// The paths widen with the dialog and the buttons follow its right edge; only "Close" moves down.
void CDlgSave::AnchorControls()
{
  for (QWidget* control : m_Groups)
    Anchoring().Add(control, AnchorRules::kStretchAcross);
  for (QWidget* control : m_Edits)
    Anchoring().Add(control, AnchorRules::kStretchAcross);
  for (const auto* column : {&m_Browse, &m_Save})
    for (QWidget* control : *column)
      Anchoring().Add(control, AnchorRules::kRight);
  for (QWidget* control : m_Approvals)
    Anchoring().Add(control, AnchorRules::kRight);
  Anchoring().Add(m_Close, AnchorRules::kBottomRight);
  RecordLayout();
}



QAbstractButton* CDlgSave::BrowseButton(int row) const
{
  return m_Browse[size_t(row)];
}

QAbstractButton* CDlgSave::SaveButton(int row) const
{
  return m_Save[size_t(row)];
}

int CDlgSave::Run()
{
  OnInitDialog();
  return platform::RunModal(*this);
}

void CDlgSave::OnInitDialog()
{
  const platform::WaitCursor busy;
  for (int k = 0; k < kRowCount; ++k) {
    if (savePaths[size_t(k)].empty() || !approval::IsApproved(savePaths[size_t(k)]))
      continue;
    approvals[size_t(k)] = 1;
    m_Approvals[size_t(k)]->setEnabled(false);
    m_Save[size_t(k)]->setEnabled(false);
  }
  ShowMembers();
  if (m_Owner.GetSurfacesCount() == 0)
    for (QWidget* control : {static_cast<QWidget*>(m_Browse[0]), static_cast<QWidget*>(m_Approvals[0]),
                             static_cast<QWidget*>(m_Save[0])})
      control->setEnabled(false);
}

void CDlgSave::ShowMembers()
{
  for (int k = 0; k < kRowCount; ++k) {
    m_Edits[size_t(k)]->setText(QString::fromStdString(savePaths[size_t(k)]));
    m_Approvals[size_t(k)]->setChecked(approvals[size_t(k)] != 0);
  }
}

void CDlgSave::OnBrowse(int row)
{
  platform::DialogRequest request;
  request.kind = platform::DialogKind::SaveFile;
  request.fileName = savePaths[size_t(row)];
  request.filter = kRows[row].filter;
  request.defaultSuffix = kRows[row].suffix;
  const platform::DialogAnswer answer = platform::GetSaveFileName(this, request);
  if (!answer.accepted)
    return;
  const platform::WaitCursor busy;
  savePaths[size_t(row)] = answer.path;
  approvals[size_t(row)] = 0;
  ShowMembers();
  m_Approvals[size_t(row)]->setEnabled(true);
  m_Save[size_t(row)]->setEnabled(true);
}

void CDlgSave::OnSave(int row)
{
  const platform::WaitCursor busy;
  approvals[size_t(row)] = m_Approvals[size_t(row)]->isChecked() ? 1 : 0;
  const bool approved = approvals[size_t(row)] != 0;
  if (!m_Owner.SaveResult(kRows[row].kind, savePaths[size_t(row)], approved) || !approved)
    return;
  m_Approvals[size_t(row)]->setEnabled(false);
  m_Save[size_t(row)]->setEnabled(false);
}
