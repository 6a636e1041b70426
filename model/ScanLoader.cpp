// Opening a scan: the folder's files sorted by name, the scan and every result file read
// into fresh slots and checked against the scan.
#include "model/ScanLoader.h"

#include "data/DataFileFolder.h"
#include "data/Diagnostics.h"
#include "data/LMesh.h"
#include "data/ReadBounds.h"
#include "data/RenameNoReplace.h"
#include "data/WriteTarget.h"
#include "data/XmlReadResult.h"
#include "model/DisplayedObjects.h"
#include "model/LoadMessages.h"
#include "model/SavePaths.h"
#include "model/ScanFolderScan.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Markers and splines a scan without such a file can take.
constexpr int kDefaultPointCapacity = 3000;

const char* const kOpenScanTask = "open the scan";

// The message of a scan read that failed: memory that could not be had is not the file's fault.
std::string ScanReadMessage(int result)
{
  return result == kScanNoMemory ? loadmessages::NotEnoughMemory(kOpenScanTask) : loadmessages::FileError(ResultKind::OCT);
}

// Natural order, then at most a slot's worth of files. The suite's own file (the one that is
// preselected) is kept in place of the last one when it would fall beyond. Returns the
// message naming the files left out, "" when all fit.
std::string KeepSlotsWorth(CSortStringArray& paths, ResultKind kind)
{
  paths.SortNatural();
  const int count = paths.GetSize();
  if (count <= kSlotCapacity)
    return "";
  std::vector<std::string> tags;
  for (const std::string& path : paths)
    tags.push_back(scanfolder::Tag(kind, path));
  const int suites = scanfolder::PreselectedIndex(tags);
  const bool keepSuites = tags[size_t(suites)] == "Vamo" && suites >= kSlotCapacity;
  CSortStringArray kept;
  std::vector<std::string> leftOut;
  for (int i = 0; i < count; ++i) {
    const bool keep = keepSuites ? (i < kSlotCapacity - 1 || i == suites) : i < kSlotCapacity;
    if (keep)
      kept.Add(paths[i]);
    else
      leftOut.push_back(scanfolder::FileName(paths[i]));
  }
  paths = std::move(kept);
  return loadmessages::NotAllLoaded(kind, count, kSlotCapacity, leftOut);
}

// A result XML file: the reader's failure, or a surface grid that is not the scan's.
template <typename Surface>
std::string ReadSurfaceFile(Surface& record, const std::string& path, ResultKind kind, const LOCTVolume& scan)
{
  const int result = record.ReadXml(path, readbounds::SurfacesFileBytes(scan.sizeX, scan.sizeZ));
  if (result != kXmlOk)
    return loadmessages::ForXmlResult(kind, result);
  if (record.surfaceSizeX != scan.sizeX || record.surfaceSizeZ != scan.sizeZ)
    return loadmessages::SizeMismatch(kind);
  return "";
}

template <typename Record>
std::string ReadPointFile(Record& record, const std::string& path, ResultKind kind, const LOCTVolume& scan)
{
  const int result = record.ReadXml(path, readbounds::PointFileBytes(scan.sizeX, scan.sizeY, scan.sizeZ));
  return result == kXmlOk ? "" : loadmessages::ForXmlResult(kind, result);
}

bool HasSameSize(const LOCTVolume& a, const LOCTVolume& b)
{
  return a.sizeX == b.sizeX && a.sizeY == b.sizeY && a.sizeZ == b.sizeZ;
}

// The largest cache a mesh of these labels can have, by the voxels it takes as inside (a
// pass over the voxels, cheap beside reading the cache) and by their own voxel size, in
// whose millimetres the cache is written.
uint64_t LargestMeshCache(const LOCTVolume& labels, const int size[3], const float spacing[3])
{
  const unsigned short* voxels = labels.Voxels();
  const uint64_t inside =
      voxels ? CountMeshInsideVoxels(voxels, labels.VoxelCount(), labels.bytesPerVoxel, labels.WrittenVoxels()) : 0;
  return readbounds::MeshCacheBytes(size, spacing, inside);
}

