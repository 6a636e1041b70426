#include "dialogs/CDlgThicknessAnalysis.h"
#include "data/LSurfaces.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "platform/Dialogs.h"
#include "platform/ExecutableDir.h"
#include "platform/Messages.h"
#include "platform/Profile.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

class ThicknessAnalysisDialogTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    platform::Profile::SetFolderForTests(QString::fromStdString(m_Profile.Path().string()));
    platform::SetExecutableDirForTests(STRATAVIEW_SOURCE_DIR "/res");
  }
  std::string StoredGrid() const
  {
    return platform::Profile::GetProfileString(QStringLiteral("ThicknessAnalysisGridFileName"), QStringLiteral("unset"))
      .toStdString();
  }

  TempDir m_Profile;
  std::vector<std::string> m_Messages;
  const platform::ScopedMessageHook m_Quiet{[this](const std::string& text, unsigned) {
    m_Messages.push_back(text);
    return platform::kIdOk;
  }};
};

TEST_F(ThicknessAnalysisDialogTest, GridChoiceEnablesTheCentreControls)
{
  CDlgThicknessAnalysis dialog;
  QComboBox& grid = *dialog.GridCombo();
  ASSERT_EQ(grid.count(), 5);
  EXPECT_EQ(grid.itemText(0).toStdString(), "None");
  EXPECT_EQ(grid.currentText().toStdString(), "Grid_Circle_Macula_ETDRS.xml");
  EXPECT_TRUE(dialog.ImageCenterButton()->isChecked());
  EXPECT_EQ(dialog.SurfacesFilterEdit()->text().toStdString(), "_Surfaces_Vamo.xml");
  const struct { const char* grid; bool xml; bool radios; bool filter; } cases[] = {
    {"Grid_Square_Macula_3x3.xml", false, true, false},
    {"Grid_Square_Macula_3x3.xml", true, true, true},
    {"None", true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.grid) + (c.xml ? " XML" : " image"));
    (c.xml ? dialog.XmlButton() : dialog.ImageCenterButton())->setChecked(true);
    grid.setCurrentText(QString::fromLatin1(c.grid));
    EXPECT_EQ(dialog.XmlButton()->isEnabled(), c.radios);
    EXPECT_EQ(dialog.ImageCenterButton()->isEnabled(), c.radios);
    EXPECT_EQ(dialog.GridCenterFilterEdit()->isEnabled(), c.filter);
  }
}

TEST_F(ThicknessAnalysisDialogTest, ChosenOutputEndsInCsv)
{
  const struct { const char* chosen; const char* path; } cases[] = {
    {"/t/report", "/t/report.csv"}, {"/t/report.CSV", "/t/report.CSV"}, {"/t/a.csv.txt", "/t/a.csv.txt.csv"}};
  CDlgThicknessAnalysis dialog;
  for (const auto& c : cases) {
    const platform::ScopedDialogHook answer([&](const platform::DialogRequest&, QDialog*) {
      return platform::DialogAnswer{true, c.chosen};
    });
    dialog.OnBrowseOutput();
    EXPECT_EQ(dialog.OutputEdit()->text().toStdString(), c.path);
  }
}

// A failed run keeps the dialog open and the profile untouched; a run that ends writes the
// file, stores the choices and closes the dialog.
TEST_F(ThicknessAnalysisDialogTest, RunStoresChoicesOnlyAfterSuccess)
{
  const TempDir folder;
  LResultHeader header = UnknownResultHeader();
  header.version = "4.0.0";
  LSurfaces s;
  s.Create(2, 2, 2, {5, 7}, {5, 7}, {}, header);
  ASSERT_EQ(s.WriteXml(folder.File("a_Surfaces_Vamo.xml")), 0);
  CDlgThicknessAnalysis dialog;
  dialog.SetFolder(folder.Path().string());
  dialog.GridCombo()->setCurrentText(QStringLiteral("None"));
  dialog.accept();
  EXPECT_EQ(m_Messages, std::vector<std::string>{"Please input an Output Path Name."});
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(StoredGrid(), "unset");

  dialog.OutputEdit()->setText(QString::fromStdString(folder.File("out.csv")));
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(StoredGrid(), "None");
  EXPECT_EQ(fixtures::ReadAll(folder.File("out.csv")).substr(0, 4), "OCT,");

  // A file that cannot be read is named, and the run goes on to its end without it.
  m_Messages.clear();
  ASSERT_TRUE(fixtures::WriteText(folder.File("b_Surfaces_Vamo.xml"), "<surfaces>"));
  CDlgThicknessAnalysis again;
  again.SetFolder(folder.Path().string());
  again.GridCombo()->setCurrentText(QStringLiteral("None"));
  again.OutputEdit()->setText(QString::fromStdString(folder.File("again.csv")));
  again.accept();
  EXPECT_EQ(m_Messages, std::vector<std::string>{"These files could not be read; the CSV file has no row for them:\n'" +
                                                 folder.File("b_Surfaces_Vamo.xml") + "': File error: 'Surfaces'"});
  EXPECT_EQ(again.result(), QDialog::Accepted);
  EXPECT_EQ(fixtures::ReadAll(folder.File("again.csv")), fixtures::ReadAll(folder.File("out.csv")));
}

}  // namespace
