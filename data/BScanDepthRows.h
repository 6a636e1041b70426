#pragma once
// The depth rows of a surfaces or reference-surface file taken straight from its text. A
// B-scan written the plain way ("y" elements holding a whole number, with white space
// between them and nothing else) is emptied to "<bscan/>" before the XML parser sees the
// text, and its depths are kept here: the parser then builds a tree of a few thousand nodes
// instead of two per A-scan. Every other B-scan stays in the text for the parser, and the
// depths are matched to the parsed "bscan" elements only when the two correspond one to one
// in document order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <tinyxml2.h>

class BScanDepthRows {
public:
  struct Row {
    const int32_t* depths = nullptr;
    size_t count = 0;
  };

  // The text with every plain B-scan emptied; their depths are kept in text order.
  std::string TakeRows(std::string_view text);
  // Ties the kept rows to the document's "bscan" elements; false, with nothing kept, when
  // the document's elements are not exactly the B-scans the text was seen to hold (one
  // written inside a comment, for instance).
  bool Bind(const tinyxml2::XMLDocument& document);
  // The depths of a B-scan taken out of the text; a row of no depths for any other element.
  Row RowOf(const tinyxml2::XMLElement* bscan) const;
  void Clear();

private:
  struct Taken {
    bool taken = false;
    size_t first = 0;  // into m_Depths
    size_t count = 0;
  };
  std::vector<int32_t> m_Depths;
  std::vector<Taken> m_BScans;  // every "bscan" start tag of the text, in order
  std::unordered_map<const tinyxml2::XMLElement*, size_t> m_Elements;
};

// Loads a result file as xmlfile::Load does (the same results and messages), emptying its
// plain B-scans into rows on the way.
[[nodiscard]] int LoadTakingDepthRows(tinyxml2::XMLDocument& document, const std::string& path,
                                      BScanDepthRows& rows, uint64_t largest);
