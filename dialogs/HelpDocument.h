#pragma once
// Opening what the program shows outside itself with the desktop's own programs: the help
// document beside the program, and web pages. A target that cannot be opened is said, not
// passed over in silence.
#include <string>

// "Help.pdf" in the program's folder (given without a trailing "/").
std::string HelpDocumentPath(const std::string& programFolder);
// Opens the help document, or says that it is missing or cannot be opened.
void OpenHelpDocument(const std::string& programFolder);
// url: "https://…" or "file:///…"; shown: how the message names it.
void OpenWithDesktop(const std::string& url, const std::string& shown);
