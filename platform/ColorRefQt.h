#pragma once
// Conversions between the stored colour values and Qt's colours.
#include "data/ColorRef.h"

#include <QColor>

namespace platform {

inline QColor ToQColor(COLORREF c)
{
  return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
inline COLORREF ToColorRef(const QColor& c)
{
  return MakeColorRef(c.red(), c.green(), c.blue());
}

}  // namespace platform
