#pragma once
// A TIFF file's directories may claim pages far larger than the data the file holds, and the
// toolkit allocates every page as the first directory describes it, times the pages, before it
// reads a strip; it then copies each page's rows as the first page's. The claims are therefore measured against the strips or tiles each page
// lists: where they lie, how many bytes they hold, and how far their compression can expand.
#include <cstdint>
#include <string>

// True when the TIFF file at path holds the data of each of its pages, every page its own,
// its pages together hold `pixels`, the pixels the toolkit makes room for, and the pages the
// toolkit reads are laid out as the first and fit in that room. A file whose directories
// cannot be walked at all (not a TIFF file) is left to the toolkit, which refuses it.
bool TiffPagesHold(const std::string& path, uint64_t pixels);
