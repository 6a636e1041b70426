// Moving through the slices (scroll bars, wheel, arrow keys, playback) and exporting the
// panes' images: Copy, Save, and Save All as a movie or as numbered images.
#include "app/AviError.h"
#include "app/CStrataviewView.h"
#include "app/ExportNames.h"
#include "app/FrameBufferImage.h"
#include "data/WriteTarget.h"
#include "model/LoadMessages.h"
#include "panes/CChildWnd.h"
#include "panes/L3D.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "platform/Messages.h"
#include "platform/WaitCursor.h"

#include <QAbstractButton>
#include <QCursor>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QWheelEvent>
#include <cstdio>
#include <utility>

namespace {

constexpr int kTimerPeriodMs = 200;
constexpr int kWheelNotch = 120;
// The axis of the view's position each slice pane moves: XY z, ZY x, XZ y.
constexpr int kAxisOfSlice[kSlicePaneCount] = {2, 0, 1};
const char* const kSliceTags[kSlicePaneCount] = {"OCTXY", "OCTZY", "OCTXZ"};

// The 3-D pane's display toggles, in the order of their buttons.
struct ThreeDFlag {
  const char* key;
  const char* button;
  bool LSettings::*field;
  void (*apply)(L3D&, bool);
  bool redraw;  // the setter stores only
};

const ThreeDFlag kThreeDFlags[] = {
  {"Show3DAll", "IDC_BUTTON_3D_SHOWALL", &LSettings::Show3DAll, [](L3D& d, bool on) { d.Show3DAll(on); }, false},
  {"3DIsotropic", "IDC_BUTTON_3D_ISOTROPIC", &LSettings::ThreeDIsotropic,
   [](L3D& d, bool on) { d.Set3DIsotropic(on); }, true},
  {"3DBlending", "IDC_BUTTON_3D_BLENDING", &LSettings::ThreeDBlending,
   [](L3D& d, bool on) { d.Set3DBlending(on); }, true},
  {"Show3DOCTXY", "IDC_BUTTON_3D_OCTXY", &LSettings::Show3DOCTXY, [](L3D& d, bool on) { d.Show3DOCTXY(on); }, false},
  {"Show3DOCTZY", "IDC_BUTTON_3D_OCTZY", &LSettings::Show3DOCTZY, [](L3D& d, bool on) { d.Show3DOCTZY(on); }, false},
  {"Show3DOCTXZ", "IDC_BUTTON_3D_OCTXZ", &LSettings::Show3DOCTXZ, [](L3D& d, bool on) { d.Show3DOCTXZ(on); }, false},
};

std::string FrameFileName(const std::string& folder, int index)
{
  char name[16];
  std::snprintf(name, sizeof name, "/%04d.tif", index);
  return folder + name;
}

void ReportFailedSave(const std::string& path)
{
  // An export never writes through a link: in a shared folder anyone may have put it there.
  if (writetarget::ResolveTarget(path, writetarget::WriteOrigin::kProgram).empty())
    platform::ShowMessage(loadmessages::NameRefused(path));
  else
    platform::ShowMessage("The image could not be saved as " + path + ".");
}

// A movie that cannot be written: a name taken by a link or by something other than a file
// is said as for a picture; the path and the writer's reason stand below the text.
void ReportUnwritableMovie(const std::string& path, int aviError)
{
  const std::string detail = loadmessages::Detail(path, AviErrorText(aviError));
  if (writetarget::ResolveTarget(path, writetarget::WriteOrigin::kProgram).empty())
    platform::ShowMessage(loadmessages::NameRefused(path), platform::kMbOk, detail);
  else
    platform::ShowMessage("The movie could not be written as " + path + ".", platform::kMbOk, detail);
}

}  // namespace

