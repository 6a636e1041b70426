#pragma once
// The toolkit's MetaImage reader takes a data file that is missing or shorter than its
// header announces as read: it prints a note and leaves the missing voxels unwritten, and
// for a missing data file it leaks its stream. A header is therefore checked against its
// data before any voxel is read.
#include <filesystem>
#include <string>

#include <itkMetaImageIO.h>

// True when the data the header names holds all the voxels it announces (compressed data
// is inflated once, without keeping the output). The header's information must have been
// read. Data spread over a list of files or a numbered file-name pattern is checked file by
// file: each must be a regular file that opens and holds its share, and there must be
// exactly one file per slab. Every data file must lie in the header's folder or below it
// (DataFileInHeaderFolder); the reason of a refusal is printed on standard error.
bool MetaImageDataPresent(itk::MetaImageIO& io, const std::string& headerPath);

// The data file a header names: a relative name lies beside the header.
std::filesystem::path MetaImageDataFile(const std::string& headerPath, const std::string& name);
