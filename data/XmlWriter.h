#pragma once
// Writes an XML file element by element, in the text tinyxml2 prints for a document
// (indented by four blanks a level, one element a line, entities escaped, an element
// without text closed as "<name/>"), straight into a safe write: no document is built
// first, so a large file costs neither the memory of its nodes nor a second pass.
#include <functional>
#include <memory>
#include <string>

class AtomicFile;
class XmlWriter;

// Replaces the file with what write() streams. -1 when the file is approved (nothing is
// written) or cannot be written in full, with the reason for the path on standard error
// and the old file untouched; 0 otherwise.
[[nodiscard]] int WriteXmlFile(const std::string& path, const std::function<void(XmlWriter&)>& write);

class XmlWriter {
public:
  // Element names are kept by pointer until their element is closed: pass literals.
  void Declaration();   // <?xml version="1.0" encoding="UTF-8"?>
  void Open(const char* name);
  void Close();
  // A whole element holding one text; an empty text writes the element without text.
  void Text(const char* name, const std::string& text);
  void Text(const char* name, const char* text);
  void Int(const char* name, int value);       // as "%d"
  void Float(const char* name, float value);   // as "%f", whatever the locale

  XmlWriter(const XmlWriter&) = delete;
  XmlWriter& operator=(const XmlWriter&) = delete;

private:
  friend int WriteXmlFile(const std::string& path, const std::function<void(XmlWriter&)>& write);
  class Printer;
  explicit XmlWriter(AtomicFile& file);
  ~XmlWriter();
  // Hands the text still held back to the file.
  void Flush();

  std::unique_ptr<Printer> m_Printer;
};
