#pragma once
// Running an external analysis program of the executables list on a scan: the scan's copy
// that the program reads (in a folder named after the scan, where its results land), the
// program's arguments with the placeholders filled in, and the runs on the open scan or on
// every scan below a folder.
#include <string>
#include <vector>

class LExecutableList;
class LOCTVolume;
namespace platform {
struct ProgramEnd;
}

enum ExecutableRunMode : int { kRunOnOpenScan = 0, kRunOnFolder = 3 };

// The marker in the name of a scan's copy made for the programs.
inline constexpr const char* kPreparedMarker = "_OCT_Vamo.";

// Where a program reads a scan and writes its results.
struct ScanInput {
  std::string folder;     // the results' folder: the scan's path without its extension
  std::string title;      // the scan's file name without its extension
  std::string input;      // folder/title_OCT_Vamo + extension, or the scan itself
  std::string extension;  // as spelled in the scan's name (".nii.gz" and ".ScanParameters.dat" whole)
  bool preparedCopy = false;  // the scan already is such a copy: nothing to prepare
};

ScanInput DeriveScanInput(const std::string& scanPath);

// Creates the folder and copies the scan to the input (with a Canon scan's image file), or,
// for a header format, writes the volume there (read from the scan when volume is null).
// False after an "Error: " line when any step failed.
bool PrepareScanInput(const std::string& scanPath, const ScanInput& input, const LOCTVolume* volume);
// The first name the preparation may not write, or "": a folder's name taken by a link or
// a file, or an input's name taken by a link or by something other than a file. In a
// shared folder anyone may have put them there, and the program's input or results would
// then go elsewhere.
std::string RefusedPreparedName(const ScanInput& input);

// The program and arguments of executable k for one scan.
struct ExecutableCommand {
  std::string program;                 // absolute: the program folder joined with argument 0
  std::vector<std::string> arguments;  // arguments 1 to argc-1, placeholders filled in
  std::string text;                    // the quoted command line, for messages
  std::string missingInput;            // the first "input" argument that names nothing, or ""
};

ExecutableCommand BuildExecutableCommand(const LExecutableList& list, int k, const std::string& programFolder,
                                         const ScanInput& input);

// "The executable ended with exit status N." or "... with signal N."
std::string ProgramFailureMessage(const platform::ProgramEnd& end);

// The message for an "input" argument that names nothing.
std::string MissingInputMessage(const LExecutableList& list, int k, const std::string& missing);

// Every file below the folder whose path holds the filter and ends with a scan extension,
// but links that lead out of the folder.
std::vector<std::string> FindScanFiles(const std::string& folder, const std::string& filter);

// The scans a batch runs on, in the given order: without the copies made for a scan that is
// listed itself, and without the data file of a header that is listed.
std::vector<std::string> BatchScans(const std::vector<std::string>& scans);

// Runs executable k on the open scan. True once the program has ended with exit status 0,
// with the folder of its results; false after a message when it could not be run, crashed
// or ended with another status (its results are then not to be loaded).
bool RunOnScan(const LExecutableList& list, int k, const std::string& programFolder, const std::string& scanPath,
               const LOCTVolume& volume, std::string& resultFolder);

// Runs executable k on every scan below the folder, in natural order. An "input" argument
// that names nothing ends the batch after its message; a program that cannot be started is
// skipped; the scans on which it crashed or ended with a status other than 0 are named in
// one message after the batch.
void RunOnFolder(const LExecutableList& list, int k, const std::string& programFolder, const std::string& folder);
