#include "data/VertexWelder.h"

#include <cstring>
#include <utility>

namespace {

void KeyOf(const float position[3], uint32_t key[3])
{
  for (int i = 0; i < 3; ++i) {
    const float value = position[i] + 0.0f;  // -0 and +0 are equal positions: one key
    std::memcpy(&key[i], &value, sizeof value);
  }
}

uint64_t Hash(const uint32_t key[3])
{
  uint64_t h = key[0] * 0x9E3779B97F4A7C15ull;
  h ^= key[1] * 0xC2B2AE3D27D4EB4Full;
  h ^= key[2] * 0x165667B19E3779F9ull;
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  return h ^ (h >> 32);
}

bool SameKey(const uint32_t a[3], const uint32_t b[3])
{
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

}  // namespace

int32_t VertexWelder::Find(const float position[3], bool mayBeInPreviousSlab) const
{
  uint32_t key[3];
  KeyOf(position, key);
  const int32_t previous = mayBeInPreviousSlab ? m_Previous.Find(key) : -1;
  return previous >= 0 ? previous : m_Current.Find(key);
}

void VertexWelder::Add(const float position[3], int32_t vertex)
{
  uint32_t key[3];
  KeyOf(position, key);
  m_Current.Insert(key, vertex);
}

void VertexWelder::NextSlab()
{
  std::swap(m_Previous, m_Current);
  m_Current.Clear();
}

size_t VertexWelder::Table::SlotOf(const uint32_t key[3]) const
{
  const size_t mask = m_Slots.size() - 1;
  size_t slot = Hash(key) & mask;
  while (m_Slots[slot].vertex >= 0 && !SameKey(m_Slots[slot].key, key))
    slot = (slot + 1) & mask;
  return slot;
}

int32_t VertexWelder::Table::Find(const uint32_t key[3]) const
{
  if (m_Used.empty())
    return -1;
  return m_Slots[SlotOf(key)].vertex;
}

void VertexWelder::Table::Insert(const uint32_t key[3], int32_t vertex)
{
  if (2 * (m_Used.size() + 1) > m_Slots.size())
    Grow();
  const size_t slot = SlotOf(key);
  if (m_Slots[slot].vertex < 0)
    m_Used.push_back(slot);
  m_Slots[slot] = Entry{{key[0], key[1], key[2]}, vertex};
}

void VertexWelder::Table::Clear()
{
  for (const size_t slot : m_Used)
    m_Slots[slot].vertex = -1;
  m_Used.clear();
}

void VertexWelder::Table::Grow()
{
  std::vector<Entry> old;
  old.swap(m_Slots);
  m_Slots.assign(old.empty() ? 1024 : 2 * old.size(), Entry{{0, 0, 0}, -1});
  m_Used.clear();
  for (const Entry& entry : old)
    if (entry.vertex >= 0) {
      const size_t slot = SlotOf(entry.key);
      m_Slots[slot] = entry;
      m_Used.push_back(slot);
    }
}
