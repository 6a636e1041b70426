#include "data/XmlWriter.h"

#include "data/AtomicFile.h"
#include "data/Diagnostics.h"
#include "data/FileApproval.h"
#include "data/NumberText.h"

#include <cerrno>
#include <charconv>
#include <cstdarg>
#include <cstring>
#include <tinyxml2.h>
#include <vector>

// tinyxml2's own printer decides every byte (indentation, line breaks, escaping, "<name/>");
// this one only collects its output in large pieces for the file, where the library's would
// go through stdio a character at a time.
class XmlWriter::Printer final : public tinyxml2::XMLPrinter {
public:
  explicit Printer(AtomicFile& file) : m_File(file), m_Chunk(kChunkSize) {}

  // A failed write is remembered by the file and answered by its commit.
  void Flush()
  {
    (void)m_File.Write(m_Chunk.data(), m_Used);
    m_Used = 0;
  }

protected:
  void Write(const char* data, size_t size) override
  {
    if (size > kChunkSize - m_Used) {
      Flush();
      if (size > kChunkSize) {
        (void)m_File.Write(data, size);
        return;
      }
    }
    std::memcpy(m_Chunk.data() + m_Used, data, size);
    m_Used += size;
  }

  void Putc(char c) override
  {
    if (m_Used == kChunkSize)
      Flush();
    m_Chunk[m_Used++] = c;
  }

  void PrintSpace(int depth) override
  {
    for (int i = 0; i < depth; ++i)
      Write("    ", 4);
  }

  // The library's printf-style output; without this it would land in its own buffer.
  void Print(const char* format, ...) override
  {
    va_list args;
    va_start(args, format);
    const std::string text = numtext::FormatList(format, args);
    va_end(args);
    Write(text.data(), text.size());
  }

private:
  static constexpr size_t kChunkSize = size_t(1) << 18;

  AtomicFile& m_File;
  std::vector<char> m_Chunk;
  size_t m_Used = 0;
};

XmlWriter::XmlWriter(AtomicFile& file) : m_Printer(std::make_unique<Printer>(file)) {}

XmlWriter::~XmlWriter() = default;

void XmlWriter::Flush()
{
  m_Printer->Flush();
}

void XmlWriter::Declaration()
{
  m_Printer->PushDeclaration("xml version=\"1.0\" encoding=\"UTF-8\"");
}

void XmlWriter::Open(const char* name)
{
  m_Printer->OpenElement(name);
}

void XmlWriter::Close()
{
  m_Printer->CloseElement();
}

void XmlWriter::Text(const char* name, const char* text)
{
  m_Printer->OpenElement(name);
  if (*text)
    m_Printer->PushText(text);
  m_Printer->CloseElement();
}

void XmlWriter::Text(const char* name, const std::string& text)
{
  m_Printer->OpenElement(name);
  if (!text.empty())
    m_Printer->PushText(text.c_str());
  m_Printer->CloseElement();
}

void XmlWriter::Int(const char* name, int value)
{
  char text[16];
  *std::to_chars(text, text + sizeof text - 1, value).ptr = '\0';
  Text(name, text);
}

void XmlWriter::Float(const char* name, float value)
{
  std::string text;
  numtext::AppendFixed(text, static_cast<double>(value), 6);
  Text(name, text);
}

int WriteXmlFile(const std::string& path, const std::function<void(XmlWriter&)>& write)
{
  // Root ignores the missing write bits, and a rename would replace a read-only file
  // anyway: an approved file is refused here, as a write-protected file would be.
  if (!approval::MayOverwrite(path)) {
    diag::ReportOpenFailure(path, EACCES);
    return -1;
  }
  AtomicFile file(path, writetarget::WriteOrigin::kUser);
  if (file.IsOpen()) {
    XmlWriter out(file);
    write(out);
    out.Flush();
  }
  if (!file.Commit()) {
    diag::ReportFileFailure(file.Failure().path.string(), file.Failure().reason);
    return -1;
  }
  return 0;
}
