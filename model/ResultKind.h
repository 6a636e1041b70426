#pragma once
// The kinds of file that belong to a scan, in loading order, with the name every message
// uses and the part of the file name by which a folder's files are recognised.
enum class ResultKind : int {
  OCT = 0, RefSurf, Surfaces, Proj, Disc, Vessel, SEAD, GridCenter, Markers, Splines, Grid,
};

constexpr int kResultKindCount = 11;
// Files one kind can hold.
constexpr int kSlotCapacity = 100;

// 'OCT', 'Ref. Surf.', ... as the messages quote them (without the quotes).
const char* ResultKindName(ResultKind kind);
// "_OCT", "_RefSurf_", ... ; "" for the grid, which is found by folder.
const char* ResultKindFilePart(ResultKind kind);
