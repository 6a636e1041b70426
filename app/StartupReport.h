#pragma once
// What the program found in its folder at start and what it opened from the command line,
// as info lines of the logging category "strataview.startup", which are off unless asked for
// (QT_LOGGING_RULES="strataview.startup.info=true"). An installation is checked with them:
// the folder the program resolved, its grid definition, its help document, the opened scan.
#include <string>

class CStrataviewView;

void ReportProgramFiles(const CStrataviewView& view);
void ReportOpened(const CStrataviewView& view, const std::string& path, bool opened);
