#pragma once
// The view's holding of one result kind: the kind's files in natural order, one object per
// file (100, created once and reused for every scan), how many were loaded and which one
// is chosen, and the copies the panes show and edit. A loader fills a fresh set of slots
// and the view takes it over whole once every file of the scan has been read and checked.
#include "data/LGridCenter.h"
#include "data/LImage2D.h"
#include "data/LMarkers.h"
#include "data/LMesh.h"
#include "data/LOCTVolume.h"
#include "data/LRefSurface.h"
#include "data/LSplineSet.h"
#include "data/LSurfaces.h"
#include "data/LabelLayer.h"
#include "model/CSortStringArray.h"
#include "model/FileStamp.h"
#include "model/ResultKind.h"

#include <array>
#include <memory>
#include <utility>
#include <vector>

template <typename Record>
struct LResultSlot {
  CSortStringArray pathList;
  std::vector<Record> objects = std::vector<Record>(kSlotCapacity);  // object i holds file i
  int count = 0;
  int selected = -1;  // the chosen file; -1 when none
  // File i's files as they were when they were read or saved.
  std::vector<FileStamp> stamps = std::vector<FileStamp>(kSlotCapacity);

  // Takes over what a loader read (the files, objects, stamps, count and selection); the
  // loader's slot, which is let go after, holds what this one held.
  void TakeLoaded(LResultSlot& loaded) noexcept { TradeLoaded(loaded); }
  // Trades what was loaded (and the defaults standing in for a kind without files) with
  // `other`, which then holds what this slot held: trading again gives both back. Takes no
  // memory.
  void TradeLoaded(LResultSlot& other) noexcept
  {
    std::swap(pathList, other.pathList);
    objects.swap(other.objects);
    stamps.swap(other.stamps);
    std::swap(count, other.count);
    std::swap(selected, other.selected);
  }
};

// A kind the panes show: the displayed copy is rebuilt from the chosen object on applying.
template <typename Record>
struct LShownSlot : LResultSlot<Record> {
  std::unique_ptr<Record> displayedObject = std::make_unique<Record>();
};

// A kind that stands in a default object when the scan has no file of it.
template <typename Record>
struct LDefaultSlot : LShownSlot<Record> {
  std::unique_ptr<Record> defaultObject = std::make_unique<Record>();

  void TakeLoaded(LDefaultSlot& loaded)
  {
    LResultSlot<Record>::TakeLoaded(loaded);
    if (this->count == 0)
      std::swap(defaultObject, loaded.defaultObject);
  }
  void TradeLoaded(LDefaultSlot& other) noexcept
  {
    LResultSlot<Record>::TradeLoaded(other);
    std::swap(defaultObject, other.defaultObject);
  }
};

struct LRefSurfSlot : LShownSlot<LRefSurface> {
  LRefSurfSlot() { selected = 0; }  // the combo index: 0 "None", k file k - 1
  int flatteningIndex = 0;          // the combo index the displayed volume is flattened on
  std::unique_ptr<LRefSurface> refSurfOriginal = std::make_unique<LRefSurface>();

  void TakeLoaded(LRefSurfSlot& loaded) noexcept { TradeLoaded(loaded); }
  void TradeLoaded(LRefSurfSlot& other) noexcept
  {
    LResultSlot<LRefSurface>::TradeLoaded(other);
    std::swap(flatteningIndex, other.flatteningIndex);
  }
};

// Vessel and SEAD: a label volume and its mesh per file.
struct LLabelSlot : LDefaultSlot<LOCTVolume> {
  std::vector<LMesh> meshes = std::vector<LMesh>(kSlotCapacity);
  std::unique_ptr<LMesh> defaultMesh = std::make_unique<LMesh>();
  std::unique_ptr<LMesh> displayedMesh = std::make_unique<LMesh>();
  // The displayed volume as every slice pane draws and edits it.
  std::unique_ptr<LabelLayer> displayedLayer = std::make_unique<LabelLayer>();

  // A mesh borrows its label voxels: both move together, so the buffers stay where they are.
  void TakeLoaded(LLabelSlot& loaded)
  {
    LDefaultSlot<LOCTVolume>::TakeLoaded(loaded);
    meshes.swap(loaded.meshes);
    if (count == 0)
      std::swap(defaultMesh, loaded.defaultMesh);
  }
  void TradeLoaded(LLabelSlot& other) noexcept
  {
    LDefaultSlot<LOCTVolume>::TradeLoaded(other);
    meshes.swap(other.meshes);
    std::swap(defaultMesh, other.defaultMesh);
  }
};

struct LGridCenterSlot : LDefaultSlot<LGridCenter> {
  int gridCenter[2] = {0, 0};  // x, z: the grid centre the panes share
};

// The displayed record's own count is the one count of valid markers (splines): the panes
// change it while the user edits, and the overlays, the 3-D pane and the saver read it. A
// second copy would go stale at the first edit.
struct LMarkersSlot : LDefaultSlot<LMarkers> {
  int DisplayedMarkerCount() const { return displayedObject->count; }
};

struct LSplinesSlot : LDefaultSlot<LSplineSet> {
  int DisplayedSplineCount() const { return displayedObject->count; }
};

// The slots of every result kind, in loading order.
struct LResultSlots {
  LRefSurfSlot refSurf;
  LShownSlot<LSurfaces> surfaces;
  LResultSlot<LImage2D> proj;
  LResultSlot<LImage2D> disc;
  LLabelSlot vessel;
  LLabelSlot sead;
  LGridCenterSlot gridCenter;
  LMarkersSlot markers;
  LSplinesSlot splines;

  // Every kind's TradeLoaded: the displayed objects stay where the panes hold them.
  void TradeLoaded(LResultSlots& other) noexcept
  {
    refSurf.TradeLoaded(other.refSurf);
    surfaces.TradeLoaded(other.surfaces);
    proj.TradeLoaded(other.proj);
    disc.TradeLoaded(other.disc);
    vessel.TradeLoaded(other.vessel);
    sead.TradeLoaded(other.sead);
    gridCenter.TradeLoaded(other.gridCenter);
    markers.TradeLoaded(other.markers);
    splines.TradeLoaded(other.splines);
  }
};
