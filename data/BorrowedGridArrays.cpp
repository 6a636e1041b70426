#include "data/BorrowedGridArrays.h"

#include "data/LGrid.h"

int BorrowedGridArrays::Count(int gridType) const
{
  switch (gridType) {
  case GridCircle: return circles.count;
  case GridEllipse: return ellipses.count;
  case GridSquare: return rectangles.count;
  case GridMultisquares: return rectangleSets.groupCount;
  default: return 0;
  }
}

bool BorrowedGridArrays::Geometry(int gridType, int count, SectorGeometry& geometry) const
{
  switch (gridType) {
  case GridCircle:
    geometry = SectorGeometry::Circles(count, circles.radiusFrom, circles.radiusTo, circles.angleFrom,
                                       circles.angleTo);
    return true;
  case GridEllipse:
    geometry = SectorGeometry::Ellipses(count, ellipses.horizontalFrom, ellipses.horizontalTo,
                                        ellipses.verticalFrom, ellipses.verticalTo, ellipses.angleFrom,
                                        ellipses.angleTo);
    return true;
  case GridSquare:
    geometry = SectorGeometry::Rectangles(count, rectangles.left, rectangles.top, rectangles.right,
                                          rectangles.bottom);
    return true;
  case GridMultisquares:
    geometry = SectorGeometry::RectangleSets(count, rectangleSets.regionCount, rectangleSets.left,
                                             rectangleSets.top, rectangleSets.right, rectangleSets.bottom);
    return true;
  default:
    return false;
  }
}
