#pragma once
// Opening what the program shows outside itself with the desktop's own programs: the help
// document beside the program, and web pages. A target that cannot be opened is said, not
// passed over in silence, with what is missing to open it.
#include <string>

// "Help.pdf" in the program's folder (given without a trailing "/").
std::string HelpDocumentPath(const std::string& programFolder);
// Opens the help document, or says that it is missing or that nothing here opens PDF files.
void OpenHelpDocument(const std::string& programFolder);
// url: "https://…"; opens it in the web browser, or says that it cannot.
void OpenWebPage(const std::string& url);
