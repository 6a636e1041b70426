// Handing what the workspace shows to the panes: the displayed volume, flattened on a
// reference surface or not, and each kind's displayed copy moved by the same shift.
#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "app/LButton.h"
#include "data/SurfaceTable.h"
#include "model/ScanFolderScan.h"
#include "panes/CChildWnd.h"
#include "panes/L3D.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "platform/ColorRefQt.h"
#include "platform/WaitCursor.h"

#include <QComboBox>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <new>

namespace {

constexpr int kOrientationOfSlice[kSlicePaneCount] = {OrientationXY, OrientationZY, OrientationXZ};

const char* const kShowScanTask = "show the scan";

// The plane of a projection or disc image: 8-bit images give their plane, colour images
// their red one (or all three), other depths give nothing.
bool IsGreyImage(const LImage2D& image)
{
  return image.GetBitsPerPixel() == 8 && image.GetPlane8();
}
bool IsColourImage(const LImage2D& image)
{
  const int bits = image.GetBitsPerPixel();
  return (bits == 24 || bits == 32) && image.GetRedPlane() && image.GetGreenPlane() && image.GetBluePlane();
}

int* PointsOf(LSurfaces& surfaces)
{
  // Point3i is three int32 in a row: the panes read the grid as int triples.
  static_assert(sizeof(Point3i) == 3 * sizeof(int32_t), "points are int triples");
  return surfaces.points.empty() ? nullptr : &surfaces.points.front().x;
}

}  // namespace

// The panes exist from the first shown scan on; before it a kind has nothing to go to (its
// selection is applied by the refresh that shows the scan).
bool CStrataviewView::PanesCreated() const
{
  return m_ProjPane && m_3DPane && m_SlicePanes[0];
}

bool CStrataviewView::RefreshAll()
{
  return MayDropEdits(EditableKinds()) && RebuildDisplay();
}

bool CStrataviewView::RebuildDisplay()
{
  if (!m_Workspace.GetReadVolume().loaded)
    return false;
  const platform::WaitCursor busy;
  bool takenOver = false;
  try {
    CreatePanes();
    takenOver = m_Workspace.Flatten([this] { return ReservePanes(); });
    if (takenOver) {
      HandDisplayToPanes();
      return true;
    }
  } catch (const std::bad_alloc&) {
    if (takenOver) {
      EmptyPanesForMemory();
      return false;
    }
    ShowMemoryMessage(kShowScanTask);
  }
  // The panes still show what they showed; the scan an open replaced is open with it again.
  ReopenReplacedScan();
  return false;
}

bool CStrataviewView::ReservePanes()
{
  const LOCTVolume& read = m_Workspace.GetReadVolume();
  const int size[3] = {read.sizeX, read.sizeY, read.sizeZ};
  const int paneSize[kSlicePaneCount][2] = {{read.sizeX, read.sizeY}, {read.sizeZ, read.sizeY}, {read.sizeX, read.sizeZ}};
  for (int slice = 0; slice < kSlicePaneCount; ++slice)
    if (!m_SlicePanes[slice]->ReserveCanvas(paneSize[slice][0], paneSize[slice][1]))
      return false;
  return m_ProjPane->ReserveCanvas(read.sizeX, read.sizeZ) && m_3DPane->ReservePlanes(size);
}

void CStrataviewView::HandDisplayToPanes()
{
  {
    // Nearly every step below asks for the 2-D pictures again; they are drawn once, at the end.
    const RedrawHold drawOnce{m_SlicePanes[0].get(), m_SlicePanes[1].get(), m_SlicePanes[2].get(),
                              m_ProjPane.get()};
    // Flattening made every kind's displayed object along with the scan: the panes take them.
    ApplyOCT();
    HandRefSurfToPanes(m_Workspace.ShowsChosenFile(ResultKind::RefSurf));
    if (m_Workspace.ShowsChosenFile(ResultKind::Surfaces))
      HandSurfacesToPanes();
    ApplyProj(m_Workspace.Slots().proj.selected);
    ApplyDisc(m_Workspace.Slots().disc.selected);
    for (const ResultKind kind : {ResultKind::Vessel, ResultKind::SEAD})
      if (m_Workspace.ShowsLabels(kind))
        HandLabelsToPanes(kind);
    HandMarkersToPanes();
    HandSplinesToPanes();
    // The new panes start from their own defaults: hand them the stored mouse mode and display
    // toggles again, so that the controls show what the panes do from the first frame.
    SelectMouseMode(m_Workspace.Settings().Mouse);
    ReapplyDisplayToggles();
  }
  StopSliceMotion();
}

