#pragma once
// The user's settings: display colours and opacities, line widths, show flags, editing
// tools, thickness-map options, layout and modes. Each field is named after its profile key
// in the group "Setting"; every key has one descriptor (storage kind, default, range) from
// which the defaults, the version reset, the reading and the writing all follow.
#include <cstdint>
#include <string>

class SettingsStore;

constexpr int kSettingsSurfaceCount = 20;
constexpr int kSettingsMarkerColorCount = 20;
// The program version whose profile layout this is; another stored "ExeVersion" resets it.
extern const char* const kProgramVersion;

struct LSettings {
  using COLORREF = uint32_t;

  // Filled with every key's default.
  LSettings();

  float WindowCenter;
  float WindowWidth;
  int Window;  // 0 Auto, 1 Fixed
  int Mouse;   // a MouseMode
  int Layout;  // a ViewLayout
  float LayoutPhysicalSizeX;
  float LayoutPhysicalSizeY;
  float LayoutPhysicalSizeZ;
  COLORREF ColorRefSurf;
  COLORREF ColorSurface[kSettingsSurfaceCount];
  COLORREF ColorMarker[kSettingsMarkerColorCount];
  COLORREF ColorCup;
  COLORREF ColorRim;
  COLORREF ColorVessel;
  COLORREF ColorSEAD;
  COLORREF ColorSplinesLine;
  COLORREF ColorSplinesMarker;
  COLORREF ColorUndefinedRegion;
  COLORREF Color3DBackground;
  int OpacityUndefinedRegion;
  int OpacityCup;
  int OpacityRim;
  int OpacityVessel;
  int OpacitySEAD;
  int SurfacesLineWidth;
  std::string UserName;
  int SplinesLineWidth;
  bool ShowSplinesMarker;
  std::string GridFileName;
  std::string SampleURL;
  int SurfacesModification;  // 0 2-D, 1 3-D
  int UndefinedRegionModification;
  int VesselModification;
  int SEADModification;
  bool ShowRefSurf;
  bool ShowSurfaces;
  bool ShowProj;
  bool ShowDisc;
  bool ShowVessel;
  bool ShowSEAD;
  bool ShowSplines;
  bool ShowMarkers;
  bool ShowGuideLines;
  bool ShowOverlay;
  bool ShowUndefinedRegion;
  bool ShowSurface[kSettingsSurfaceCount];
  bool ShowUndefinedSurface[kSettingsSurfaceCount];
  int AvgSliceNum;
  bool Show3DAll;
  bool ThreeDBlending;   // key "3DBlending"
  bool ThreeDIsotropic;  // key "3DIsotropic"
  bool Show3DOCTXY;
  bool Show3DOCTZY;
  bool Show3DOCTXZ;
  bool ShowThickness;
  int ThicknessSurfaceFrom;
  int ThicknessSurfaceTo;
  bool ShowCreateProj;
  int CreateProjSurfaceFrom;
  int CreateProjSurfaceTo;
  int GridMode;  // 0 None, 1 Quality, 2 Quantity
  int ThicknessUnit;  // 0 Auto, 1 Fixed
  float ThicknessUnitMin;
  float ThicknessUnitMax;
  int ThicknessPalette;  // 0 Color, 1 Grayscale
  bool ShowThicknessBar;
  int ThicknessOpacity;
  std::string MarkersLabel;  // "0" to "19"
  int DlgDataPos;  // 0 Left, 1 Right
  int SaveAll;     // 0 AVI, 1 TIFFs
  int FrameRate;
  float SurfacesMargin;
  float UndefinedRegionMargin;
  float VesselMargin;
  float SEADMargin;
  int MeshSmoothingVessel;
  int MeshSmoothingSEAD;
};

// When the stored "ExeVersion" is not exactly kProgramVersion, writes it and every key of
// the store with its default (foreign keys stay).
void ResetSettingsProfile(SettingsStore& store);

// Fills the settings from the store, each within what its control offers: a number beyond
// its range reads as the nearest bound (a number offered as a list, as the nearest value of
// the list), and a missing key or a value the program cannot use (a bool other than 0/1, an
// unknown enumeration name, text that is no number) leaves the field at its default.
void ReadSettings(LSettings& settings, const SettingsStore& store);

// Writes the key's field in its storage form (integer, name, "%f"-style text, three colour
// keys). Key names are the profile's: "ShowSurface7", "ColorCup", "3DBlending", ...
// False for a key that has no field.
bool WriteSetting(const LSettings& settings, const std::string& key, SettingsStore& store);

// The name the profile stores for a MouseMode (0-10); "" outside the range.
std::string MouseModeProfileName(int mode);
