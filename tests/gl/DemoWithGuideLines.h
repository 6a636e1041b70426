#pragma once
// The demo opened in a view with the 3-D pane showing surfaces and their guide lines.
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "fixtures/DemoView.h"
#include "panes/L3D.h"

#include <QtTest/QTest>

// The frame shown and the demo folder opened; the 3-D pane shows all, the surfaces as a
// whole and the guide lines, each surface as the caller then chooses. False when the demo
// could not be made or opened.
inline bool OpenDemoWithGuideLines(fixtures::DemoView& demo)
{
  demo.Frame().show();
  if (!demo.MakeDemo() || !QTest::qWaitForWindowExposed(&demo.Frame()) || !demo.OpenFolder(demo.Folder()))
    return false;
  L3D& pane = *demo.View().Get3DPane();
  pane.Show3DAll(true);
  pane.ShowSurfaces(true);
  pane.ShowGuideLines(true);
  return true;
}
