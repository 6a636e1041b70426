#pragma once
// The copies the panes show and edit: a loaded result moved to the depth of the displayed
// (possibly flattened) volume and given the view's own header, but for the fields the scan
// does not know, which stay as the file had them. The loaded objects are never changed.
#include "data/LGridCenter.h"
#include "data/LMarkers.h"
#include "data/LMesh.h"
#include "data/LRefSurface.h"
#include "data/LSplineSet.h"
#include "data/LSurfaces.h"
#include "model/FlatteningShift.h"

// The most markers and splines the panes handle.
constexpr int kMaxDisplayedMarkers = 3000;

// The header every record the program creates carries: the program's own strings, the
// approval given (none unless asked), and the displayed scan's format, sizes, voxel sizes,
// eye and centre.
LResultHeader CreatedRecordHeader(const LOCTVolume& displayed, bool approval = false);

// The created header, but with the eye and the centre of the file's header where the scan
// does not know them ("NA"): a scan format that cannot say which eye it shows must not turn a
// result's "OD" into "NA" when the result is saved again.
LResultHeader KeepFieldsTheScanLacks(LResultHeader created, const LResultHeader& file);

// original: the file's depths; displayed: where they lie over the displayed volume.
void MakeDisplayedRefSurface(const LRefSurface& file, const FlatteningShift& shift,
                             const LResultHeader& header, LRefSurface& original, LRefSurface& displayed);
void MakeDisplayedSurfaces(const LSurfaces& file, const FlatteningShift& shift,
                           const LResultHeader& header, LSurfaces& displayed);
void MakeDisplayedGridCenter(const LGridCenter& source, const LResultHeader& header, LGridCenter& displayed);
// Both return the number of markers or splines shown (at most 3000; more are cut with a
// "Warning: " line).
int MakeDisplayedMarkers(const LMarkers& source, const FlatteningShift& shift,
                         const LResultHeader& header, LMarkers& displayed);
int MakeDisplayedSplines(const LSplines& source, const FlatteningShift& shift,
                         const LResultHeader& header, LSplineSet& displayed);
// A volume as shown: a shifted copy of the one read when the scan is flattened, otherwise
// the voxels as read, shared until something must write its own. False when there is no
// memory for the copy: displayed is then as it was.
[[nodiscard]] bool MakeDisplayedVolume(const LOCTVolume& source, const FlatteningShift& shift, LOCTVolume& displayed);
// The label volume moved like the scan, and its mesh with every corner and vertex moved by
// the shift of its nearest A-scan. False when memory ran short (the mesh may then be
// changed, the volume is not).
[[nodiscard]] bool MakeDisplayedLabels(const LOCTVolume& source, const LMesh& sourceMesh,
                                       const FlatteningShift& shift, LOCTVolume& displayed, LMesh& displayedMesh);
