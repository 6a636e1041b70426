// The grid definition of the thickness sectors, read from the "Grid" folder beside the
// program; independent of the scan.
#include "app/CStrataviewView.h"

#include "panes/LProjImage.h"

bool CStrataviewView::LoadGrid(const std::string& path)
{
  return m_Workspace.LoadGrid(path);
}

void CStrataviewView::ApplyGrid()
{
  if (!LoadGrid(m_Workspace.ConfiguredGridPath()))
    return;
  if (!m_ProjPane)
    return;  // the panes take the grid with the first scan
  HandGridToProjPane();
  const LSettings& s = m_Workspace.Settings();
  m_ProjPane->SetThicknessUnit(s.ThicknessUnit, s.ThicknessUnitMin, s.ThicknessUnitMax);
  m_ProjPane->SetThicknessPalette(s.ThicknessPalette);
  m_ProjPane->SetShowThicknessBar(s.ShowThicknessBar);
  m_ProjPane->SetThicknessOpacity(s.ThicknessOpacity);
  if (!m_Workspace.GetDisplayedVolume().loaded)
    return;
  if (m_Workspace.Slots().surfaces.count > 0 && s.ShowThickness)
    m_ProjPane->ComputeThickness(s.ThicknessSurfaceFrom, s.ThicknessSurfaceTo);
  m_ProjPane->Compose();
}

void CStrataviewView::HandGridToProjPane()
{
  LGrid& g = m_Workspace.GetGridDefinition();
  switch (g.type) {
    case GridCircle:
      m_ProjPane->SetGridCircles(g.type, g.circleCount, g.circleLabels.data(), g.radiusFrom.data(),
                                 g.radiusTo.data(), g.angleFrom.data(), g.angleTo.data());
      break;
    case GridEllipse:
      m_ProjPane->SetGridEllipses(g.type, g.ellipseCount, g.ellipseLabels.data(), g.horizontalRadiusFrom.data(),
                                  g.horizontalRadiusTo.data(), g.verticalRadiusFrom.data(),
                                  g.verticalRadiusTo.data(), g.ellipseAngleFrom.data(), g.ellipseAngleTo.data());
      break;
    case GridSquare:
      m_ProjPane->SetGridRectangles(g.type, g.squareCount, g.squareLabels.data(), g.left.data(), g.top.data(),
                                    g.right.data(), g.bottom.data());
      break;
    case GridMultisquares:
      m_ProjPane->SetGridRectangleSets(g.type, g.groupCount, g.groupLabels.data(), g.groupRegionCount.data(),
                                       g.groupRegionLabels.data(), g.groupLeft.data(), g.groupTop.data(),
                                       g.groupRight.data(), g.groupBottom.data());
      break;
    default: break;
  }
}
