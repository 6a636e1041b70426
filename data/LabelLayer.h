#pragma once
// A label volume (vessel or SEAD) as the slice panes show and edit it. Every pane draws the
// same layer and writes into it through Write, which gives the volume voxels of its own
// before the first write when it still shares them with the labels as read. The count of
// labelled voxels behind the volume figure is taken once when the layer is shown and then
// follows every write.
#include <cstddef>
#include <cstdint>

#include "data/WrittenPages.h"

class LOCTVolume;

class LabelLayer {
public:
  // Shows the volume (null: nothing) and counts its labelled voxels.
  void Show(LOCTVolume* volume);

  // The voxels to draw, null when nothing is shown.
  const unsigned short* Voxels() const;
  // Their pages that may hold a label: the others need not be read.
  WrittenPages Written() const;
  // 255 for 8-bit labels, 65535 for 16-bit ones.
  int Maximum() const { return m_Maximum; }
  // Voxels whose label is at least half the maximum (integer half).
  uint64_t LabelledCount() const { return m_Labelled; }

  // Sets voxel `index` to `value`; nothing when no volume is shown.
  void Write(size_t index, unsigned short value);

private:
  bool Labelled(unsigned short value) const { return value >= m_Maximum / 2; }

  LOCTVolume* m_Volume = nullptr;
  int m_Maximum = 255;
  uint64_t m_Labelled = 0;
};

// The labelled voxels (at least half the maximum, integer half) among `count` labels; pages
// that hold nothing but 0 by `written` are not read.
uint64_t CountLabelled(const unsigned short* labels, size_t count, int maximum,
                       const WrittenPages& written = WrittenPages());