void CStrataviewView::EmptyPanesForMemory()
{
  for (auto& pane : m_SlicePanes)
    if (pane)
      pane->ForgetScan();
  if (m_ProjPane)
    m_ProjPane->ForgetScan();
  if (m_3DPane)
    m_3DPane->ForgetVolume();
  // Telling takes memory too; when even that cannot be had the panes stay empty all the same.
  try {
    for (CChildWnd* host : m_PaneHosts)
      host->update();
  } catch (const std::bad_alloc&) {
  }
  ShowMemoryMessage(nullptr);
}

void CStrataviewView::ApplyOCT()
{
  m_Workspace.ApplyOCT();
  const LOCTVolume& read = m_Workspace.GetReadVolume();
  const LOCTVolume& displayed = m_Workspace.GetDisplayedVolume();
  const int size[3] = {read.sizeX, read.sizeY, read.sizeZ};
  const float spacing[3] = {read.spacingX, read.spacingY, read.spacingZ};
  int* position = m_Workspace.Position();
  LSettings& settings = m_Workspace.Settings();
  const int paneSize[kSlicePaneCount][2] = {{read.sizeX, read.sizeY}, {read.sizeZ, read.sizeY}, {read.sizeX, read.sizeZ}};
  const int range[kSlicePaneCount] = {read.sizeZ, read.sizeX, read.sizeY};
  const int value[kSlicePaneCount] = {position[2], position[0], position[1]};
  const std::string caption = scanfolder::FileName(m_Workspace.GetScanPath());
  for (int slice = 0; slice < kSlicePaneCount; ++slice) {
    LOCTImage& pane = *m_SlicePanes[slice];
    pane.CreatePane(paneSize[slice][0], paneSize[slice][1], DibColors24Bit, m_PaneHosts[slice]);
    pane.SetVolume(size, displayed.Voxels(), spacing, read.bytesPerVoxel);
    pane.SetOrientation(kOrientationOfSlice[slice]);
    pane.SetPosition(position);
    pane.SetGridCenter(m_Workspace.Slots().gridCenter.gridCenter);
    pane.SetWindowLevel(&settings.WindowCenter, &settings.WindowWidth);
    pane.SetCaption(caption);
    pane.SetLaterality(read.laterality);
    QScrollBar* bar = m_ScrollBars[slice];
    const QSignalBlocker block(bar);
    bar->setRange(0, std::max(range[slice] - 1, 0));
    bar->setValue(value[slice]);
    bar->setEnabled(true);
  }
  m_ProjPane->CreatePane(read.sizeX, read.sizeZ, DibColors24Bit, m_PaneHosts[PaneProj]);
  m_ProjPane->SetVolume(size, displayed.Voxels(), spacing, read.bytesPerVoxel);
  m_ProjPane->SetPosition(position);
  m_ProjPane->SetGridCenter(m_Workspace.Slots().gridCenter.gridCenter);
  HandGridToProjPane();
  m_3DPane->CreatePane(m_PaneHosts[Pane3D]->width(), m_PaneHosts[Pane3D]->height(), m_PaneHosts[Pane3D]);
  m_3DPane->SetVolume(size, displayed.Voxels(), spacing, read.bytesPerVoxel);
  m_3DPane->SetPosition(position);
  m_3DPane->SetGridCenter(m_Workspace.Slots().gridCenter.gridCenter);
  m_3DPane->SetWindowLevel(&settings.WindowCenter, &settings.WindowWidth);
  m_3DPane->SetLaterality(read.laterality);

  PushSettingsToPanes();
  ForEachSlicePane([](LOCTImage& pane) { pane.Render(); });
  m_ProjPane->ShowGuideLines(settings.ShowGuideLines);
  m_ProjPane->ShowOverlay(settings.ShowOverlay);
  m_ProjPane->Compose();
  m_3DPane->UpdateProjection();
  RunLayout(settings.Layout);

  m_DisplayedLaterality = read.laterality;
  const int lateralityItem = read.laterality == LateralityOD ? 0 : (read.laterality == LateralityOS ? 1 : 2);
  QComboBox* laterality = m_DataPanel->Combo(CDlgData::kLaterality);
  const QSignalBlocker block(laterality);
  laterality->setCurrentIndex(lateralityItem);
}

void CStrataviewView::ApplyRefSurf(int selection)
{
  if (PanesCreated())
    HandRefSurfToPanes(m_Workspace.ApplyRefSurf(selection));
}

