// Building what the panes show from what was loaded: the displayed volume, flattened on a
// reference surface or not, and each kind's displayed copy moved by the same shift.
#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "app/LButton.h"
#include "data/SurfaceTable.h"
#include "model/DisplayedObjects.h"
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

namespace {

constexpr int kOrientationOfSlice[kSlicePaneCount] = {OrientationXY, OrientationZY, OrientationXZ};

// The file name after the folder ("/", or "\" in a path from another system).
std::string FileNameOf(const std::string& path)
{
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

template <typename Slot>
bool HasFile(const Slot& slot, int selection)
{
  return slot.count > 0 && selection >= 0 && selection < std::min(slot.count, kSlotCapacity);
}

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

void CStrataviewView::RefreshAll()
{
  if (!m_ReadVolume->loaded)
    return;
  const platform::WaitCursor busy;
  LRefSurfSlot& ref = m_Slots->refSurf;
  ref.flatteningIndex = ref.selected;
  const int file = ref.flatteningIndex - 1;
  m_Shift = HasFile(ref, file) ? FlatteningShift(ref.objects[file], m_ReadVolume->sizeY, m_FlatteningFraction)
                               : FlatteningShift();
  ApplyOCT();
  ApplyRefSurf(ref.selected);
  ApplyGridCenter(m_Slots->gridCenter.selected);
  ApplySurfaces(m_Slots->surfaces.selected);
  ApplyProj(m_Slots->proj.selected);
  ApplyDisc(m_Slots->disc.selected);
  ApplyVessel(m_Slots->vessel.selected);
  ApplySEAD(m_Slots->sead.selected);
  ApplyMarkers(m_Slots->markers.selected);
  ApplySplines(m_Slots->splines.selected);
  // The new panes start from their own defaults: hand them the stored mouse mode and display
  // toggles again, so that the controls show what the panes do from the first frame.
  SelectMouseMode(m_Settings.Mouse);
  ReapplyDisplayToggles();
  StopSliceMotion();
}

void CStrataviewView::ApplyOCT()
{
  const LOCTVolume& read = *m_ReadVolume;
  const int size[3] = {read.sizeX, read.sizeY, read.sizeZ};
  const float spacing[3] = {read.spacingX, read.spacingY, read.spacingZ};
  // Nothing writes the displayed scan: unflattened it is the scan as read.
  MakeDisplayedVolume(read, m_Shift, m_DisplayedVolume);
  for (int axis = 0; axis < 3; ++axis)
    m_Position[axis] = size[axis] / 2;
  m_MaxIntensity = read.bytesPerVoxel == 1 ? 255 : 65535;
  if (m_Settings.Window == 0) {
    m_Settings.WindowWidth = static_cast<float>(m_MaxIntensity);
    m_Settings.WindowCenter = static_cast<float>(m_MaxIntensity) * 0.5f;
  }

  CreatePanes();
  const int paneSize[kSlicePaneCount][2] = {{read.sizeX, read.sizeY}, {read.sizeZ, read.sizeY}, {read.sizeX, read.sizeZ}};
  const int range[kSlicePaneCount] = {read.sizeZ, read.sizeX, read.sizeY};
  const int value[kSlicePaneCount] = {m_Position[2], m_Position[0], m_Position[1]};
  const std::string caption = FileNameOf(m_ScanPath);
  for (int slice = 0; slice < kSlicePaneCount; ++slice) {
    LOCTImage& pane = *m_SlicePanes[slice];
    pane.CreatePane(paneSize[slice][0], paneSize[slice][1], DibColors24Bit, m_PaneHosts[slice]);
    pane.SetVolume(size, m_DisplayedVolume.Voxels(), spacing, read.bytesPerVoxel);
    pane.SetOrientation(kOrientationOfSlice[slice]);
    pane.SetPosition(m_Position);
    pane.SetGridCenter(m_Slots->gridCenter.gridCenter);
    pane.SetWindowLevel(&m_Settings.WindowCenter, &m_Settings.WindowWidth);
    pane.SetCaption(caption);
    pane.SetLaterality(read.laterality);
    QScrollBar* bar = m_ScrollBars[slice];
    const QSignalBlocker block(bar);
    bar->setRange(0, std::max(range[slice] - 1, 0));
    bar->setValue(value[slice]);
    bar->setEnabled(true);
  }
  m_ProjPane->CreatePane(read.sizeX, read.sizeZ, DibColors24Bit, m_PaneHosts[PaneProj]);
  m_ProjPane->SetVolume(size, m_DisplayedVolume.Voxels(), spacing, read.bytesPerVoxel);
  m_ProjPane->SetPosition(m_Position);
  m_ProjPane->SetGridCenter(m_Slots->gridCenter.gridCenter);
  HandGridToProjPane();
  m_3DPane->CreatePane(m_PaneHosts[Pane3D]->width(), m_PaneHosts[Pane3D]->height(), m_PaneHosts[Pane3D]);
  m_3DPane->SetVolume(size, m_DisplayedVolume.Voxels(), spacing, read.bytesPerVoxel);
  m_3DPane->SetPosition(m_Position);
  m_3DPane->SetGridCenter(m_Slots->gridCenter.gridCenter);
  m_3DPane->SetWindowLevel(&m_Settings.WindowCenter, &m_Settings.WindowWidth);
  m_3DPane->SetLaterality(read.laterality);

  PushSettingsToPanes();
  ForEachSlicePane([](LOCTImage& pane) { pane.Render(); });
  m_ProjPane->ShowGuideLines(m_Settings.ShowGuideLines);
  m_ProjPane->ShowOverlay(m_Settings.ShowOverlay);
  m_ProjPane->Compose();
  m_3DPane->UpdateProjection();
  RunLayout(m_Settings.Layout);

  m_DisplayedLaterality = read.laterality;
  const int lateralityItem = read.laterality == LateralityOD ? 0 : (read.laterality == LateralityOS ? 1 : 2);
  QComboBox* laterality = m_DataPanel->Combo(CDlgData::kLaterality);
  const QSignalBlocker block(laterality);
  laterality->setCurrentIndex(lateralityItem);
}

void CStrataviewView::ApplyRefSurf(int selection)
{
  if (!PanesCreated())
    return;
  LRefSurfSlot& slot = m_Slots->refSurf;
  const int file = selection - 1;
  if (!HasFile(slot, file)) {
    ForEachSlicePane([](LOCTImage& pane) { pane.ShowRefSurface(false); });
    if (m_3DPane)
      m_3DPane->ShowRefSurface(false);
    return;
  }
  MakeDisplayedRefSurface(slot.objects[file], m_Shift, ViewHeader(m_DisplayedVolume), *slot.refSurfOriginal,
                          *slot.displayedObject);
  const bool show = m_Settings.ShowRefSurf;
  ForEachSlicePane([&](LOCTImage& pane) {
    pane.SetRefSurface(slot.displayedObject.get());
    pane.ShowRefSurface(show);
  });
  m_3DPane->SetRefSurface(slot.displayedObject->points.data());
  m_3DPane->ShowRefSurface(show);
}

void CStrataviewView::ApplyGridCenter(int selection)
{
  LGridCenterSlot& slot = m_Slots->gridCenter;
  const LGridCenter& source = HasFile(slot, selection) ? slot.objects[selection] : *slot.defaultObject;
  MakeDisplayedGridCenter(source, ViewHeader(m_DisplayedVolume), *slot.displayedObject);
  slot.gridCenter[0] = slot.displayedObject->centerX;
  slot.gridCenter[1] = slot.displayedObject->centerZ;
}

void CStrataviewView::ApplySurfaces(int selection)
{
  if (!PanesCreated())
    return;
  auto& slot = m_Slots->surfaces;
  if (!HasFile(slot, selection))
    return;
  LSurfaces& shown = *slot.displayedObject;
  MakeDisplayedSurfaces(slot.objects[selection], m_Shift, ViewHeader(m_DisplayedVolume), shown);
  const int count = shown.surfaceCount;
  const int flags = std::min(count, kSettingsSurfaceCount);
  const LSettings& s = m_Settings;
  const std::string fileName = FileNameOf(slot.pathList.GetAt(selection));
  ForEachSlicePane([&](LOCTImage& pane) {
    pane.SetSurfaces(count, PointsOf(shown), shown.undefinedMask.data());
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
  m_ProjPane->SetSurfaces(count, PointsOf(shown), shown.undefinedMask.data());
  m_ProjPane->ShowUndefinedRegion(s.ShowUndefinedRegion);
  m_3DPane->SetSurfaces(count, shown.points.data(), shown.undefinedMask.data());
  m_3DPane->ShowSurfaces(s.ShowSurfaces);
  for (int i = 0; i < flags; ++i) {
    m_3DPane->ShowSurface(i, s.ShowSurface[i]);
    m_3DPane->ShowUndefinedSurface(i, s.ShowUndefinedSurface[i]);
  }

  // A stored surface pair the new file does not have falls back to its first surface.
  for (const auto& [field, key] : {std::pair<int LSettings::*, const char*>{&LSettings::ThicknessSurfaceFrom, "ThicknessSurfaceFrom"},
                                   {&LSettings::ThicknessSurfaceTo, "ThicknessSurfaceTo"},
                                   {&LSettings::CreateProjSurfaceFrom, "CreateProjSurfaceFrom"},
                                   {&LSettings::CreateProjSurfaceTo, "CreateProjSurfaceTo"}})
    if (m_Settings.*field >= count) {
      m_Settings.*field = 0;
      (void)WriteSetting(m_Settings, key);
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
  const LSettings& s = m_Settings;
  fill(m_MenuPanel->Combo(CDlgMenu::kGrid), {"None", "Quality", "Quantity"}, s.GridMode);
  fill(m_MenuPanel->Combo(CDlgMenu::kThicknessFrom), numbers, s.ThicknessSurfaceFrom);
  fill(m_MenuPanel->Combo(CDlgMenu::kThicknessTo), numbers, s.ThicknessSurfaceTo);
  fill(m_MenuPanel->Combo(CDlgMenu::kCreateProjFrom), numbers, s.CreateProjSurfaceFrom);
  fill(m_MenuPanel->Combo(CDlgMenu::kCreateProjTo), numbers, s.CreateProjSurfaceTo);
}

// The thickness map and the projection between surfaces, as the settings ask for them.
void CStrataviewView::ShowThicknessInPanes()
{
  const LSettings& s = m_Settings;
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
    box->SetColor(m_Settings.ShowSurface[b] ? m_Settings.ColorSurface[b] : platform::ToColorRef(buttonFace));
    box->setEnabled(true);
  }
}

void CStrataviewView::ApplyProj(int selection)
{
  if (!PanesCreated())
    return;
  auto& slot = m_Slots->proj;
  if (!HasFile(slot, selection))
    return;
  if (m_Slots->surfaces.count == 0 && m_Settings.ShowCreateProj) {
    m_Settings.ShowCreateProj = false;
    if (QAbstractButton* button = m_MenuPanel->Button(CDlgMenu::kCreateProj))
      button->setChecked(false);
    (void)WriteSetting(m_Settings, "ShowCreateProj");
  }
  if (m_Settings.ShowCreateProj)
    return;
  const LImage2D& image = slot.objects[selection];
  if (IsGreyImage(image))
    m_ProjPane->SetProjectionImage(image.GetPlane8(), image.GetPlane8(), image.GetPlane8());
  else if (IsColourImage(image))
    m_ProjPane->SetProjectionImage(image.GetRedPlane(), image.GetGreenPlane(), image.GetBluePlane());
  else
    return;
  m_ProjPane->ShowProjection(m_Settings.ShowProj);
  m_3DPane->SetProjectionImage(m_ProjPane->GetRedPlane(), m_ProjPane->GetGreenPlane(), m_ProjPane->GetBluePlane());
  m_3DPane->ShowProjection(m_Settings.ShowProj);
}

void CStrataviewView::ApplyDisc(int selection)
{
  if (!PanesCreated())
    return;
  auto& slot = m_Slots->disc;
  if (!HasFile(slot, selection))
    return;
  const LImage2D& image = slot.objects[selection];
  const uint8_t* mask = IsGreyImage(image) ? image.GetPlane8() : (IsColourImage(image) ? image.GetRedPlane() : nullptr);
  if (!mask)
    return;
  const bool show = m_Settings.ShowDisc;
  ForEachSlicePane([&](LOCTImage& pane) {
    pane.SetDiscMask(mask);
    pane.ShowDisc(show);
  });
  m_ProjPane->SetDiscMask(mask);
  m_ProjPane->ShowDisc(show);
  m_3DPane->SetDiscMask(mask);
  m_3DPane->ShowDisc(show);
}

void CStrataviewView::ApplyLabels(LLabelSlot& slot, int selection, bool vessel)
{
  if (!PanesCreated())
    return;
  const bool file = HasFile(slot, selection);
  const LOCTVolume& source = file ? slot.objects[selection] : *slot.defaultObject;
  const LMesh& mesh = file ? slot.meshes[selection] : *slot.defaultMesh;
  if (!source.loaded || source.VoxelCount() != m_DisplayedVolume.VoxelCount())
    return;
  LOCTVolume& shown = *slot.displayedObject;
  LMesh& shownMesh = *slot.displayedMesh;
  MakeDisplayedLabels(source, mesh, m_Shift, shown, shownMesh);
  LabelLayer& layer = *slot.displayedLayer;
  layer.Show(&shown);
  const bool show = vessel ? m_Settings.ShowVessel : m_Settings.ShowSEAD;
  const size_t corners = shownMesh.GetTriangleVertexCount();
  const float* cornerList = shownMesh.GetTriangleVertices();
  ForEachSlicePane([&](LOCTImage& pane) {
    if (vessel) {
      pane.SetVesselVolume(&layer);
      pane.SetVesselMesh(corners, cornerList);
      pane.ShowVessel(show);
    } else {
      pane.SetSEADVolume(&layer);
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
  ApplyLabels(m_Slots->vessel, selection, true);
}

void CStrataviewView::ApplySEAD(int selection)
{
  ApplyLabels(m_Slots->sead, selection, false);
}

void CStrataviewView::ApplyMarkers(int selection)
{
  if (!PanesCreated())
    return;
  LMarkersSlot& slot = m_Slots->markers;
  const LMarkers& source = HasFile(slot, selection) ? slot.objects[selection] : *slot.defaultObject;
  LMarkers& shown = *slot.displayedObject;
  MakeDisplayedMarkers(source, m_Shift, ViewHeader(m_DisplayedVolume), shown);
  const bool show = m_Settings.ShowMarkers;
  ForEachSlicePane([&](LOCTImage& pane) {
    pane.SetMarkers(&shown);
    pane.ShowMarkers(show);
  });
  m_3DPane->SetMarkers(&shown.count, &shown);
  m_3DPane->ShowMarkers(show);
}

void CStrataviewView::ApplySplines(int selection)
{
  if (!PanesCreated())
    return;
  LSplinesSlot& slot = m_Slots->splines;
  const LSplines& source = HasFile(slot, selection) ? slot.objects[selection] : *slot.defaultObject;
  LSplineSet& shown = *slot.displayedObject;
  MakeDisplayedSplines(source, m_Shift, ViewHeader(m_DisplayedVolume), shown);
  const bool show = m_Settings.ShowSplines;
  ForEachSlicePane([&](LOCTImage& pane) {
    pane.SetSplines(&shown, &m_SplineHitRects);
    pane.ShowSplines(show);
  });
  m_3DPane->SetSplines(&shown.count, &shown, &m_SplineHitRects);
  m_3DPane->ShowSplines(show);
}

namespace {
// The selection a file combo box stands for: its index (for the reference surface index 0
// is "None").
int ComboSelection(QComboBox* combo)
{
  return combo ? combo->currentIndex() : -1;
}
}  // namespace

void CStrataviewView::SelectRefSurf()
{
  const platform::WaitCursor busy;
  m_Slots->refSurf.selected = ComboSelection(m_DataPanel->Combo(CDlgData::kRefSurfCombo));
  ApplyRefSurf(m_Slots->refSurf.selected);
}

void CStrataviewView::SelectSurfaces()
{
  const platform::WaitCursor busy;
  m_Slots->surfaces.selected = ComboSelection(m_DataPanel->Combo(CDlgData::kSurfacesCombo));
  ApplySurfaces(m_Slots->surfaces.selected);
}

void CStrataviewView::SelectGridCenter()
{
  const platform::WaitCursor busy;
  m_Slots->gridCenter.selected = ComboSelection(m_DataPanel->Combo(CDlgData::kGridCenterCombo));
  ApplyGridCenter(m_Slots->gridCenter.selected);
  if (m_Slots->surfaces.count > 0 && m_Settings.ShowThickness && m_Settings.GridMode != 0) {
    m_ProjPane->ComputeThickness(m_Settings.ThicknessSurfaceFrom, m_Settings.ThicknessSurfaceTo);
    m_ProjPane->Compose();
  }
}

void CStrataviewView::SelectProj()
{
  const platform::WaitCursor busy;
  m_Slots->proj.selected = ComboSelection(m_DataPanel->Combo(CDlgData::kProjCombo));
  ApplyProj(m_Slots->proj.selected);
}

void CStrataviewView::SelectDisc()
{
  const platform::WaitCursor busy;
  m_Slots->disc.selected = ComboSelection(m_DataPanel->Combo(CDlgData::kDiscCombo));
  ApplyDisc(m_Slots->disc.selected);
}

void CStrataviewView::SelectVessel()
{
  const platform::WaitCursor busy;
  m_Slots->vessel.selected = ComboSelection(m_DataPanel->Combo(CDlgData::kVesselCombo));
  ApplyVessel(m_Slots->vessel.selected);
}

void CStrataviewView::SelectSEAD()
{
  const platform::WaitCursor busy;
  m_Slots->sead.selected = ComboSelection(m_DataPanel->Combo(CDlgData::kSEADCombo));
  ApplySEAD(m_Slots->sead.selected);
}

void CStrataviewView::SelectMarkers()
{
  const platform::WaitCursor busy;
  m_Slots->markers.selected = ComboSelection(m_DataPanel->Combo(CDlgData::kMarkersCombo));
  ApplyMarkers(m_Slots->markers.selected);
}

void CStrataviewView::SelectSplines()
{
  const platform::WaitCursor busy;
  m_Slots->splines.selected = ComboSelection(m_DataPanel->Combo(CDlgData::kSplinesCombo));
  ApplySplines(m_Slots->splines.selected);
}
