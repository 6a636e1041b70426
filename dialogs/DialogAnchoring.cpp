#include "dialogs/DialogAnchoring.h"

void DialogAnchoring::Add(QWidget* control, const AnchorRule& rule)
{
  m_Entries.push_back({control, rule, {}});
}

void DialogAnchoring::Record(const QSize& client)
{
  for (Entry& entry : m_Entries)
    if (entry.control)
      entry.record = RecordAnchor(entry.control->geometry(), client);
  m_Recorded = true;
}

void DialogAnchoring::Apply(const QSize& client) const
{
  if (!m_Recorded)
    return;
  for (const Entry& entry : m_Entries)
    if (entry.control)
      entry.control->setGeometry(ResolveAnchor(entry.rule, entry.record, client));
}

void SetMinimumWindowSize(QWidget& window, const QSize& windowSize)
{
  const QSize frame = window.frameGeometry().size() - window.size();
  window.setMinimumSize(windowSize.boundedTo(windowSize - frame).expandedTo(QSize(0, 0)));
}