// Without a shown reference surface ("None") the panes hide theirs.
void CStrataviewView::HandRefSurfToPanes(bool shown)
{
  if (!shown) {
    ForEachSlicePane([](LOCTImage& pane) { pane.ShowRefSurface(false); });
    m_3DPane->ShowRefSurface(false);
    return;
  }
  LRefSurfSlot& slot = m_Workspace.Slots().refSurf;
  const bool show = m_Workspace.Settings().ShowRefSurf;
  ForEachSlicePane([&](LOCTImage& pane) {
    pane.SetRefSurface(slot.displayedObject.get());
    pane.ShowRefSurface(show);
  });
  m_3DPane->SetRefSurface(slot.displayedObject->points.data());
  m_3DPane->ShowRefSurface(show);
}

void CStrataviewView::ApplyGridCenter(int selection)
{
  m_Workspace.ApplyGridCenter(selection);
}

void CStrataviewView::ApplySurfaces(int selection)
{
  if (PanesCreated() && m_Workspace.ApplySurfaces(selection))
    HandSurfacesToPanes();
}

void CStrataviewView::HandSurfacesToPanes()
{
  auto& slot = m_Workspace.Slots().surfaces;
  LSurfaces& shown = *slot.displayedObject;
  const int count = shown.surfaceCount;
  const int flags = std::min(count, kSettingsSurfaceCount);
  const LSettings& s = m_Workspace.Settings();
  // Every pane lets go of the surfaces it showed before anything here takes memory.
  ForEachSlicePane([&](LOCTImage& pane) { pane.SetSurfaces(count, PointsOf(shown), shown.undefinedMask.data()); });
  m_ProjPane->SetSurfaces(count, PointsOf(shown), shown.undefinedMask.data());
  m_3DPane->SetSurfaces(count, shown.points.data(), shown.undefinedMask.data());
  const std::string fileName = scanfolder::FileName(slot.pathList.GetAt(slot.selected));
  ForEachSlicePane([&](LOCTImage& pane) {
    pane.SetSurfacesFileName(fileName);
    pane.SetSurfacesModifier(shown.header.modifier);
    pane.SetSurfacesApproval(shown.header.approval);
    pane.ShowSurfaces(s.ShowSurfaces);
    for (int i = 0; i < flags; ++i) {
      pane.ShowSurface(i, s.ShowSurface[i]);
      pane.ShowUndefinedSurface(i, s.ShowUndefinedSurface[i]);
    }
    pane.ShowUndefinedRegion(s.ShowUndefinedRegion);
  });
  m_ProjPane->ShowUndefinedRegion(s.ShowUndefinedRegion);
  m_3DPane->ShowSurfaces(s.ShowSurfaces);
  for (int i = 0; i < flags; ++i) {
    m_3DPane->ShowSurface(i, s.ShowSurface[i]);
    m_3DPane->ShowUndefinedSurface(i, s.ShowUndefinedSurface[i]);
  }
  ShowThicknessInPanes();
  ShowSurfaceBoxes(shown);
  ShowSurfaceChoices(count);
}

// The menu panel's grid mode and the two surface pairs, listed for the surfaces shown.
void CStrataviewView::ShowSurfaceChoices(int surfaceCount)
{
  QStringList numbers;
  for (int i = 1; i <= surfaceCount; ++i)
    numbers << QString::number(i);
  const auto fill = [](QComboBox* combo, const QStringList& items, int selected) {
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(selected);
  };
  const LSettings& s = m_Workspace.Settings();
  fill(m_MenuPanel->Combo(CDlgMenu::kGrid), {"None", "Quality", "Quantity"}, s.GridMode);
  fill(m_MenuPanel->Combo(CDlgMenu::kThicknessFrom), numbers, s.ThicknessSurfaceFrom);
  fill(m_MenuPanel->Combo(CDlgMenu::kThicknessTo), numbers, s.ThicknessSurfaceTo);
  fill(m_MenuPanel->Combo(CDlgMenu::kCreateProjFrom), numbers, s.CreateProjSurfaceFrom);
  fill(m_MenuPanel->Combo(CDlgMenu::kCreateProjTo), numbers, s.CreateProjSurfaceTo);
}

// The thickness map and the projection between surfaces, as the settings ask for them.
void CStrataviewView::ShowThicknessInPanes()
{
  const LSettings& s = m_Workspace.Settings();
  ForEachSlicePane([&s](LOCTImage& pane) {
    pane.SetThicknessSurfaces(s.ThicknessSurfaceFrom, s.ThicknessSurfaceTo);
    pane.SetProjectionSurfaces(s.CreateProjSurfaceFrom, s.CreateProjSurfaceTo);
    pane.SetShowCreateProj(s.ShowCreateProj);
    pane.ShowThickness(s.ShowThickness);
  });
  if (s.ShowCreateProj) {
    m_ProjPane->ComputeProjection(s.CreateProjSurfaceFrom, s.CreateProjSurfaceTo);
    m_ProjPane->ShowProjection(s.ShowProj);
  }
  if (s.ShowThickness)
    m_ProjPane->ComputeThickness(s.ThicknessSurfaceFrom, s.ThicknessSurfaceTo);
  m_ProjPane->ShowThickness(s.ShowThickness);
  m_ProjPane->Compose();
}

