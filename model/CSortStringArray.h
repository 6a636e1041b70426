#pragma once
// A list of texts (in practice file paths) that sorts itself in natural order: letter case
// does not matter and runs of digits compare by value, so scan2 comes before scan10.
#include <string>
#include <vector>

// <0, 0 or >0 as a is before, equal to or after b in natural order.
int NaturalCompare(const std::string& a, const std::string& b);

class CSortStringArray {
public:
  void Add(std::string text) { m_Items.push_back(std::move(text)); }
  void RemoveAll() { m_Items.clear(); }
  int GetSize() const { return static_cast<int>(m_Items.size()); }
  bool IsEmpty() const { return m_Items.empty(); }
  const std::string& GetAt(int index) const { return m_Items.at(static_cast<size_t>(index)); }
  const std::string& operator[](int index) const { return GetAt(index); }
  std::vector<std::string>::const_iterator begin() const { return m_Items.begin(); }
  std::vector<std::string>::const_iterator end() const { return m_Items.end(); }

  // Ascending natural order; equal elements keep their order.
  void SortNatural();
  // Swaps elements index and index + 1 when the first is greater: 1 if swapped, else 0.
  int SwapIfGreater(int index);

private:
  std::vector<std::string> m_Items;
};
