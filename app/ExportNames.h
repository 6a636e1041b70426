#pragma once
// The names of exported pane images and movies, formed from the scan path.
#include <string>

// The path up to its first "_OCT" in the file name, or else up to its last ".".
std::string ExportStem(const std::string& scanPath);
// As ExportStem, except that a path without "_OCT" ending in ".nii.gz" (any case) loses the
// whole double extension: the folder of a numbered image sequence.
std::string ExportFolderStem(const std::string& scanPath);
// "_Image_<pane>_0005.tif" style: the stem, the pane's tag (OCTXY, Proj, 3D, ...) and, when
// index >= 0, the four-digit index.
std::string PaneImageName(const std::string& stem, const std::string& tag, int index);