// A cache written before its label file was changed describes older labels.
bool IsUpToDateCache(const std::string& cache, const std::string& labels)
{
  std::error_code error;
  const auto cacheTime = fs::last_write_time(cache, error);
  if (error)
    return false;
  const auto labelTime = fs::last_write_time(labels, error);
  return !error && cacheTime >= labelTime;
}

// The path up to its last "." (the whole path when its name has none).
std::string WithoutExtension(const std::string& path)
{
  const std::string name = scanfolder::FileName(path);
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? path : path.substr(0, path.size() - (name.size() - dot));
}

bool IsTiffPath(const std::string& path)
{
  return scanfolder::HasExtension(path, ".tif") || scanfolder::HasExtension(path, ".tiff");
}

bool Exists(const std::string& path)
{
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

}  // namespace


ScanLoader::ScanLoader(WorkspacePrompts& prompts, const LSettings& settings, bool headerApproval)
    : m_Prompts(prompts), m_Settings(settings), m_HeaderApproval(headerApproval)
{
}

bool ScanLoader::Fail(const std::string& message, const std::string& detail)
{
  m_Prompts.ShowMessage(message, detail);
  return false;
}

bool ScanLoader::FailOn(const std::string& message, const std::string& path, const diag::ScopedReasons& reasons)
{
  return Fail(message, loadmessages::Detail(path, reasons.Text()));
}

// The user chose the folder, not what lies in it: a file found there that is a link leading
// out of it (a colleague's, in a shared folder, to a private file of the user's) is not read,
// and the folder is refused with the kind's message, as for a file that cannot be read.
bool ScanLoader::AllInFolder(const std::string& folder, const scanfolder::FolderContents& contents)
{
  const diag::ScopedReasons reasons;
  if (!contents.scanPath.empty() && !ListedFileInFolder(folder, contents.scanPath))
    return FailOn(loadmessages::FileError(ResultKind::OCT), contents.scanPath, reasons);
  for (int kind = 0; kind < kResultKindCount; ++kind)
    for (const std::string& path : contents.lists[kind])
      if (!ListedFileInFolder(folder, path))
        return FailOn(loadmessages::FileError(static_cast<ResultKind>(kind)), path, reasons);
  return true;
}

// The renames go through the folder opened once, as every write into it does.
bool ScanLoader::RenameOlderNames(const std::vector<std::pair<std::string, std::string>>& renames)
{
  if (renames.empty())
    return true;
  writetarget::WriteFailure failure;
  const writetarget::OpenFolder folder = writetarget::OpenFolderOf(renames.front().first, failure);
  for (const auto& [from, to] : renames) {
    const std::string detail = loadmessages::Detail(from, "It cannot be renamed to " + to + ".");
    if (failure.IsSet())
      return Fail(failure.reason, detail);
    if (const int renameError =
            RenameNoReplace(folder.fd.Get(), scanfolder::FileName(from), scanfolder::FileName(to)))
      return Fail(std::strerror(renameError), detail);
  }
  return true;
}

bool ScanLoader::StageFolder(const std::string& folder, StagedScan& staged)
{
  std::vector<std::string> files;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    // Hidden files are not the scan's: a save's temporary, say, left by a killed process.
    if (it->is_regular_file(typeError) && !writetarget::IsHiddenName(it->path().filename().string()))
      files.push_back(it->path().string());
  }
  // A listing cut short for lack of memory would show the folder without its scan.
  if (error == std::errc::not_enough_memory)
    throw std::bad_alloc();
  const scanfolder::FolderContents contents = scanfolder::SortFolder(std::move(files));
  if (!RenameOlderNames(contents.renames))
    return false;

  staged.scanFolder = folder;
  staged.scanPath = contents.scanPath;
  if (!AllInFolder(folder, contents))
    return false;
  LResultSlots& results = *staged.results;
  const auto fill = [&](CSortStringArray& list, ResultKind kind) {
    for (const std::string& path : contents.lists[static_cast<int>(kind)])
      list.Add(path);
  };
  fill(results.refSurf.pathList, ResultKind::RefSurf);
  fill(results.surfaces.pathList, ResultKind::Surfaces);
  fill(results.proj.pathList, ResultKind::Proj);
  fill(results.disc.pathList, ResultKind::Disc);
  fill(results.vessel.pathList, ResultKind::Vessel);
  fill(results.sead.pathList, ResultKind::SEAD);
  fill(results.gridCenter.pathList, ResultKind::GridCenter);
  fill(results.markers.pathList, ResultKind::Markers);
  fill(results.splines.pathList, ResultKind::Splines);
  return true;
}

