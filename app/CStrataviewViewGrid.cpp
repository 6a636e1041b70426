// The grid definition of the thickness sectors, read from the "Grid" folder beside the
// program; independent of the scan.
#include "app/CStrataviewView.h"

#include "app/LoadMessages.h"
#include "data/XmlReadResult.h"
#include "platform/Messages.h"

namespace {
const char* const kFallbackGridFile = "Grid_Circle_Macula_ETDRS.xml";
}

bool CStrataviewView::LoadGrid(const std::string& path)
{
  // A grid that is read replaces the held one only when it is whole.
  LGrid configured;
  const int result = configured.ReadXml(path);
  if (result == kXmlOk)
    *m_GridDefinition = std::move(configured);
  if (result != kXmlLoadFailed)
    return true;

  LGrid fallback;
  const int fallbackResult = fallback.ReadXml(m_ExeFolder + "/Grid/" + kFallbackGridFile);
  if (fallbackResult != kXmlOk) {
    platform::ShowMessage(loadmessages::ForXmlResult(ResultKind::Grid, fallbackResult));
    return false;
  }
  *m_GridDefinition = std::move(fallback);
  // The setting names the grid now held, so it is changed only once that grid is read.
  m_Settings.GridFileName = kFallbackGridFile;
  (void)WriteSetting(m_Settings, "GridFileName");
  return true;
}

void CStrataviewView::ApplyGrid()
{
  if (!LoadGrid(m_ExeFolder + "/Grid/" + m_Settings.GridFileName))
    return;
  // The projection pane takes the thickness-map options and recomposes from here once it
  // exists; until then there is nothing to hand them to.
}