void CStrataviewView::SetUpNavigation()
{
  for (int slice = 0; slice < kSlicePaneCount; ++slice) {
    QScrollBar* bar = m_ScrollBars[slice];
    // A page moves a tenth of the slices, at least one.
    connect(bar, &QScrollBar::actionTriggered, this, [this, bar, slice](int action) {
      const int page = std::max(1, SliceCount(slice) / 10);
      if (action == QAbstractSlider::SliderPageStepAdd)
        bar->setSliderPosition(bar->value() + page);
      else if (action == QAbstractSlider::SliderPageStepSub)
        bar->setSliderPosition(bar->value() - page);
    });
    connect(bar, &QScrollBar::valueChanged, this, [this, slice](int value) {
      SliceCoordinate(slice) = value;
      UpdateSlice(slice);
    });
    SliceMotion& motion = m_Motion[slice];
    motion.playbackTimer = new QTimer(this);
    motion.saveAllTimer = new QTimer(this);
    for (QTimer* timer : {motion.playbackTimer, motion.saveAllTimer})
      timer->setInterval(kTimerPeriodMs);
    connect(motion.playbackTimer, &QTimer::timeout, this, [this, slice] { OnPlaybackTimer(slice); });
    connect(motion.saveAllTimer, &QTimer::timeout, this, [this, slice] { OnSaveAllTimer(slice); });
  }

  const auto onClick = [this](const QString& name, std::function<void()> handler) {
    QAbstractButton* button = findChild<QAbstractButton*>(name);
    connect(button, &QAbstractButton::clicked, this, [handler = std::move(handler)] {
      const platform::WaitCursor busy;
      handler();
    });
  };
  const char* const slicePrefix[kSlicePaneCount] = {"IDC_BUTTON_OCTXY_", "IDC_BUTTON_OCTZY_", "IDC_BUTTON_OCTXZ_"};
  for (int slice = 0; slice < kSlicePaneCount; ++slice) {
    const QString prefix = QString::fromLatin1(slicePrefix[slice]);
    onClick(prefix + "FORWARD", [this, slice] { OnButtonPlay(slice, PlayingForward); });
    onClick(prefix + "BACKWARD", [this, slice] { OnButtonPlay(slice, PlayingBackward); });
    onClick(prefix + "STOP", [this, slice] { OnButtonPlay(slice, Stopped); });
    onClick(prefix + "COPY", [this, slice] { OnButtonCopy(slice); });
    onClick(prefix + "SAVE", [this, slice] { OnButtonSave(slice); });
    onClick(prefix + "SAVEALL", [this, slice] { OnButtonSaveAll(slice); });
  }
  onClick("IDC_BUTTON_PROJ_COPY", [this] { OnButtonCopy(PaneProj); });
  onClick("IDC_BUTTON_PROJ_SAVE", [this] { OnButtonSave(PaneProj); });
  onClick("IDC_BUTTON_3D_COPY", [this] { OnButtonCopy(Pane3D); });
  onClick("IDC_BUTTON_3D_SAVE", [this] { OnButtonSave(Pane3D); });
  // A 3-D toggle stays pressed while its flag is on; the view sets its state.
  for (const ThreeDFlag& flag : kThreeDFlags) {
    findChild<QAbstractButton*>(QString::fromLatin1(flag.button))->setCheckable(true);
    onClick(QString::fromLatin1(flag.button), [this, key = std::string(flag.key)] { OnButton3DToggle(key); });
  }
}

int CStrataviewView::SliceCount(int slice) const
{
  const LOCTVolume& shown = m_Workspace.GetDisplayedVolume();
  const int size[3] = {shown.sizeX, shown.sizeY, shown.sizeZ};
  return size[kAxisOfSlice[slice]];
}

int& CStrataviewView::SliceCoordinate(int slice)
{
  return m_Workspace.Position()[kAxisOfSlice[slice]];
}

void CStrataviewView::UpdateSlice(int slice)
{
  if (LOCTImage* pane = m_SlicePanes[slice].get())
    pane->Render();
  for (int other = 0; other < kSlicePaneCount; ++other)
    if (other != slice && m_SlicePanes[other])
      m_SlicePanes[other]->Invalidate();
  InvalidateProjectionPane();
  Show2DStepIn3DPane();
  const QSignalBlocker block(m_ScrollBars[slice]);
  m_ScrollBars[slice]->setValue(SliceCoordinate(slice));
}

int CStrataviewView::SliceAt(QPoint viewPoint) const
{
  for (int pane = 0; pane < kPaneCount; ++pane)
    if (m_PaneHosts[pane] && m_PaneHosts[pane]->geometry().contains(viewPoint))
      return pane;
  return -1;
}

