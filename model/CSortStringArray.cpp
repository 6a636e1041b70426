#include "model/CSortStringArray.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

bool IsDigit(unsigned char c)
{
  return c >= '0' && c <= '9';
}

unsigned char LowerAscii(unsigned char c)
{
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// The leading chunk of text from position: a run of digits, or a run of other characters.
std::string_view NextChunk(std::string_view text, size_t& position)
{
  const size_t start = position;
  if (start >= text.size())
    return {};
  const bool digits = IsDigit(static_cast<unsigned char>(text[start]));
  while (position < text.size() && IsDigit(static_cast<unsigned char>(text[position])) == digits)
    ++position;
  return text.substr(start, position - start);
}

// A digit run's value, saturated at the largest 32-bit signed integer.
int64_t RunValue(std::string_view run)
{
  int64_t value = 0;
  for (const char c : run) {
    value = value * 10 + (c - '0');
    if (value > INT_MAX)
      return INT_MAX;
  }
  return value;
}

int CompareBytes(std::string_view a, std::string_view b)
{
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if (ca != cb)
      return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string Lowered(const std::string& text)
{
  std::string out(text);
  for (char& c : out)
    c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

int NaturalCompare(const std::string& a, const std::string& b)
{
  const std::string la = Lowered(a);
  const std::string lb = Lowered(b);
  size_t pa = 0, pb = 0;
  for (;;) {
    const std::string_view ca = NextChunk(la, pa);
    const std::string_view cb = NextChunk(lb, pb);
    if (ca.empty() && cb.empty())
      return 0;
    const bool bothDigits = !ca.empty() && !cb.empty() && IsDigit(static_cast<unsigned char>(ca[0])) &&
                            IsDigit(static_cast<unsigned char>(cb[0]));
    int order;
    if (bothDigits) {
      const int64_t va = RunValue(ca), vb = RunValue(cb);
      order = va == vb ? 0 : (va < vb ? -1 : 1);
    } else {
      order = CompareBytes(ca, cb);
    }
    if (order != 0)
      return order;
  }
}

void CSortStringArray::SortNatural()
{
  // The comparison is a strict weak order, so a stable sort gives the same order as
  // repeated passes of neighbour swaps, in n log n.
  std::stable_sort(m_Items.begin(), m_Items.end(),
                   [](const std::string& a, const std::string& b) { return NaturalCompare(a, b) < 0; });
}

int CSortStringArray::SwapIfGreater(int index)
{
  std::string& a = m_Items.at(static_cast<size_t>(index));
  std::string& b = m_Items.at(static_cast<size_t>(index) + 1);
  if (NaturalCompare(a, b) <= 0)
    return 0;
  std::swap(a, b);
  return 1;
}
