#include "app/LayoutProfile.h"

#include "data/NumberText.h"
#include "model/ViewLayout.h"
#include "platform/Profile.h"

void WriteLayoutToProfile(int layout, const PhysicalExtent& extent)
{
  using platform::Profile;
  Profile::WriteProfileString("Layout", QString::fromStdString(ViewLayoutProfileName(layout)));
  if (!UsesPhysicalExtent(layout))
    return;
  const auto text = [](float value) { return QString::fromStdString(numtext::Format("%f", value)); };
  Profile::WriteProfileString("LayoutPhysicalSizeX", text(extent.x));
  Profile::WriteProfileString("LayoutPhysicalSizeY", text(extent.y));
  Profile::WriteProfileString("LayoutPhysicalSizeZ", text(extent.z));
}
