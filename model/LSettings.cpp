#include "model/LSettings.h"

#include "data/ColorRef.h"
#include "data/NumberText.h"
#include "model/SettingsStore.h"
#include "model/ViewLayout.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <variant>
#include <vector>

const char* const kProgramVersion = "3.8.0";

namespace {

using COLORREF = LSettings::COLORREF;

enum class Storage { Bool, Int, Enum, Real, Colour, Text };

using FieldRef = std::variant<std::monostate, bool*, int*, float*, COLORREF*, std::string*>;
using Names = std::vector<std::pair<std::string, int>>;  // profile name, value

struct SettingDescriptor {
  std::string key;
  Storage storage = Storage::Int;
  std::string defaultText;  // Text, Enum and Real keys: the text the reset writes
  int defaultInt = 0;       // Bool and Int keys
  COLORREF defaultColour = 0;
  int minimum = INT_MIN;    // Int keys: values outside read as the nearest bound
  int maximum = INT_MAX;
  std::vector<int> choices;  // Int keys offered as a list: a value reads as the nearest one
  double realMinimum = -FLT_MAX;  // Real keys: values outside read as the nearest bound
  double realMaximum = FLT_MAX;
  const char* realFormat = "%f";
  Names names;              // Enum keys
  std::function<FieldRef(LSettings&)> field;  // empty for keys that only the dialogs read
  std::function<bool(const std::string&)> acceptText;  // Text keys with a restricted form
};

constexpr COLORREF Rgb(int r, int g, int b)
{
  return static_cast<COLORREF>(r | (g << 8) | (b << 16));
}

// Bounds of values that have no control of their own.
constexpr double kMinimumExtentMm = 0.001;
constexpr double kMaximumExtentMm = 1000.0;
constexpr double kMaximumVoxelValue = 65535.0;

const char* const kMouseModeNames[] = {"Position", "Window",  "Zoom",    "Pan",
                                       "Surfaces", "UndefinedRegion", "GridCenter", "Vessel",
                                       "SEAD",     "Markers", "Splines"};

Names NamesFrom(std::initializer_list<const char*> names, int first = 0)
{
  Names out;
  int value = first;
  for (const char* name : names)
    out.emplace_back(name, value++);
  return out;
}

Names MouseNames()
{
  Names out;
  for (int mode = 0; mode < 11; ++mode)
    out.emplace_back(kMouseModeNames[mode], mode);
  return out;
}

Names LayoutNames()
{
  Names out;
  for (int layout = 1; layout <= kViewLayoutCount; ++layout)
    out.emplace_back(ViewLayoutProfileName(layout), layout);
  return out;
}

SettingDescriptor Make(std::string key, Storage storage, std::string defaultText)
{
  SettingDescriptor d;
  d.key = std::move(key);
  d.storage = storage;
  d.defaultText = std::move(defaultText);
  return d;
}

// Builders for the table rows, one per storage kind.
template <typename Member>
std::function<FieldRef(LSettings&)> Field(Member LSettings::*member)
{
  return [member](LSettings& s) { return FieldRef(&(s.*member)); };
}

SettingDescriptor Text(std::string key, std::string def, std::function<FieldRef(LSettings&)> field = {})
{
  SettingDescriptor d = Make(std::move(key), Storage::Text, std::move(def));
  d.field = std::move(field);
  return d;
}

SettingDescriptor Enum(std::string key, Names names, std::string def, std::function<FieldRef(LSettings&)> field = {})
{
  SettingDescriptor d = Make(std::move(key), Storage::Enum, std::move(def));
  d.names = std::move(names);
  d.field = std::move(field);
  return d;
}

SettingDescriptor Real(std::string key, std::string def, const char* format,
                       std::function<FieldRef(LSettings&)> field = {}, double minimum = -FLT_MAX,
                       double maximum = FLT_MAX)
{
  SettingDescriptor d = Make(std::move(key), Storage::Real, std::move(def));
  d.realFormat = format;
  d.field = std::move(field);
  d.realMinimum = minimum;
  d.realMaximum = maximum;
  return d;
}

SettingDescriptor Int(std::string key, int def, std::function<FieldRef(LSettings&)> field,
                      int minimum = INT_MIN, int maximum = INT_MAX)
{
  SettingDescriptor d = Make(std::move(key), Storage::Int, "");
  d.defaultInt = def;
  d.minimum = minimum;
  d.maximum = maximum;
  d.field = std::move(field);
  return d;
}

// An integer offered as a list of values (a combo box).
SettingDescriptor Choice(std::string key, int def, std::function<FieldRef(LSettings&)> field, std::vector<int> choices)
{
  SettingDescriptor d = Int(std::move(key), def, std::move(field), choices.front(), choices.back());
  d.choices = std::move(choices);
  return d;
}

std::vector<int> Steps(int first, int last, int step)
{
  std::vector<int> values;
  for (int value = first; value <= last; value += step)
    values.push_back(value);
  return values;
}

SettingDescriptor Bool(std::string key, bool def, std::function<FieldRef(LSettings&)> field = {})
{
  SettingDescriptor d = Make(std::move(key), Storage::Bool, "");
  d.defaultInt = def ? 1 : 0;
  d.field = std::move(field);
  return d;
}

SettingDescriptor Colour(std::string key, COLORREF def, std::function<FieldRef(LSettings&)> field)
{
  SettingDescriptor d = Make(std::move(key), Storage::Colour, "");
  d.defaultColour = def;
  d.field = std::move(field);
  return d;
}

std::string Indexed(const char* prefix, int i)
{
  return prefix + std::to_string(i);
}

bool IsMarkerColourIndex(const std::string& text)
{
  for (int i = 0; i < kSettingsMarkerColorCount; ++i)
    if (text == std::to_string(i))
      return true;
  return false;
}

// Every key, in the order the version reset writes them.
std::vector<SettingDescriptor> BuildTable()
{
  std::vector<SettingDescriptor> t;
  const Names autoFixed = NamesFrom({"Auto", "Fixed"});
  const Names modification = NamesFrom({"2D", "3D"});
  const int lastSurface = kSettingsSurfaceCount - 1;

  // Keys that only the open, thickness-analysis and voxel-size dialogs read.
  t.push_back(Enum("OpenTabCurSel", NamesFrom({"Sample", "File", "Folder"}), "Sample"));
  t.push_back(Text("ThicknessAnalysisGridFileName", "Grid_Circle_Macula_ETDRS.xml"));
  t.push_back(Enum("ThicknessAnalysisGridCenter", NamesFrom({"XML", "ImageCenter"}), "ImageCenter"));
  t.push_back(Text("FiltersSurfaces", "_Surfaces_Vamo.xml"));
  t.push_back(Text("FiltersGridCenter", "_GridCenter_Vamo.xml"));
  t.push_back(Real("VoxelSizeX", "1.0", "%f"));
  t.push_back(Real("VoxelSizeY", "1.0", "%f"));
  t.push_back(Real("VoxelSizeZ", "1.0", "%f"));

  t.push_back(Enum("GridMode", NamesFrom({"None", "Quality", "Quantity"}), "None", Field(&LSettings::GridMode)));
  t.push_back(Enum("Mouse", MouseNames(), "Position", Field(&LSettings::Mouse)));
  t.push_back(Enum("Layout", LayoutNames(), "Horizontal", Field(&LSettings::Layout)));
  // A scan's extent in millimetres; the layouts divide by it.
  for (const auto& [key, member] : std::initializer_list<std::pair<const char*, float LSettings::*>>{
         {"LayoutPhysicalSizeX", &LSettings::LayoutPhysicalSizeX},
         {"LayoutPhysicalSizeY", &LSettings::LayoutPhysicalSizeY},
         {"LayoutPhysicalSizeZ", &LSettings::LayoutPhysicalSizeZ}})
    t.push_back(Real(key, "1.0", "%f", Field(member), kMinimumExtentMm, kMaximumExtentMm));
  // The brush radii within the menu panel's margin lists.
  t.push_back(Real("SurfacesMargin", "1.00", "%.2f", Field(&LSettings::SurfacesMargin), 0.05, 1.50));
  t.push_back(Real("UndefinedRegionMargin", "1.00", "%.2f", Field(&LSettings::UndefinedRegionMargin), 0.05, 1.50));
  t.push_back(Real("VesselMargin", "0.10", "%.2f", Field(&LSettings::VesselMargin), 0.01, 1.50));
  t.push_back(Real("SEADMargin", "0.10", "%.2f", Field(&LSettings::SEADMargin), 0.01, 1.50));
  SettingDescriptor label = Text("MarkersLabel", "0", Field(&LSettings::MarkersLabel));
  label.acceptText = IsMarkerColourIndex;
  t.push_back(label);
  t.push_back(Text("UserName", "NA", Field(&LSettings::UserName)));
  t.push_back(Enum("SurfacesModification", modification, "3D", Field(&LSettings::SurfacesModification)));
  t.push_back(Enum("UndefinedRegionModification", modification, "3D", Field(&LSettings::UndefinedRegionModification)));
  t.push_back(Enum("VesselModification", modification, "3D", Field(&LSettings::VesselModification)));
  t.push_back(Enum("SEADModification", modification, "3D", Field(&LSettings::SEADModification)));
  t.push_back(Enum("Window", autoFixed, "Auto", Field(&LSettings::Window)));
  t.push_back(Real("WindowCenter", "0.0", "%.1f", Field(&LSettings::WindowCenter), 0.0, kMaximumVoxelValue));
  t.push_back(Real("WindowWidth", "0.0", "%.1f", Field(&LSettings::WindowWidth), 0.0, kMaximumVoxelValue));
  t.push_back(Enum("SaveAll", NamesFrom({"AVI", "TIFFs"}), "AVI", Field(&LSettings::SaveAll)));
  t.push_back(Enum("DlgDataPos", NamesFrom({"Left", "Right"}), "Left", Field(&LSettings::DlgDataPos)));
  // No public server carries the samples; the folder name is what the downloader expects.
  t.push_back(
    Text("SampleURL", "http://localhost/sites/default/files/Strataview_Sample/", Field(&LSettings::SampleURL)));
  t.push_back(Text("GridFileName", "Grid_Circle_Macula_ETDRS.xml", Field(&LSettings::GridFileName)));
  t.push_back(Enum("ThicknessUnit", autoFixed, "Auto", Field(&LSettings::ThicknessUnit)));
  t.push_back(Real("ThicknessUnitMin", "0.0", "%f", Field(&LSettings::ThicknessUnitMin), 0.0, kMaximumExtentMm));
  t.push_back(Real("ThicknessUnitMax", "0.0", "%f", Field(&LSettings::ThicknessUnitMax), 0.0, kMaximumExtentMm));
  t.push_back(Enum("ThicknessPalette", NamesFrom({"Color", "Grayscale"}), "Color", Field(&LSettings::ThicknessPalette)));

  t.push_back(Bool("DlgOpenAutoHide", true));
  t.push_back(Bool("ShowThickness", false, Field(&LSettings::ShowThickness)));
  t.push_back(Int("ThicknessSurfaceFrom", 0, Field(&LSettings::ThicknessSurfaceFrom), 0, lastSurface));
  t.push_back(Int("ThicknessSurfaceTo", 0, Field(&LSettings::ThicknessSurfaceTo), 0, lastSurface));
  t.push_back(Bool("ShowCreateProj", false, Field(&LSettings::ShowCreateProj)));
  t.push_back(Int("CreateProjSurfaceFrom", 0, Field(&LSettings::CreateProjSurfaceFrom), 0, lastSurface));
  t.push_back(Int("CreateProjSurfaceTo", 0, Field(&LSettings::CreateProjSurfaceTo), 0, lastSurface));
  t.push_back(Choice("AvgSliceNum", 1, Field(&LSettings::AvgSliceNum), Steps(1, 11, 2)));
  for (const auto& [key, member] : std::initializer_list<std::pair<const char*, bool LSettings::*>>{
         {"ShowGuideLines", &LSettings::ShowGuideLines}, {"ShowOverlay", &LSettings::ShowOverlay},
         {"ShowUndefinedRegion", &LSettings::ShowUndefinedRegion}, {"ShowRefSurf", &LSettings::ShowRefSurf},
         {"ShowSurfaces", &LSettings::ShowSurfaces}, {"ShowProj", &LSettings::ShowProj},
         {"ShowDisc", &LSettings::ShowDisc}, {"ShowVessel", &LSettings::ShowVessel},
         {"ShowSEAD", &LSettings::ShowSEAD}, {"ShowMarkers", &LSettings::ShowMarkers},
         {"ShowSplines", &LSettings::ShowSplines}, {"Show3DAll", &LSettings::Show3DAll}})
    t.push_back(Bool(key, true, Field(member)));
  t.push_back(Bool("3DIsotropic", false, Field(&LSettings::ThreeDIsotropic)));
  t.push_back(Bool("3DBlending", false, Field(&LSettings::ThreeDBlending)));
  t.push_back(Bool("Show3DOCTXY", false, Field(&LSettings::Show3DOCTXY)));
  t.push_back(Bool("Show3DOCTZY", false, Field(&LSettings::Show3DOCTZY)));
  t.push_back(Bool("Show3DOCTXZ", false, Field(&LSettings::Show3DOCTXZ)));
  t.push_back(Colour("ColorRefSurf", Rgb(255, 153, 255), Field(&LSettings::ColorRefSurf)));
  for (int i = 0; i < kSettingsSurfaceCount; ++i)
    t.push_back(Colour(Indexed("ColorSurface", i), platform::kDefaultColorTable[i],
                       [i](LSettings& s) { return FieldRef(&s.ColorSurface[i]); }));
  t.push_back(Choice("SurfacesLineWidth", 1, Field(&LSettings::SurfacesLineWidth), Steps(1, 5, 1)));
  t.push_back(Colour("ColorCup", Rgb(255, 0, 0), Field(&LSettings::ColorCup)));
  t.push_back(Colour("ColorRim", Rgb(0, 255, 0), Field(&LSettings::ColorRim)));
  t.push_back(Colour("ColorVessel", Rgb(255, 127, 127), Field(&LSettings::ColorVessel)));
  t.push_back(Colour("ColorSEAD", Rgb(127, 255, 127), Field(&LSettings::ColorSEAD)));
  t.push_back(Colour("ColorUndefinedRegion", Rgb(255, 255, 0), Field(&LSettings::ColorUndefinedRegion)));
  t.push_back(Colour("Color3DBackground", Rgb(0, 0, 0), Field(&LSettings::Color3DBackground)));
  for (const auto& [key, member] : std::initializer_list<std::pair<const char*, int LSettings::*>>{
         {"OpacityUndefinedRegion", &LSettings::OpacityUndefinedRegion}, {"OpacityCup", &LSettings::OpacityCup},
         {"OpacityRim", &LSettings::OpacityRim}, {"OpacityVessel", &LSettings::OpacityVessel},
         {"OpacitySEAD", &LSettings::OpacitySEAD}})
    t.push_back(Int(key, 30, Field(member), 0, 100));
  t.push_back(Colour("ColorSplinesLine", Rgb(0, 255, 0), Field(&LSettings::ColorSplinesLine)));
  t.push_back(Colour("ColorSplinesMarker", Rgb(0, 127, 0), Field(&LSettings::ColorSplinesMarker)));
  t.push_back(Choice("SplinesLineWidth", 2, Field(&LSettings::SplinesLineWidth), Steps(1, 5, 1)));
  t.push_back(Bool("ShowSplinesMarker", true, Field(&LSettings::ShowSplinesMarker)));
  for (int i = 0; i < kSettingsMarkerColorCount; ++i)
    t.push_back(Colour(Indexed("ColorMarker", i), platform::kDefaultColorTable[i],
                       [i](LSettings& s) { return FieldRef(&s.ColorMarker[i]); }));
  t.push_back(Choice("FrameRate", 15, Field(&LSettings::FrameRate), Steps(5, 30, 5)));
  t.push_back(Choice("MeshSmoothingVessel", 3, Field(&LSettings::MeshSmoothingVessel), Steps(0, 5, 1)));
  t.push_back(Choice("MeshSmoothingSEAD", 3, Field(&LSettings::MeshSmoothingSEAD), Steps(0, 5, 1)));
  t.push_back(Bool("ShowThicknessBar", true, Field(&LSettings::ShowThicknessBar)));
  t.push_back(Int("ThicknessOpacity", 80, Field(&LSettings::ThicknessOpacity), 0, 100));
  for (int i = 0; i < kSettingsSurfaceCount; ++i) {
    t.push_back(Bool(Indexed("ShowSurface", i), true, [i](LSettings& s) { return FieldRef(&s.ShowSurface[i]); }));
    t.push_back(Bool(Indexed("ShowUndefinedSurface", i), false,
                     [i](LSettings& s) { return FieldRef(&s.ShowUndefinedSurface[i]); }));
  }
  return t;
}

const std::vector<SettingDescriptor>& Table()
{
  static const std::vector<SettingDescriptor> table = BuildTable();
  return table;
}

const SettingDescriptor* Find(const std::string& key)
{
  for (const SettingDescriptor& d : Table())
    if (d.key == key)
      return &d;
  return nullptr;
}

int EnumValue(const SettingDescriptor& d, const std::string& name, int fallback)
{
  for (const auto& [text, value] : d.names)
    if (text == name)
      return value;
  return fallback;
}

std::string EnumName(const SettingDescriptor& d, int value)
{
  for (const auto& [text, v] : d.names)
    if (v == value)
      return text;
  return d.defaultText;
}

// The default as the field holds it.
void ApplyDefault(const SettingDescriptor& d, LSettings& s)
{
  const FieldRef ref = d.field(s);
  switch (d.storage) {
    case Storage::Bool: *std::get<bool*>(ref) = d.defaultInt != 0; break;
    case Storage::Int: *std::get<int*>(ref) = d.defaultInt; break;
    case Storage::Enum: *std::get<int*>(ref) = EnumValue(d, d.defaultText, 0); break;
    case Storage::Real: *std::get<float*>(ref) = static_cast<float>(numtext::ParseDouble(d.defaultText)); break;
    case Storage::Colour: *std::get<COLORREF*>(ref) = d.defaultColour; break;
    case Storage::Text: *std::get<std::string*>(ref) = d.defaultText; break;
  }
}

void WriteDefault(const SettingDescriptor& d, SettingsStore& store)
{
  const std::string& key = d.key;
  switch (d.storage) {
    case Storage::Bool:
    case Storage::Int: store.WriteInt(key, d.defaultInt); break;
    case Storage::Colour:
      store.WriteInt(key + "R", static_cast<int>(d.defaultColour & 0xFF));
      store.WriteInt(key + "G", static_cast<int>((d.defaultColour >> 8) & 0xFF));
      store.WriteInt(key + "B", static_cast<int>((d.defaultColour >> 16) & 0xFF));
      break;
    default: store.WriteString(key, d.defaultText); break;
  }
}

// The number an integer key holds; the fallback for a missing key and for text that holds
// no number. Digits followed by other text count, as in the profile functions.
long long StoredNumber(const SettingsStore& store, const std::string& key, int fallback)
{
  long long value = 0;
  return numtext::ParseLeadingInt(store.GetString(key, std::to_string(fallback)), value) ? value : fallback;
}

// An integer key within its range (the nearest bound, or the nearest of its choices); the
// default for text that holds no number.
int StoredInt(const SettingDescriptor& d, const SettingsStore& store)
{
  const long long value = StoredNumber(store, d.key, d.defaultInt);
  const int clamped = static_cast<int>(std::clamp<long long>(value, d.minimum, d.maximum));
  if (d.choices.empty())
    return clamped;
  int nearest = d.choices.front();  // of two as near, the lower
  for (const int choice : d.choices)
    if (std::abs(choice - clamped) < std::abs(nearest - clamped))
      nearest = choice;
  return nearest;
}

// A real key within its range; the default for text that holds no number or not a finite
// one. A number followed by other text counts, as atof reads it.
float StoredReal(const SettingDescriptor& d, const SettingsStore& store)
{
  double value = 0.0;
  if (!numtext::ParseLeadingDouble(store.GetString(d.key, d.defaultText), value) || !std::isfinite(value))
    return static_cast<float>(numtext::ParseDouble(d.defaultText));
  return static_cast<float>(std::clamp(value, d.realMinimum, d.realMaximum));
}

void ReadOne(const SettingDescriptor& d, LSettings& s, const SettingsStore& store)
{
  const std::string& key = d.key;
  const FieldRef ref = d.field(s);
  switch (d.storage) {
    case Storage::Bool: {
      const long long value = StoredNumber(store, key, d.defaultInt);
      if (value == 0 || value == 1)
        *std::get<bool*>(ref) = value == 1;
      break;
    }
    case Storage::Int:
      *std::get<int*>(ref) = StoredInt(d, store);
      break;
    case Storage::Enum: {
      int* field = std::get<int*>(ref);
      *field = EnumValue(d, store.GetString(key, d.defaultText), *field);
      break;
    }
    case Storage::Real:
      *std::get<float*>(ref) = StoredReal(d, store);
      break;
    case Storage::Colour: {
      const auto channel = [&](const char* suffix, int shift) {
        const int fallback = static_cast<int>((d.defaultColour >> shift) & 0xFF);
        return static_cast<COLORREF>(StoredNumber(store, key + suffix, fallback) & 0xFF) << shift;
      };
      *std::get<COLORREF*>(ref) = channel("R", 0) | channel("G", 8) | channel("B", 16);
      break;
    }
    case Storage::Text: {
      const std::string text = store.GetString(key, d.defaultText);
      if (!d.acceptText || d.acceptText(text))
        *std::get<std::string*>(ref) = text;
      break;
    }
  }
}

}  // namespace

