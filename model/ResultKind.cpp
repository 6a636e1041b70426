#include "model/ResultKind.h"

namespace {
struct KindNames {
  const char* name;
  const char* filePart;
};
constexpr KindNames kKinds[kResultKindCount] = {
  {"OCT", "_OCT"},         {"Ref. Surf.", "_RefSurf_"}, {"Surfaces", "_Surfaces_"},
  {"Proj.", "_Proj_"},     {"Disc", "_Disc_"},          {"Vessel", "_Vessel_"},
  {"SEAD", "_SEAD_"},      {"Grid Center", "_GridCenter_"}, {"Markers", "_Markers_"},
  {"Splines", "_Splines_"}, {"Grid", ""}};
}  // namespace

const char* ResultKindName(ResultKind kind)
{
  return kKinds[static_cast<int>(kind)].name;
}

const char* ResultKindFilePart(ResultKind kind)
{
  return kKinds[static_cast<int>(kind)].filePart;
}
