// The kinds edited since they were saved or read: what marks them unsaved is the panes'
// business; here, what makes a kind clean again in the workspace, what leaves it unsaved, and
// the question that names the kinds.
#include "fixtures/DemoWorkspace.h"
#include "model/UnsavedEdits.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

namespace {

using Kinds = std::vector<ResultKind>;

TEST(UnsavedEditsQuestion, NamesEveryKindAsTheMessagesDo)
{
  const char* const tail = " have not been saved.\nDo you want to save them before they are dropped?";
  EXPECT_EQ(UnsavedEditsQuestion({ResultKind::Markers}), std::string("The edits of 'Markers'") + tail);
  EXPECT_EQ(UnsavedEditsQuestion({ResultKind::Surfaces, ResultKind::GridCenter}),
            std::string("The edits of 'Surfaces' and 'Grid Center'") + tail);
  EXPECT_EQ(UnsavedEditsQuestion({ResultKind::Surfaces, ResultKind::SEAD, ResultKind::Splines}),
            std::string("The edits of 'Surfaces', 'SEAD' and 'Splines'") + tail);
}

TEST(UnsavedEdits, TellsItsListenerOfEveryChangeOnlyAndListsTheAskedKindsInLoadingOrder)
{
  UnsavedEdits edits;
  std::vector<bool> heard;
  edits.SetListener([&heard](bool any) { heard.push_back(any); });
  edits.Mark(ResultKind::Splines);
  edits.Mark(ResultKind::Surfaces);
  edits.Mark(ResultKind::Surfaces);
  EXPECT_EQ(edits.Among({ResultKind::Splines, ResultKind::Markers, ResultKind::Surfaces}),
            (Kinds{ResultKind::Surfaces, ResultKind::Splines}));
  EXPECT_EQ(edits.Among({ResultKind::Markers}), Kinds{});
  edits.Clear(ResultKind::Surfaces);
  edits.Clear(ResultKind::Markers);
  edits.ClearAll();
  edits.ClearAll();
  EXPECT_EQ(heard, (std::vector<bool>{true, true, true, false}));
  EXPECT_FALSE(edits.Any());
}

// The demo folder shown, every kind the panes edit marked as unsaved.
class WorkspaceEdits : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(m_Space.OpenDemo());
    m_Space.ShowAll();
    MarkAll();
  }
  void MarkAll()
  {
    for (const ResultKind kind : EditableKinds())
      W().Unsaved().Mark(kind);
  }
  ScanWorkspace& W() { return m_Space.workspace; }
  Kinds Unsaved() { return W().Unsaved().Among(EditableKinds()); }
  static Kinds AllBut(ResultKind kind)
  {
    Kinds kinds;
    for (const ResultKind k : EditableKinds())
      if (k != kind)
        kinds.push_back(k);
    return kinds;
  }

  fixtures::DemoWorkspace m_Space;
};

TEST_F(WorkspaceEdits, AKindIsCleanOnceSavedOrReadAgainAndStaysUnsavedWhenThatFails)
{
  const std::string missing = m_Space.File("nowhere/file.xml");
  const std::string demo = m_Space.demo + "/Demo_";
  const struct {
    const char* what;
    ResultKind kind;
    std::function<bool(ScanWorkspace&)> step;
    bool clean;
  } cases[] = {
    {"surfaces saved", ResultKind::Surfaces,
     [&](ScanWorkspace& w) { SavedFile f; return w.SaveResult(ResultKind::Surfaces, demo + "Surfaces_Vamo.xml", false, f); }, true},
    {"labels saved", ResultKind::SEAD,
     [&](ScanWorkspace& w) { SavedFile f; return w.SaveResult(ResultKind::SEAD, m_Space.File("x_SEAD_New.mhd"), false, f); }, true},
    {"markers not written", ResultKind::Markers,
     [&](ScanWorkspace& w) { SavedFile f; return w.SaveResult(ResultKind::Markers, missing, false, f); }, false},
    {"grid centre read again", ResultKind::GridCenter,
     [&](ScanWorkspace& w) { return w.OpenResultFile(ResultKind::GridCenter, demo + "GridCenter_Vamo.xml"); }, true},
    {"splines file missing", ResultKind::Splines,
     [&](ScanWorkspace& w) { return w.OpenResultFile(ResultKind::Splines, missing); }, false},
    {"markers shown again", ResultKind::Markers,
     [](ScanWorkspace& w) { w.ApplyMarkers(w.Selected(ResultKind::Markers)); return true; }, true},
    {"vessel shown again", ResultKind::Vessel,
     [](ScanWorkspace& w) { return w.ApplyLabels(ResultKind::Vessel, w.Selected(ResultKind::Vessel)); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MarkAll();
    EXPECT_EQ(c.step(W()), c.clean);
    EXPECT_EQ(Unsaved(), c.clean ? AllBut(c.kind) : EditableKinds());
  }
}

TEST_F(WorkspaceEdits, AScanTakenOverDropsEveryKindsEditsAndOneThatFailsToLoadDropsNone)
{
  m_Space.prompts.messages.clear();
  EXPECT_FALSE(W().ScanFolder(m_Space.File("no such folder")));
  EXPECT_EQ(Unsaved(), EditableKinds());
  EXPECT_FALSE(W().OpenOCTFile(m_Space.File("missing_OCT.mhd")));
  EXPECT_EQ(Unsaved(), EditableKinds());
  EXPECT_TRUE(W().OpenOCTFile(m_Space.demo + "/Demo_OCT.mhd"));
  EXPECT_EQ(Unsaved(), Kinds{});
}

}  // namespace