LSettings::LSettings()
{
  for (const SettingDescriptor& d : Table())
    if (d.field)
      ApplyDefault(d, *this);
}

void ResetSettingsProfile(SettingsStore& store)
{
  if (store.GetString("ExeVersion", "0.0.0") == kProgramVersion)
    return;
  store.WriteString("ExeVersion", kProgramVersion);
  for (const SettingDescriptor& d : Table())
    WriteDefault(d, store);
}

void ReadSettings(LSettings& settings, const SettingsStore& store)
{
  for (const SettingDescriptor& d : Table())
    if (d.field)
      ReadOne(d, settings, store);
}

bool WriteSetting(const LSettings& settings, const std::string& key, SettingsStore& store)
{
  const SettingDescriptor* d = Find(key);
  if (!d || !d->field)
    return false;
  // The accessor needs a mutable record; the value is only read.
  const FieldRef ref = d->field(const_cast<LSettings&>(settings));
  switch (d->storage) {
    case Storage::Bool: store.WriteInt(key, *std::get<bool*>(ref) ? 1 : 0); break;
    case Storage::Int: store.WriteInt(key, *std::get<int*>(ref)); break;
    case Storage::Enum: store.WriteString(key, EnumName(*d, *std::get<int*>(ref))); break;
    case Storage::Real:
      store.WriteString(key, numtext::Format(d->realFormat, double(*std::get<float*>(ref))));
      break;
    case Storage::Colour: {
      const COLORREF c = *std::get<COLORREF*>(ref);
      store.WriteInt(key + "R", static_cast<int>(c & 0xFF));
      store.WriteInt(key + "G", static_cast<int>((c >> 8) & 0xFF));
      store.WriteInt(key + "B", static_cast<int>((c >> 16) & 0xFF));
      break;
    }
    case Storage::Text: store.WriteString(key, *std::get<std::string*>(ref)); break;
  }
  return true;
}

std::string MouseModeProfileName(int mode)
{
  return (mode >= 0 && mode < 11) ? kMouseModeNames[mode] : "";
}
