#include "panes/Scene3DEditedRows.h"

#include <algorithm>

void Scene3DEditedRows::Changed(int surface, const RowRange& rows)
{
  if (surface < 0 || surface >= kSurfaces)
    return;
  m_SincePicture[static_cast<size_t>(surface)].Unite(rows);
  m_SinceBase[static_cast<size_t>(surface)].Unite(rows);
}

bool Scene3DEditedRows::PictureCurrent() const
{
  return std::all_of(m_SincePicture.begin(), m_SincePicture.end(), [](const RowRange& r) { return r.Empty(); });
}

void Scene3DEditedRows::BaseDrawn(const Rows& leftOut)
{
  m_LeftOut = leftOut;
  m_SinceBase = Rows();
}

bool Scene3DEditedRows::BaseCovers() const
{
  for (size_t s = 0; s < m_SinceBase.size(); ++s)
    if (!m_LeftOut[s].Contains(m_SinceBase[s]))
      return false;
  return true;
}
