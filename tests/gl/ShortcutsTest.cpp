// The main window's keys, pressed as the user presses them on the active window: Ctrl+O shows
// the open dialog, Ctrl+S runs the save dialog, Ctrl+Z undoes the last surface edit as the
// right click does, F1 opens the help document; each button's tooltip names its key.
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgOpen.h"
#include "dialogs/CDlgSave.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/PanelSteps.h"
#include "fixtures/TempDir.h"
#include "panes/LOCTImage.h"
#include "panes/SliceToolsTestView.h"
#include "platform/Dialogs.h"
#include "platform/ShellOpen.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// A program folder with the grids and a help document, made before the view starts there.
class ProgramFolderWithHelp {
protected:
  ProgramFolderWithHelp()
  {
    std::filesystem::create_directory_symlink(STRATAVIEW_SOURCE_DIR "/res/Grid", m_Program.File("Grid"));
    EXPECT_TRUE(fixtures::WriteText(HelpDocument(), "%PDF-1.4\n"));
  }
  std::string HelpDocument() const { return m_Program.File("Help.pdf"); }

  TempDir m_Program;
};

// The demo in a shown, active frame.
class Shortcuts : public ProgramFolderWithHelp, public fixtures::DemoViewTest {
protected:
  Shortcuts() : DemoViewTest(fixtures::DemoViewOptions().SizeView().ProgramFolder(m_Program.Path().string())) {}
  void SetUp() override
  {
    DemoViewTest::SetUp();
    m_Demo.Frame().show();
    m_Demo.Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_Demo.Frame()));
  }
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
  {
    QTest::keyClick(&m_View, Qt::Key(key), modifiers);
  }
  std::vector<int> SurfaceRows() const
  {
    std::vector<int> rows;
    for (const Point3i& p : m_View.Slots().surfaces.displayedObject->points)
      rows.push_back(p.y);
    return rows;
  }
  // Drags the surface under (column, row) of a slice pane down by four rows.
  void DragSurface(int orientation, int column, int row)
  {
    LOCTImage& pane = *m_View.SlicePane(orientation);
    Mouse mouse{pane};
    mouse.Hover(CellCentre(pane, column, row));
    mouse.Drag(CellCentre(pane, column, row), CellCentre(pane, column, row + 4));
  }
  int SurfaceRow(int x, int z) const { return m_View.Slots().surfaces.displayedObject->points[size_t(z * 64 + x)].y; }
};

TEST_F(Shortcuts, EachButtonsTooltipNamesItsKey)
{
  const CDlgMenu& menu = *m_View.MenuPanel();
  EXPECT_EQ(menu.Button(CDlgMenu::kOpen)->toolTip(), "Open (Ctrl+O)");
  EXPECT_EQ(menu.Button(CDlgMenu::kSave)->toolTip(), "Save (Ctrl+S)");
  EXPECT_EQ(menu.Button(CDlgMenu::kAbout)->toolTip(), "About (Help: F1)");
  EXPECT_TRUE(menu.Control(CDlgMenu::kSurfacesMargin)->toolTip().contains("Ctrl+Z"));
}

TEST_F(Shortcuts, CtrlOShowsTheOpenDialogCtrlSRunsTheSaveDialogAndF1OpensTheHelp)
{
  ASSERT_FALSE(m_View.OpenDialog()->isVisible());
  Press(Qt::Key_O, Qt::ControlModifier);
  EXPECT_TRUE(m_View.OpenDialog()->isVisible());
  m_View.OpenDialog()->reject();
  m_Demo.Frame().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&m_Demo.Frame()));

  int saveDialogs = 0;
  {
    const platform::ScopedDialogHook hook([&saveDialogs](const platform::DialogRequest&, QDialog* dialog) {
      saveDialogs += dynamic_cast<CDlgSave*>(dialog) != nullptr;
      return platform::DialogAnswer{};
    });
    Press(Qt::Key_S, Qt::ControlModifier);
  }
  EXPECT_EQ(saveDialogs, 1);

  std::vector<std::string> opened;
  const platform::ScopedShellOpenHook shell([&opened](const std::string& url) {
    opened.push_back(url);
    return platform::ShellOpenResult::Opened;
  });
  Press(Qt::Key_F1);
  EXPECT_EQ(opened, std::vector<std::string>{"file://" + HelpDocument()});
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
}

// Each slice pane keeps its own edits; the key takes the newest one first, then the older ones.
TEST_F(Shortcuts, CtrlZUndoesTheLastSurfaceEditWhereverItWasMade)
{
  fixtures::ChooseMouseMode(m_View, MouseSurfaces);
  const std::vector<int> read = SurfaceRows();
  DragSurface(OrientationXY, 10, SurfaceRow(10, 8));
  const std::vector<int> afterXY = SurfaceRows();
  ASSERT_NE(afterXY, read);
  DragSurface(OrientationZY, 3, SurfaceRow(32, 3));
  ASSERT_NE(SurfaceRows(), afterXY);

  Press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(SurfaceRows(), afterXY);
  Press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(SurfaceRows(), read);
  Press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(SurfaceRows(), read);
}

}  // namespace
