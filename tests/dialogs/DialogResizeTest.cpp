#include "ResizeSweep.h"

#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgExecutables.h"
#include "dialogs/CDlgOpen.h"
#include "dialogs/CDlgSave.h"
#include "dialogs/CDlgThicknessAnalysis.h"
#include "dialogs/CDlgThicknessOptions.h"
#include "fixtures/DemoView.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QDialogButtonBox>
#include <gtest/gtest.h>

namespace {

using namespace resizesweep;

// A view without a scan, for the dialogs it owns; every message is swallowed.
class DialogResizeTest : public ::testing::Test {
protected:
  // The dialog's own size first, then wider and higher, then back near the minimum.
  static std::vector<QSize> Sweep(const QWidget& dialog, QSize minimum)
  {
    const QSize start = dialog.size();
    return {start, start + QSize(100, 0), start + QSize(100, 60), start + QSize(350, 240), minimum};
  }

  const fixtures::DemoView m_Demo;
  CStrataviewView& m_View = m_Demo.View();
};

QWidget* Button(QDialog& dialog, QDialogButtonBox::StandardButton which)
{
  auto* box = dialog.findChild<QDialogButtonBox*>();
  return box ? box->button(which) : nullptr;
}

TEST_F(DialogResizeTest, OpenDialogRowsWidenAndItsButtonsFollowTheRightEdge)
{
  CDlgOpen& open = *m_View.OpenDialog();
  open.show();
  const QSize minimum(682, 705);
  std::vector<Follow> follows = {StretchAcross(open.Control(902)), StretchBoth(open.Control(904)),
                                 StretchBoth(open.Control(910)),   StretchBoth(open.Control(901)),
                                 BottomRight(open.Control(CDlgOpen::kClose)),
                                 // The download's status stays under the sample tree.
                                 {open.SampleStatus(), 0, 1, 1, 0}};
  for (const int id : {CDlgOpen::kImportSequence, CDlgOpen::kAutoHide, CDlgOpen::kOpen, CDlgOpen::kRefresh,
                       CDlgOpen::kExecutables, CDlgOpen::kThicknessAnalysis})
    follows.push_back(Right(open.Control(id)));
  const int groups[] = {912, 914, 915, 917, 920, 922, 924, 926, 928, 930};
  for (int row = 0; row < CDlgOpen::kRowCount; ++row) {
    follows.push_back(StretchAcross(open.Control(groups[row])));
    follows.push_back(StretchAcross(open.PathEdit(CDlgOpen::Row(row))));
    follows.push_back(Right(open.BrowseButton(CDlgOpen::Row(row))));
  }
  ExpectFollows(open, follows, Sweep(open, minimum));
  ExpectMinimum(open, minimum);
}

TEST_F(DialogResizeTest, SaveDialogWidensItsPathsAndOnlyCloseMovesDown)
{
  CDlgSave save(&m_View, m_View);
  save.show();
  // Opened as laid out: every row inside the dialog, "Close" below the last row.
  EXPECT_TRUE(save.rect().contains(save.Control(1)->geometry()));
  EXPECT_GT(save.Control(1)->geometry().top(), save.PathEdit(5)->geometry().bottom());
  const QSize minimum(682, 478);
  std::vector<Follow> follows = {BottomRight(save.Control(1))};
  for (const int id : {1012, 1023, 1025, 1031, 1016, 1020, 1048, 1061, 1056, 1058, 1063, 1066})
    follows.push_back(StretchAcross(save.Control(id)));
  for (const int id : {951, 962, 958, 960, 964, 966, 995, 1026, 1028, 1034, 1029, 1032, 1129, 1130, 1133, 1135,
                       1131, 1132})
    follows.push_back(Right(save.Control(id)));
  ExpectFollows(save, follows, Sweep(save, minimum));
  ExpectMinimum(save, minimum);
}

TEST_F(DialogResizeTest, ExecutablesDialogWidensItsNamesAndKeepsRunAtTheRight)
{
  CDlgExecutables executables(&m_View);
  executables.show();
  std::vector<Follow> follows = {BottomRight(executables.findChild<QWidget*>(QStringLiteral("IDCANCEL")))};
  for (int row = 1; row <= 5; ++row) {
    follows.push_back(StretchAcross(executables.findChild<QWidget*>(QStringLiteral("IDC_EDIT_EXECUTABLE%1").arg(row))));
    follows.push_back(Right(executables.findChild<QWidget*>(QStringLiteral("IDC_BUTTON_RUN%1").arg(row))));
  }
  ExpectFollows(executables, follows, Sweep(executables, QSize(341, 264)));
  ExpectMinimum(executables, QSize(341, 264));
}

TEST_F(DialogResizeTest, ThicknessAnalysisDialogWidensItsFieldsAndKeepsItsButtonsAtTheCorner)
{
  CDlgThicknessAnalysis analysis(&m_View);
  analysis.show();
  std::vector<Follow> follows = {BottomRight(Button(analysis, QDialogButtonBox::Ok)),
                                 BottomRight(Button(analysis, QDialogButtonBox::Cancel))};
  for (const char* name : {"IDC_COMBO_GRID", "IDC_EDIT_OUTPUT", "IDC_EDIT_FILTER_SURFACES", "IDC_EDIT_FILTER_GRIDCENTER"})
    follows.push_back(StretchAcross(analysis.findChild<QWidget*>(QString::fromLatin1(name))));
  follows.push_back(Right(analysis.findChild<QWidget*>(QStringLiteral("IDC_BUTTON_OUTPUT"))));
  for (const char* name : {"IDC_RADIO_XML", "IDC_RADIO_IMAGECENTER"})
    follows.push_back(Fixed(analysis.findChild<QWidget*>(QString::fromLatin1(name))));
  ExpectFollows(analysis, follows, Sweep(analysis, QSize(341, 372)));
  ExpectMinimum(analysis, QSize(341, 372));
}

TEST_F(DialogResizeTest, ThicknessOptionsDialogWidensTheGridListOnly)
{
  CDlgThicknessOptions options(&m_View);
  options.OnInitDialog();
  options.show();
  std::vector<Follow> follows = {StretchAcross(options.findChild<QWidget*>(QStringLiteral("IDC_COMBO_GRID")))};
  for (const char* name : {"IDOK", "IDC_BUTTON_DEFAULT", "IDCANCEL"})
    follows.push_back(BottomRight(options.findChild<QWidget*>(QString::fromLatin1(name))));
  for (const char* name : {"IDC_EDIT_THICKNESS_MIN", "IDC_EDIT_THICKNESS_MAX", "IDC_RADIO_UNIT_AUTO",
                           "IDC_RADIO_PALETTE_GRAYSCALE", "IDC_CHECK_THICKNESS_BAR", "IDC_SLIDER_THICKNESS_OPACITY"})
    follows.push_back(Fixed(options.findChild<QWidget*>(QString::fromLatin1(name))));
  ExpectFollows(options, follows, Sweep(options, QSize(360, 320)));
  ExpectMinimum(options, QSize(360, 320));
}

}  // namespace
