#include "data/LGridCenter.h"

#include "data/XmlFile.h"
#include "data/XmlReadResult.h"

namespace {
constexpr const char* kRoot = "grid_center";
}

void LGridCenter::Create(int x, int z, const LResultHeader& resultHeader)
{
  centerX = x;
  centerZ = z;
  header = resultHeader;
  loaded = true;
}

int LGridCenter::ReadXml(const std::string& path, uint64_t largest)
{
  return ReadResultXml(path, kRoot, header, [this](const tinyxml2::XMLElement& root) {
    const tinyxml2::XMLElement* center = xmlfile::Child(&root, "center");
    centerX = xmlfile::ChildInt(center, "x", -1);
    centerZ = xmlfile::ChildInt(center, "z", -1);
    loaded = true;
    return kXmlOk;
  }, largest);
}

int LGridCenter::WriteXml(const std::string& path) const
{
  return WriteResultXml(path, kRoot, header, [this](XmlWriter& out) {
    out.Text("unit", "pixel");
    out.Open("center");
    out.Int("x", centerX);
    out.Int("z", centerZ);
    out.Close();
  });
}
