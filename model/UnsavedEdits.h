#pragma once
// Which result kinds the user has changed in the panes since they were last saved or read:
// the edits that must not be dropped without a question. Only the kinds the panes edit are
// ever marked (Surfaces, with its undefined region, GridCenter, Vessel, SEAD, Markers and
// Splines); whoever shows the state hears of every change.
#include "model/ResultKind.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

class UnsavedEdits {
public:
  // Told after every change, with whether any kind is left unsaved.
  using Listener = std::function<void(bool anyUnsaved)>;
  void SetListener(Listener listener) { m_Listener = std::move(listener); }

  void Mark(ResultKind kind) { Set(kind, true); }
  void Clear(ResultKind kind) { Set(kind, false); }
  void ClearAll();
  bool Has(ResultKind kind) const { return m_Edited[static_cast<size_t>(kind)]; }
  bool Any() const;
  // Those of `kinds` that hold unsaved edits, in loading order.
  std::vector<ResultKind> Among(const std::vector<ResultKind>& kinds) const;

private:
  void Set(ResultKind kind, bool edited);

  std::array<bool, kResultKindCount> m_Edited{};
  Listener m_Listener;
};

// The kinds the panes edit, in loading order.
const std::vector<ResultKind>& EditableKinds();
// The question asked before the unsaved edits of `kinds` would be dropped, naming each kind.
std::string UnsavedEditsQuestion(const std::vector<ResultKind>& kinds);
