#include "model/UnsavedEdits.h"

#include <algorithm>

void UnsavedEdits::Set(ResultKind kind, bool edited)
{
  bool& flag = m_Edited[static_cast<size_t>(kind)];
  if (flag == edited)
    return;
  flag = edited;
  if (m_Listener)
    m_Listener(Any());
}

void UnsavedEdits::ClearAll()
{
  if (!Any())
    return;
  m_Edited.fill(false);
  if (m_Listener)
    m_Listener(false);
}

bool UnsavedEdits::Any() const
{
  return std::find(m_Edited.begin(), m_Edited.end(), true) != m_Edited.end();
}

std::vector<ResultKind> UnsavedEdits::Among(const std::vector<ResultKind>& kinds) const
{
  std::vector<ResultKind> edited;
  for (const ResultKind kind : EditableKinds())
    if (Has(kind) && std::find(kinds.begin(), kinds.end(), kind) != kinds.end())
      edited.push_back(kind);
  return edited;
}

const std::vector<ResultKind>& EditableKinds()
{
  static const std::vector<ResultKind> kinds = {ResultKind::Surfaces, ResultKind::Vessel,  ResultKind::SEAD,
                                                ResultKind::GridCenter, ResultKind::Markers, ResultKind::Splines};
  return kinds;
}

std::string UnsavedEditsQuestion(const std::vector<ResultKind>& kinds)
{
  std::string names;
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (i > 0)
      names += i + 1 == kinds.size() ? " and " : ", ";
    names += std::string("'") + ResultKindName(kinds[i]) + "'";
  }
  return "The edits of " + names + " have not been saved.\nDo you want to save them before they are dropped?";
}