void CStrataviewView::StepSlice(int slice, int step)
{
  if (!m_SlicePanes[slice])
    return;
  const int target = m_ScrollBars[slice]->value() + step;
  int& coordinate = SliceCoordinate(slice);
  const int last = SliceCount(slice) - 1;
  if (target < 0 || target > last) {
    coordinate = std::clamp(target, 0, std::max(last, 0));
    return;
  }
  coordinate = target;
  UpdateSlice(slice);
}

void CStrataviewView::OnWheel(int delta, QPoint viewPoint)
{
  const int pane = SliceAt(viewPoint);
  if (pane == Pane3D) {
    if (m_3DPane)
      m_3DPane->ZoomByWheel(delta);
  } else if (pane >= 0 && pane < kSlicePaneCount && (delta == kWheelNotch || delta == -kWheelNotch)) {
    StepSlice(pane, delta > 0 ? -1 : 1);
  }
}

void CStrataviewView::OnArrowKey(int key, QPoint viewPoint)
{
  const int pane = SliceAt(viewPoint);
  if (pane < 0 || pane >= kSlicePaneCount)
    return;
  if (key == Qt::Key_Left || key == Qt::Key_Up)
    StepSlice(pane, -1);
  else if (key == Qt::Key_Right || key == Qt::Key_Down)
    StepSlice(pane, 1);
}

void CStrataviewView::wheelEvent(QWheelEvent* event)
{
  OnWheel(event->angleDelta().y(), event->position().toPoint());
  QWidget::wheelEvent(event);
}

void CStrataviewView::keyPressEvent(QKeyEvent* event)
{
  OnArrowKey(event->key(), mapFromGlobal(QCursor::pos()));
  QWidget::keyPressEvent(event);
}

void CStrataviewView::OnButtonPlay(int slice, int state)
{
  SliceMotion& motion = m_Motion[slice];
  if (motion.saveAllRunning)
    return;  // the sequence owns the pane's coordinate until it ends
  motion.playback = state;
  if (state == Stopped)
    motion.playbackTimer->stop();
  else
    motion.playbackTimer->start();
}

void CStrataviewView::OnPlaybackTimer(int slice)
{
  const SliceMotion& motion = m_Motion[slice];
  const int count = SliceCount(slice);
  if (!m_SlicePanes[slice] || count <= 0)
    return;
  int& coordinate = SliceCoordinate(slice);
  if (motion.playback == PlayingForward)
    coordinate = coordinate + 1 >= count ? 0 : coordinate + 1;
  else if (motion.playback == PlayingBackward)
    coordinate = coordinate - 1 < 0 ? count - 1 : coordinate - 1;
  UpdateSlice(slice);
}

void CStrataviewView::OnButtonCopy(int pane)
{
  if (pane < kSlicePaneCount && m_SlicePanes[pane])
    m_SlicePanes[pane]->CopyToClipboard();
  else if (pane == PaneProj && m_ProjPane)
    m_ProjPane->CopyToClipboard();
  else if (pane == Pane3D && m_3DPane)
    m_3DPane->CopyToClipboard();
}

// The image goes beside the scan under its export name, replacing an older export of the
// same name only once the new one is wholly written.
void CStrataviewView::OnButtonSave(int pane)
{
  if (!PanesCreated())
    return;
  const std::string stem = ExportStem(m_Workspace.GetScanPath());
  const std::string path = pane < kSlicePaneCount
                               ? PaneImageName(stem, kSliceTags[pane], SliceCoordinate(pane))
                               : PaneImageName(stem, pane == PaneProj ? "Proj" : "3D", -1);
  int result = -1;
  if (pane < kSlicePaneCount && m_SlicePanes[pane])
    result = m_SlicePanes[pane]->SaveImage(path);
  else if (pane == PaneProj && m_ProjPane)
    result = m_ProjPane->SaveImage(path);
  else if (pane == Pane3D && m_3DPane)
    result = m_3DPane->SaveImage(path);
  if (result != 0)
    ReportFailedSave(path);
}