void ScanLoader::StageScanFile(const std::string& path, StagedScan& staged)
{
  staged.scanPath = path;
  const size_t slash = path.find_last_of('/');
  staged.scanFolder = slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool ScanLoader::RunLoaderChain(StagedScan& staged)
{
  LResultSlots& results = *staged.results;
  LOCTVolume& scan = *staged.volume;
  return LoadOCT(staged) && LoadRefSurf(results.refSurf, scan) && LoadSurfaces(results.surfaces, scan) &&
         LoadProj(results.proj, scan) && LoadDisc(results.disc, scan) && LoadVessel(results.vessel, scan) &&
         LoadSEAD(results.sead, scan) && LoadGridCenter(results.gridCenter, scan) &&
         LoadMarkers(results.markers, scan) && LoadSplines(results.splines, scan);
}

bool ScanLoader::LoadOCT(StagedScan& staged)
{
  const diag::ScopedReasons reasons;
  if (staged.scanPath.empty()) {
    // No reader sees a folder without a scan, so it is said here.
    diag::Error("None of the files of " + staged.scanFolder +
                " is a scan: none holds \"_OCT\" with a scan file's extension");
    return FailOn(loadmessages::kUnsupportedScan, staged.scanFolder, reasons);
  }
  if (IsTiffPath(staged.scanPath) && !ConvertTiffScan(staged))
    return false;
  const int result = staged.volume->ReadScanFile(staged.scanPath);
  if (result == kScanUnsupported)
    return FailOn(loadmessages::kUnsupportedScan, staged.scanPath, reasons);
  if (result != kScanOk)
    return FailOn(ScanReadMessage(result), staged.scanPath, reasons);
  return true;
}

// A 3-D TIFF carries no voxel size: the user gives it, and the scan is kept as a MetaImage
// file beside the TIFF, which is then read like any other scan.
bool ScanLoader::ConvertTiffScan(StagedScan& staged)
{
  const diag::ScopedReasons reasons;
  LOCTVolume tiff;
  const int result = tiff.ReadScanFile(staged.scanPath);
  if (result == kScan2DTiff)
    return FailOn(loadmessages::kNot3DTiff, staged.scanPath, reasons);
  if (result != kScanOk)
    return FailOn(ScanReadMessage(result), staged.scanPath, reasons);
  float micrometres[3] = {};
  if (!m_Prompts.AskVoxelSize(micrometres))
    return false;
  const float spacing[3] = {micrometres[0] / 1000.0f, micrometres[1] / 1000.0f, micrometres[2] / 1000.0f};
  tiff.SetVoxelSize(spacing);
  // The conversion never replaces a file that is already there (a device's own ".raw").
  const std::string base = WithoutExtension(staged.scanPath);
  const std::string header = base + ".mhd";
  for (const std::string& converted : {header, base + ".raw"})
    if (Exists(converted))
      return Fail(loadmessages::FileError(ResultKind::OCT),
                  loadmessages::Detail(converted, "A file of this name is there already; the scan is not converted over it."));
  const int written = tiff.WriteMetaImage(header);
  if (written != 0)
    return FailOn(written == kWriteNoMemory ? loadmessages::NotEnoughMemory(kOpenScanTask)
                                            : loadmessages::FileError(ResultKind::OCT),
                  header, reasons);
  staged.scanPath = header;
  return true;
}

// The steps every kind shares: sort the files (at most a slot's worth, the user told of any
// left out), read each into its object (readOne gives the message of a file that cannot be
// used, "" otherwise), then preselect the suite's file.
template <typename Record, typename ReadOne>
bool ScanLoader::ReadKindFiles(LResultSlot<Record>& slot, ResultKind kind, ReadOne readOne)
{
  const std::string notAllLoaded = KeepSlotsWorth(slot.pathList, kind);
  if (!notAllLoaded.empty())
    m_Prompts.ShowMessage(notAllLoaded);
  slot.count = slot.pathList.GetSize();
  for (int i = 0; i < slot.count; ++i) {
    const diag::ScopedReasons reasons;
    // Taken before the read: a file rewritten while it was read counts as changed.
    slot.stamps[size_t(i)] = FileStamp::Take(savepaths::EditedFiles(kind, slot.pathList[i]));
    const std::string message = readOne(slot.objects[size_t(i)], slot.pathList[i], i);
    if (!message.empty())
      return FailOn(message, slot.pathList[i], reasons);
  }
  std::vector<std::string> tags;
  for (const std::string& path : slot.pathList)
    tags.push_back(scanfolder::Tag(kind, path));
  slot.selected = scanfolder::PreselectedIndex(tags);
  return true;
}

// A file of more markers or splines than the panes show is read whole, shown in part, and
// the user is told, so that nothing is dropped without a word.
template <typename Record>
std::string ScanLoader::ReadAndTellWhenCut(Record& record, const std::string& path, ResultKind kind,
                                           const LOCTVolume& scan)
{
  std::string message = ReadPointFile(record, path, kind, scan);
  if (message.empty() && record.count > kMaxDisplayedMarkers)
    m_Prompts.ShowMessage(
        loadmessages::OnlyFirstShown(kind, scanfolder::FileName(path), record.count, kMaxDisplayedMarkers));
  return message;
}

bool ScanLoader::LoadRefSurf(LRefSurfSlot& slot, const LOCTVolume& scan)
{
  const bool read = ReadKindFiles(slot, ResultKind::RefSurf, [&](LRefSurface& surface, const std::string& path, int) {
    return ReadSurfaceFile(surface, path, ResultKind::RefSurf, scan);
  });
  if (!read)
    return false;
  // Reference surfaces are never preselected: a new scan is shown unflattened.
  slot.selected = 0;
  slot.flatteningIndex = 0;
  return true;
}

bool ScanLoader::LoadSurfaces(LShownSlot<LSurfaces>& slot, LOCTVolume& scan)
{
  const bool read = ReadKindFiles(slot, ResultKind::Surfaces, [&](LSurfaces& surfaces, const std::string& path, int) {
    return ReadSurfaceFile(surfaces, path, ResultKind::Surfaces, scan);
  });
  if (!read)
    return false;
  if (slot.count > 0)
    scan.centerType = slot.objects[size_t(slot.selected)].header.centerType;
  return true;
}

bool ScanLoader::LoadProj(LResultSlot<LImage2D>& slot, const LOCTVolume& scan)
{
  return LoadImages(slot, ResultKind::Proj, scan);
}

bool ScanLoader::LoadDisc(LResultSlot<LImage2D>& slot, const LOCTVolume& scan)
{
  return LoadImages(slot, ResultKind::Disc, scan);
}

bool ScanLoader::LoadImages(LResultSlot<LImage2D>& slot, ResultKind kind, const LOCTVolume& scan)
{
  return ReadKindFiles(slot, kind, [&](LImage2D& image, const std::string& path, int) -> std::string {
    if (image.Load(path) != 0)
      return loadmessages::FileError(kind);
    return image.GetWidth() == scan.sizeX && image.GetHeight() == scan.sizeZ ? "" : loadmessages::SizeMismatch(kind);
  });
}

bool ScanLoader::LoadVessel(LLabelSlot& slot, const LOCTVolume& scan)
{
  return LoadLabels(slot, ResultKind::Vessel, scan, m_Settings.MeshSmoothingVessel);
}

bool ScanLoader::LoadSEAD(LLabelSlot& slot, const LOCTVolume& scan)
{
  return LoadLabels(slot, ResultKind::SEAD, scan, m_Settings.MeshSmoothingSEAD);
}

bool ScanLoader::LoadLabels(LLabelSlot& slot, ResultKind kind, const LOCTVolume& scan, int smoothing)
{
  const int scanSize[3] = {scan.sizeX, scan.sizeY, scan.sizeZ};
  const float scanSpacing[3] = {scan.spacingX, scan.spacingY, scan.spacingZ};
  if (slot.pathList.IsEmpty()) {
    // Labels painted on a scan without a label file go into an empty volume of its size
    // (a new volume reads as 0, and holds memory only where it is painted).
    LOCTVolume& labels = *slot.defaultObject;
    if (labels.CreateVolume(scanSize, scan.format, scanSpacing, 1, scan.laterality, scan.centerType) != 0)
      return Fail(loadmessages::NotEnoughMemory(kOpenScanTask));
    slot.defaultMesh->SetLabelVolume(scanSize, scanSpacing, labels.Voxels(), 1);
    (void)slot.defaultMesh->Build(false, smoothing);  // an empty mesh takes no memory
  }
  return ReadKindFiles(slot, kind, [&](LOCTVolume& labels, const std::string& path, int i) -> std::string {
    if (const int read = labels.ReadLabelFile(path); read != kScanOk)
      return read == kScanNoMemory ? loadmessages::NotEnoughMemory(kOpenScanTask) : loadmessages::FileError(kind);
    if (!HasSameSize(labels, scan))
      return loadmessages::SizeMismatch(kind);
    // The mesh is cached beside the label file; a cache that is older or unreadable (not a
    // regular file, or larger than any mesh of such a label) is rebuilt.
    LMesh& mesh = slot.meshes[size_t(i)];
    const std::string cache = scanfolder::MeshCachePath(path);
    const int size[3] = {labels.sizeX, labels.sizeY, labels.sizeZ};
    const float spacing[3] = {labels.spacingX, labels.spacingY, labels.spacingZ};
    if (IsUpToDateCache(cache, path) &&
        mesh.ReadVtk(cache, scanSize, scanSpacing, LargestMeshCache(labels, size, spacing)) == 0)
      return "";
    mesh.SetLabelVolume(size, spacing, labels.Voxels(), labels.bytesPerVoxel);
    if (!mesh.Build(true, smoothing, labels.WrittenVoxels()))
      return loadmessages::NotEnoughMemory(kOpenScanTask);
    // Data on a read-only disk opens all the same: the mesh is kept in memory and built
    // again at the next opening. A link under the cache's name is never written through:
    // in a shared folder anyone may have put it there.
    if (writetarget::ResolveTarget(cache, writetarget::WriteOrigin::kProgram).empty())
      m_Prompts.ShowMessage(loadmessages::NameRefused(cache));
    else if (mesh.WriteVtk(cache) != 0)
      diag::Warning("The mesh cache " + cache + " cannot be written");
    return "";
  });
}

bool ScanLoader::LoadGridCenter(LGridCenterSlot& slot, const LOCTVolume& scan)
{
  if (slot.pathList.IsEmpty())
    slot.defaultObject->Create(scan.sizeX / 2, scan.sizeZ / 2, CreatedRecordHeader(scan, m_HeaderApproval));
  return ReadKindFiles(slot, ResultKind::GridCenter, [&scan](LGridCenter& center, const std::string& path, int) {
    return ReadPointFile(center, path, ResultKind::GridCenter, scan);
  });
}

bool ScanLoader::LoadMarkers(LMarkersSlot& slot, const LOCTVolume& scan)
{
  if (slot.pathList.IsEmpty())
    slot.defaultObject->Create(0, kDefaultPointCapacity, CreatedRecordHeader(scan, m_HeaderApproval));
  return ReadKindFiles(slot, ResultKind::Markers, [this, &scan](LMarkers& markers, const std::string& path, int) {
    return ReadAndTellWhenCut(markers, path, ResultKind::Markers, scan);
  });
}

bool ScanLoader::LoadSplines(LSplinesSlot& slot, const LOCTVolume& scan)
{
  if (slot.pathList.IsEmpty())
    slot.defaultObject->Create(0, kDefaultPointCapacity, CreatedRecordHeader(scan, m_HeaderApproval));
  return ReadKindFiles(slot, ResultKind::Splines, [this, &scan](LSplineSet& splines, const std::string& path, int) {
    return ReadAndTellWhenCut(splines, path, ResultKind::Splines, scan);
  });
}
