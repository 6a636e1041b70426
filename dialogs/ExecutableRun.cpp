#include "dialogs/ExecutableRun.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <system_error>

#include "data/AtomicFile.h"
#include "data/DataFileFolder.h"
#include "data/Diagnostics.h"
#include "data/LExecutableList.h"
#include "data/LOCTVolume.h"
#include "data/WriteTarget.h"
#include "model/CSortStringArray.h"
#include "model/LoadMessages.h"
#include "model/ScanFolderScan.h"
#include "platform/Messages.h"
#include "platform/Process.h"

namespace fs = std::filesystem;

namespace {

const std::string kCanonParameters = ".ScanParameters.dat";
const std::string kCanonTomograms = ".Tomograms.dat";

std::string Lower(std::string text)
{
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool EndsWith(const std::string& text, const std::string& ending)
{
  return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

std::string ParentOf(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The file name's extension as spelled; the two-part endings of scans count as one.
std::string ExtensionOf(const std::string& path)
{
  const std::string name = scanfolder::FileName(path);
  for (const std::string compound : {".nii.gz", ".scanparameters.dat"})
    if (EndsWith(Lower(name), compound))
      return name.substr(name.size() - compound.size());
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

// A header with a separate data file: the volume is written anew instead of copied.
bool IsHeaderFormat(const ScanInput& input)
{
  const std::string extension = Lower(input.extension);
  return extension == ".mhd" || extension == ".hdr";
}

// A Canon scan's images are in the file beside its parameters, found by the same stem.
std::string CanonImages(const std::string& parameters)
{
  return parameters.substr(0, parameters.size() - kCanonParameters.size()) + kCanonTomograms;
}

bool IsPreparedCopy(const std::string& path)
{
  return scanfolder::FileName(path).find(kPreparedMarker) != std::string::npos;
}

// The copy replaces an older one by a rename, never by writing through whatever lies under
// its name: in a shared folder that may be a link to someone else's file.
bool CopyReplacing(const std::string& from, const writetarget::OpenFolder& folder, const std::string& to)
{
  if (CopyFileAtomically(from, writetarget::ResolveIn(folder, to, writetarget::WriteOrigin::kProgram)) == 0)
    return true;
  diag::Error("Cannot copy " + from + " to " + (folder.path / to).string());
  return false;
}

bool WriteVolume(const std::string& scanPath, const writetarget::OpenFolder& folder, const std::string& to,
                 const LOCTVolume* volume)
{
  LOCTVolume read;
  if (!volume) {
    if (read.ReadScanFile(scanPath) != 0) {
      diag::Error("Cannot read " + scanPath);
      return false;
    }
    volume = &read;
  }
  if (volume->WriteMetaImage(folder, to, writetarget::WriteOrigin::kProgram) != 0) {
    diag::Error("Cannot write " + (folder.path / to).string());
    return false;
  }
  return true;
}

bool Exists(const std::string& path)
{
  std::error_code error;
  return fs::exists(path, error);
}

// An argument with the placeholders filled in: "[OCT]" is the input, "[OCT]_" anywhere in
// it stands for the results' folder and the scan's title.
std::string FillPlaceholders(std::string argument, const ScanInput& input)
{
  if (argument == "[OCT]")
    return input.input;
  const size_t at = argument.find("[OCT]_");
  if (at != std::string::npos)
    argument.replace(at, 5, input.folder + "/" + input.title);
  return argument;
}

std::string Quoted(const std::string& text)
{
  return "\"" + text + "\" ";
}

// Prepares the scan and builds the command; false after the message of a missing input.
bool PrepareCommand(const LExecutableList& list, int k, const std::string& programFolder,
                    const std::string& scanPath, const LOCTVolume* volume, ScanInput& input,
                    ExecutableCommand& command)
{
  input = DeriveScanInput(scanPath);
  if (!input.preparedCopy) {
    const writetarget::WriteFailure folder = writetarget::MakeOwnFolder(input.folder);
    if (folder.IsSet()) {
      platform::ShowMessage("The executable's input cannot be prepared in " + folder.Text());
      return false;
    }
    const std::string refused = RefusedPreparedName(input);
    if (!refused.empty()) {
      platform::ShowMessage(loadmessages::NameRefused(refused));
      return false;
    }
    PrepareScanInput(scanPath, input, volume);
  }
  command = BuildExecutableCommand(list, k, programFolder, input);
  if (command.missingInput.empty())
    return true;
  platform::ShowMessage(MissingInputMessage(list, k, command.missingInput));
  return false;
}

}  // namespace

std::string ProgramFailureMessage(const platform::ProgramEnd& end)
{
  return end.kind == platform::ProgramEnd::Kind::Signalled
           ? "The executable ended with signal " + std::to_string(end.code) + "."
           : "The executable ended with exit status " + std::to_string(end.code) + ".";
}

ScanInput DeriveScanInput(const std::string& scanPath)
{
  ScanInput input;
  const std::string name = scanfolder::FileName(scanPath);
  if (IsPreparedCopy(scanPath)) {
    input.preparedCopy = true;
    input.folder = ParentOf(scanPath);
    input.title = name.substr(0, name.find(kPreparedMarker));
    input.input = scanPath;
    input.extension = ExtensionOf(scanPath);
    return input;
  }
  input.extension = ExtensionOf(scanPath);
  input.folder = scanPath.substr(0, scanPath.size() - input.extension.size());
  input.title = name.substr(0, name.size() - input.extension.size());
  input.input = input.folder + "/" + input.title + "_OCT_Vamo" + input.extension;
  return input;
}

bool PrepareScanInput(const std::string& scanPath, const ScanInput& input, const LOCTVolume* volume)
{
  // A link in the folder's place would send the program's results elsewhere, and in another
  // user's folder the input could be changed before the program reads it. The input goes
  // into the folder made here, held open: renamed away and replaced (its parent may let
  // others do that), it still receives it, and nothing else does.
  writetarget::WriteFailure refused;
  const writetarget::OpenFolder folder = writetarget::MakeOwnFolder(input.folder, refused);
  if (refused.IsSet()) {
    diag::Error("Cannot prepare the folder " + refused.Text());
    return false;
  }
  const std::string name = scanfolder::FileName(input.input);
  if (IsHeaderFormat(input))
    return WriteVolume(scanPath, folder, name, volume);
  if (!CopyReplacing(scanPath, folder, name))
    return false;
  return input.extension != kCanonParameters || CopyReplacing(CanonImages(scanPath), folder, CanonImages(name));
}

std::string RefusedPreparedName(const ScanInput& input)
{
  struct stat st {};
  if (::lstat(input.folder.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
    return input.folder;
  std::vector<std::string> names = {input.input};
  if (IsHeaderFormat(input))  // and its data file
    names.push_back(input.input.substr(0, input.input.size() - input.extension.size()) +
                    (Lower(input.extension) == ".mhd" ? ".raw" : ".img"));
  if (input.extension == kCanonParameters)
    names.push_back(CanonImages(input.input));
  for (const std::string& name : names)
    if (writetarget::ResolveTarget(name, writetarget::WriteOrigin::kProgram).empty())
      return name;
  return "";
}

ExecutableCommand BuildExecutableCommand(const LExecutableList& list, int k, const std::string& programFolder,
                                         const ScanInput& input)
{
  ExecutableCommand command;
  const int argc = list.GetArgc(k);
  if (argc < 1) {
    command.text = Quoted(programFolder + "/");
    return command;  // no program: it cannot be started
  }
  command.program = programFolder + "/" + list.GetArgv(k, 0);
  command.text = Quoted(command.program);
  for (int j = 1; j < argc; ++j) {
    const std::string argument = FillPlaceholders(list.GetArgv(k, j), input);
    if (list.GetArgvDescription(k, j) == "input" && !Exists(argument)) {
      command.missingInput = argument;
      return command;
    }
    command.arguments.push_back(argument);
    command.text += Quoted(argument);
  }
  return command;
}

std::string MissingInputMessage(const LExecutableList& list, int k, const std::string& missing)
{
  if (k == 1)
    return "'" + missing + "' does not exist. Please first run '" + list.GetName(0) + "'.";
  return "'" + missing + "' does not exist.";
}

std::vector<std::string> FindScanFiles(const std::string& folder, const std::string& filter)
{
  std::vector<std::string> found;
  std::error_code error;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    // Hidden files and folders hold no scans, only temporaries of a save.
    if (writetarget::IsHiddenName(it->path().filename().string())) {
      it.disable_recursion_pending();
      continue;
    }
    std::error_code typeError;
    if (it->is_directory(typeError))
      continue;
    // A link that leads out of the folder (a colleague's, to a private scan of the user's)
    // is not one of its scans: its copy would bring the scan into the folder.
    const std::string path = it->path().string();
    if (path.find(filter) != std::string::npos && scanfolder::HasScanExtension(path) &&
        ListedFileInFolder(folder, path))
      found.push_back(path);
  }
  return found;
}

std::vector<std::string> BatchScans(const std::vector<std::string>& scans)
{
  const std::set<std::string> listed(scans.begin(), scans.end());
  std::vector<std::string> sources;
  for (const std::string& path : scans)
    if (!IsPreparedCopy(path) || !listed.count(ParentOf(path) + ExtensionOf(path)))
      sources.push_back(path);
  std::set<std::string> lowerCased;
  for (const std::string& path : sources)
    lowerCased.insert(Lower(path));
  std::vector<std::string> batch;
  for (const std::string& path : sources) {
    const std::string lower = Lower(path);
    const std::string stem = lower.substr(0, lower.size() - ExtensionOf(lower).size());
    const bool headerListed = (EndsWith(lower, ".raw") && lowerCased.count(stem + ".mhd")) ||
                              (EndsWith(lower, ".img") && lowerCased.count(stem + ".hdr"));
    if (!headerListed)
      batch.push_back(path);
  }
  return batch;
}

bool RunOnScan(const LExecutableList& list, int k, const std::string& programFolder, const std::string& scanPath,
               const LOCTVolume& volume, std::string& resultFolder)
{
  ScanInput input;
  ExecutableCommand command;
  if (!PrepareCommand(list, k, programFolder, scanPath, &volume, input, command))
    return false;
  const platform::ProgramEnd end = platform::RunProgram(command.program, command.arguments);
  if (!end.Started()) {
    platform::ShowMessage("CreateProcess failed: '" + command.text + "'");
    return false;
  }
  if (!end.Succeeded()) {
    platform::ShowMessage(ProgramFailureMessage(end));
    return false;
  }
  resultFolder = input.folder;
  return true;
}

void RunOnFolder(const LExecutableList& list, int k, const std::string& programFolder, const std::string& folder)
{
  CSortStringArray found;
  for (std::string& path : FindScanFiles(folder, ""))
    found.Add(std::move(path));
  found.SortNatural();
  std::string failures;  // one line per scan on which the program failed
  for (const std::string& scanPath : BatchScans({found.begin(), found.end()})) {
    ScanInput input;
    ExecutableCommand command;
    if (!PrepareCommand(list, k, programFolder, scanPath, nullptr, input, command))
      break;
    const platform::ProgramEnd end = platform::RunProgram(command.program, command.arguments);
    if (end.Started() && !end.Succeeded())
      failures += "'" + scanPath + "': " + ProgramFailureMessage(end) + "\n";
  }
  if (!failures.empty())
    platform::ShowMessage(failures.substr(0, failures.size() - 1));
}