void CStrataviewView::ShowSurfaceBoxes(const LSurfaces& surfaces)
{
  const QColor buttonFace = m_DataPanel->palette().color(QPalette::Button);
  const LSettings& settings = m_Workspace.Settings();
  for (int b = 0; b < CDlgData::kSurfaceBoxCount; ++b) {
    LButton* box = m_DataPanel->SurfaceBox(b);
    if (b >= surfaces.surfaceCount) {
      box->setText(QString::number(b + 1));
      box->setEnabled(false);
      continue;
    }
    std::string name = SurfaceTable::At(surfaces.nameIndex[b]).name;
    const size_t open = name.find('(');
    const size_t close = name.find(')', open == std::string::npos ? 0 : open);
    if (open != std::string::npos && close != std::string::npos)
      name = name.substr(open + 1, close - open - 1);
    box->setText(QStringLiteral("%1. %2").arg(b + 1).arg(QString::fromStdString(name)));
    box->SetColor(settings.ShowSurface[b] ? settings.ColorSurface[b] : platform::ToColorRef(buttonFace));
    box->setEnabled(true);
  }
}

void CStrataviewView::ApplyProj(int selection)
{
  if (!PanesCreated())
    return;
  const LImage2D* image = m_Workspace.ChosenImage(ResultKind::Proj, selection);
  if (!image)
    return;
  if (m_Workspace.DropCreatedProjectionWithoutSurfaces())
    if (QAbstractButton* button = m_MenuPanel->Button(CDlgMenu::kCreateProj))
      button->setChecked(false);
  // A projection computed between surfaces stays.
  if (m_Workspace.Settings().ShowCreateProj)
    return;
  if (IsGreyImage(*image))
    m_ProjPane->SetProjectionImage(image->GetPlane8(), image->GetPlane8(), image->GetPlane8());
  else if (IsColourImage(*image))
    m_ProjPane->SetProjectionImage(image->GetRedPlane(), image->GetGreenPlane(), image->GetBluePlane());
  else
    return;
  const bool show = m_Workspace.Settings().ShowProj;
  m_ProjPane->ShowProjection(show);
  m_3DPane->SetProjectionImage(m_ProjPane->GetRedPlane(), m_ProjPane->GetGreenPlane(), m_ProjPane->GetBluePlane());
  m_3DPane->ShowProjection(show);
}

void CStrataviewView::ApplyDisc(int selection)
{
  if (!PanesCreated())
    return;
  const LImage2D* image = m_Workspace.ChosenImage(ResultKind::Disc, selection);
  if (!image)
    return;
  const uint8_t* mask = IsGreyImage(*image) ? image->GetPlane8() : (IsColourImage(*image) ? image->GetRedPlane() : nullptr);
  if (!mask)
    return;
  const bool show = m_Workspace.Settings().ShowDisc;
  ForEachSlicePane([&](LOCTImage& pane) {
    pane.SetDiscMask(mask);
    pane.ShowDisc(show);
  });
  m_ProjPane->SetDiscMask(mask);
  m_ProjPane->ShowDisc(show);
  m_3DPane->SetDiscMask(mask);
  m_3DPane->ShowDisc(show);
}

void CStrataviewView::ApplyLabels(ResultKind kind, int selection)
{
  if (PanesCreated() && m_Workspace.ApplyLabels(kind, selection))
    HandLabelsToPanes(kind);
}

void CStrataviewView::HandLabelsToPanes(ResultKind kind)
{
  const bool vessel = kind == ResultKind::Vessel;
  LLabelSlot& slot = vessel ? m_Workspace.Slots().vessel : m_Workspace.Slots().sead;
  LabelLayer* layer = slot.displayedLayer.get();
  const bool show = vessel ? m_Workspace.Settings().ShowVessel : m_Workspace.Settings().ShowSEAD;
  const size_t corners = slot.displayedMesh->GetTriangleVertexCount();
  const float* cornerList = slot.displayedMesh->GetTriangleVertices();
  ForEachSlicePane([&](LOCTImage& pane) {
    if (vessel) {
      pane.SetVesselVolume(layer);
      pane.SetVesselMesh(corners, cornerList);
      pane.ShowVessel(show);
    } else {
      pane.SetSEADVolume(layer);
      pane.SetSEADMesh(corners, cornerList);
      pane.ShowSEAD(show);
    }
  });
  if (vessel) {
    m_3DPane->SetVesselMesh(corners, cornerList);
    m_3DPane->ShowVessel(show);
  } else {
    m_3DPane->SetSEADMesh(corners, cornerList);
    m_3DPane->ShowSEAD(show);
  }
}