void CStrataviewView::OnButtonSaveAll(int slice)
{
  SliceMotion& motion = m_Motion[slice];
  LOCTImage* pane = m_SlicePanes[slice].get();
  if (motion.saveAllRunning || !pane || SliceCount(slice) <= 0)
    return;
  OnButtonPlay(slice, Stopped);
  motion.saveAllRunning = true;
  motion.captureNext = false;
  motion.failed = false;
  motion.nextSlice = 0;
  motion.savedIndex = SliceCoordinate(slice);
  motion.toMovie = m_Workspace.Settings().SaveAll == 0;
  const std::string name = std::string("_Image_") + kSliceTags[slice] + "_All";
  if (motion.toMovie) {
    motion.target = ExportStem(m_Workspace.GetScanPath()) + name + ".avi";
    if (motion.writer.Open(m_Workspace.Settings().FrameRate, motion.target) != 1) {
      // Said at once: walking every slice would only keep the user waiting for nothing.
      motion.saveAllRunning = false;
      ReportUnwritableMovie(motion.target, motion.writer.LastError());
      return;
    }
    motion.frame.Resize(pane->GetWindowWidth(), pane->GetWindowHeight(), 32);
  } else {
    motion.target = ExportFolderStem(m_Workspace.GetScanPath()) + name;
    motion.failed = writetarget::MakeOwnFolder(motion.target).IsSet();
  }
  motion.saveAllTimer->start();
}

void CStrataviewView::OnSaveAllTimer(int slice)
{
  SliceMotion& motion = m_Motion[slice];
  if (!motion.saveAllRunning)
    return;
  if (!motion.captureNext) {
    SliceCoordinate(slice) = motion.nextSlice;
    UpdateSlice(slice);
    motion.captureNext = true;
    return;
  }
  CaptureSaveAllFrame(slice);
  motion.captureNext = false;
  if (++motion.nextSlice >= SliceCount(slice))
    EndSaveAll(slice);
}

void CStrataviewView::CaptureSaveAllFrame(int slice)
{
  SliceMotion& motion = m_Motion[slice];
  const LOCTImage& pane = *m_SlicePanes[slice];
  if (motion.failed)
    return;  // one failure ends the output; the pane still walks every slice
  if (motion.toMovie) {
    CopyImageToFrameBuffer(pane.RenderToImage(), motion.frame);
    motion.failed = motion.writer.WriteFrame(motion.frame) != 1;
  } else {
    motion.failed = pane.SaveImage(FrameFileName(motion.target, motion.nextSlice)) != 0;
  }
}

void CStrataviewView::EndSaveAll(int slice)
{
  SliceMotion& motion = m_Motion[slice];
  motion.saveAllTimer->stop();
  motion.saveAllRunning = false;
  if (motion.toMovie && motion.writer.Close().empty())
    motion.failed = true;
  SliceCoordinate(slice) = motion.savedIndex;
  UpdateSlice(slice);
  if (!motion.failed)
    return;
  if (motion.toMovie)
    ReportUnwritableMovie(motion.target, motion.writer.LastError());
  else
    platform::ShowMessage("The images could not be saved in " + motion.target + ".");
}

void CStrataviewView::StopSliceMotion()
{
  for (SliceMotion& motion : m_Motion) {
    motion.playback = Stopped;
    if (motion.playbackTimer)
      motion.playbackTimer->stop();
    if (motion.saveAllRunning) {
      motion.saveAllTimer->stop();
      motion.saveAllRunning = false;
      if (motion.toMovie)
        (void)motion.writer.Close();
    }
  }
}

void CStrataviewView::OnButton3DToggle(const std::string& key)
{
  for (const ThreeDFlag& flag : kThreeDFlags) {
    if (key != flag.key)
      continue;
    bool& value = m_Workspace.Settings().*flag.field;
    value = !value;
    if (m_3DPane) {
      flag.apply(*m_3DPane, value);
      if (flag.redraw)
        Invalidate3DPane();
    }
    findChild<QAbstractButton*>(QString::fromLatin1(flag.button))->setChecked(value);
    (void)WriteSetting(m_Workspace.Settings(), key);
  }
}

void CStrataviewView::Reapply3DToggles()
{
  for (const ThreeDFlag& flag : kThreeDFlags) {
    m_Workspace.Settings().*flag.field = !(m_Workspace.Settings().*flag.field);
    OnButton3DToggle(flag.key);
  }
}
