#pragma once
#include "app/PaneLayout.h"

// Records a placed layout in the profile: "Layout" by name, and for the layouts that follow
// the scan's extent also "LayoutPhysicalSizeX/Y/Z" written "%f".
void WriteLayoutToProfile(int layout, const PhysicalExtent& extent);