void CStrataviewView::ApplyVessel(int selection)
{
  ApplyLabels(ResultKind::Vessel, selection);
}

void CStrataviewView::ApplySEAD(int selection)
{
  ApplyLabels(ResultKind::SEAD, selection);
}

void CStrataviewView::ApplyMarkers(int selection)
{
  if (PanesCreated() && m_Workspace.ApplyMarkers(selection))
    HandMarkersToPanes();
}

void CStrataviewView::HandMarkersToPanes()
{
  LMarkers& shown = *m_Workspace.Slots().markers.displayedObject;
  const bool show = m_Workspace.Settings().ShowMarkers;
  ForEachSlicePane([&](LOCTImage& pane) {
    pane.SetMarkers(&shown);
    pane.ShowMarkers(show);
  });
  m_3DPane->SetMarkers(&shown.count, &shown);
  m_3DPane->ShowMarkers(show);
}

void CStrataviewView::ApplySplines(int selection)
{
  if (PanesCreated() && m_Workspace.ApplySplines(selection))
    HandSplinesToPanes();
}

void CStrataviewView::HandSplinesToPanes()
{
  LSplineSet& shown = *m_Workspace.Slots().splines.displayedObject;
  const bool show = m_Workspace.Settings().ShowSplines;
  ForEachSlicePane([&](LOCTImage& pane) {
    pane.SetSplines(&shown, &m_SplineHitRects);
    pane.ShowSplines(show);
  });
  m_3DPane->SetSplines(&shown.count, &shown, &m_SplineHitRects);
  m_3DPane->ShowSplines(show);
}

// A file combo box's index is the kind's chosen file (for the reference surface index 0 is
// "None"); the kind is shown with it.
void CStrataviewView::SelectFromCombo(ResultKind kind, int comboId)
{
  QComboBox* combo = m_DataPanel->Combo(comboId);
  const int chosen = combo->currentIndex();
  // Saving first may add the saved file to the box; the file chosen keeps its index.
  const bool goOn = MayDropEdits({kind});
  {
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(goOn ? chosen : m_Workspace.Selected(kind));
  }
  if (!goOn)
    return;
  const platform::WaitCursor busy;
  m_Workspace.Select(kind, chosen);
  ShowChosenFile(kind);
}

void CStrataviewView::SelectRefSurf()
{
  SelectFromCombo(ResultKind::RefSurf, CDlgData::kRefSurfCombo);
}

void CStrataviewView::SelectSurfaces()
{
  SelectFromCombo(ResultKind::Surfaces, CDlgData::kSurfacesCombo);
}

void CStrataviewView::SelectGridCenter()
{
  SelectFromCombo(ResultKind::GridCenter, CDlgData::kGridCenterCombo);
  // Before the scan is shown there is no map to redraw: the refresh computes it.
  const LSettings& s = m_Workspace.Settings();
  if (PanesCreated() && m_Workspace.Slots().surfaces.count > 0 && s.ShowThickness && s.GridMode != 0) {
    const platform::WaitCursor busy;
    m_ProjPane->ComputeThickness(s.ThicknessSurfaceFrom, s.ThicknessSurfaceTo);
    m_ProjPane->Compose();
  }
}

void CStrataviewView::SelectProj()
{
  SelectFromCombo(ResultKind::Proj, CDlgData::kProjCombo);
}

void CStrataviewView::SelectDisc()
{
  SelectFromCombo(ResultKind::Disc, CDlgData::kDiscCombo);
}

void CStrataviewView::SelectVessel()
{
  SelectFromCombo(ResultKind::Vessel, CDlgData::kVesselCombo);
}

void CStrataviewView::SelectSEAD()
{
  SelectFromCombo(ResultKind::SEAD, CDlgData::kSEADCombo);
}

void CStrataviewView::SelectMarkers()
{
  SelectFromCombo(ResultKind::Markers, CDlgData::kMarkersCombo);
}

void CStrataviewView::SelectSplines()
{
  SelectFromCombo(ResultKind::Splines, CDlgData::kSplinesCombo);
}
