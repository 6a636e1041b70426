#pragma once
// Which cell rows of the 3-D pane's surfaces were built again since its kept pictures were
// drawn: the picture of all the unchanged geometry, and the picture that leaves out the rows
// an edit moves, over which each step of the edit draws only those rows.
#include "panes/GridRegion.h"

#include <array>

class Scene3DEditedRows {
public:
  static constexpr int kSurfaces = 20;
  using Rows = std::array<RowRange, kSurfaces>;

  // Rows of a surface built again.
  void Changed(int surface, const RowRange& rows);
  // The kept picture of everything was drawn.
  void PictureDrawn() { m_SincePicture = Rows(); }
  bool PictureCurrent() const;
  const Rows& SincePicture() const { return m_SincePicture; }
  // The picture without the rows of `leftOut` was drawn.
  void BaseDrawn(const Rows& leftOut);
  // Whether every row built again since the picture without the edited rows lies within
  // what it left out.
  bool BaseCovers() const;
  const Rows& LeftOut() const { return m_LeftOut; }

private:
  Rows m_SincePicture;
  Rows m_SinceBase;
  Rows m_LeftOut;
};
