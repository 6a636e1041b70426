#include "data/BScanDepthRows.h"

#include "data/BinaryReader.h"
#include "data/XmlFile.h"

namespace {

constexpr std::string_view kBScanTag = "<bscan";
constexpr std::string_view kBScanEnd = "</bscan>";
constexpr std::string_view kYOpen = "<y>";
constexpr std::string_view kYClose = "</y>";
// Nine digits at most: every such number is the same int however it is read.
constexpr size_t kMaxDigits = 9;

// The characters the XML parser takes into an element name.
bool IsNameChar(char c)
{
  const auto u = static_cast<unsigned char>(c);
  return u >= 128 || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == ':' ||
         c == '_' || c == '.' || c == '-';
}

bool IsBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Reads the plain content of a B-scan whose "<bscan>" ends just before `at`: its depths are
// appended and the position just after its "</bscan>" is returned; 0 (depths as they were)
// when the content is anything else.
size_t ReadPlainBScan(std::string_view text, size_t at, std::vector<int32_t>& depths)
{
  const size_t before = depths.size();
  for (;;) {
    while (at < text.size() && IsBlank(text[at]))
      ++at;
    if (text.compare(at, kBScanEnd.size(), kBScanEnd) == 0 && depths.size() > before)
      return at + kBScanEnd.size();
    if (text.compare(at, kYOpen.size(), kYOpen) != 0)
      break;
    at += kYOpen.size();
    const bool negative = at < text.size() && text[at] == '-';
    at += negative ? 1 : 0;
    int64_t value = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && digits <= kMaxDigits; ++at, ++digits)
      value = value * 10 + (text[at] - '0');
    if (digits == 0 || digits > kMaxDigits || text.compare(at, kYClose.size(), kYClose) != 0)
      break;
    at += kYClose.size();
    depths.push_back(static_cast<int32_t>(negative ? -value : value));
  }
  depths.resize(before);
  return 0;
}

// Every element of the tree in document order.
template <typename Visit>
void VisitElements(const tinyxml2::XMLNode& node, Visit& visit)
{
  for (const tinyxml2::XMLElement* e = node.FirstChildElement(); e; e = e->NextSiblingElement()) {
    visit(*e);
    VisitElements(*e, visit);
  }
}

}  // namespace

std::string BScanDepthRows::TakeRows(std::string_view text)
{
  Clear();
  std::string compact;
  size_t copied = 0;
  for (size_t tag = text.find(kBScanTag); tag != std::string_view::npos; tag = text.find(kBScanTag, tag + 1)) {
    const size_t afterName = tag + kBScanTag.size();
    if (afterName < text.size() && IsNameChar(text[afterName]))
      continue;  // another element whose name begins the same way
    Taken bscan;
    if (afterName < text.size() && text[afterName] == '>') {
      bscan.first = m_Depths.size();
      if (const size_t end = ReadPlainBScan(text, afterName + 1, m_Depths)) {
        bscan.taken = true;
        bscan.count = m_Depths.size() - bscan.first;
        if (compact.empty())
          compact.reserve(text.size() / 8);
        compact.append(text.substr(copied, tag - copied));
        compact.append("<bscan/>");
        copied = end;
        tag = end - 1;
      }
    }
    m_BScans.push_back(bscan);
  }
  compact.append(text.substr(copied));
  return compact;
}

bool BScanDepthRows::Bind(const tinyxml2::XMLDocument& document)
{
  m_Elements.clear();
  size_t next = 0;
  bool matches = true;
  auto visit = [&](const tinyxml2::XMLElement& element) {
    if (std::string_view(element.Name()) != "bscan")
      return;
    if (next >= m_BScans.size()) {
      matches = false;
      return;
    }
    if (m_BScans[next].taken)
      m_Elements.emplace(&element, next);
    ++next;
  };
  VisitElements(document, visit);
  if (matches && next == m_BScans.size())
    return true;
  Clear();
  return false;
}

BScanDepthRows::Row BScanDepthRows::RowOf(const tinyxml2::XMLElement* bscan) const
{
  const auto found = m_Elements.find(bscan);
  if (found == m_Elements.end())
    return {};
  const Taken& taken = m_BScans[found->second];
  return {m_Depths.data() + taken.first, taken.count};
}

void BScanDepthRows::Clear()
{
  m_Depths.clear();
  m_BScans.clear();
  m_Elements.clear();
}

int LoadTakingDepthRows(tinyxml2::XMLDocument& document, const std::string& path, BScanDepthRows& rows,
                        uint64_t largest)
{
  try {
    std::string compact;
    {
      std::string text;
      if (binary::ReadWholeFile(path, text, largest))
        compact = rows.TakeRows(text);
    }
    if (!compact.empty() && document.Parse(compact.data(), compact.size()) == tinyxml2::XML_SUCCESS &&
        rows.Bind(document))
      return 0;
  } catch (const std::bad_alloc&) {
  }
  // Whatever went wrong, the plain load reads the file again and says why it fails, in the
  // words it always used.
  rows.Clear();
  document.Clear();
  return xmlfile::Load(document, path, largest);
}
