#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgOpen.h"

#include <QAbstractButton>

void CStrataviewView::CreateOpenDialog()
{
  // Hidden until the menu's Open shows it; showing it resets nothing.
  m_OpenDialog = new CDlgOpen(*this);
  m_OpenDialog->OnInitDialog();
  connect(m_MenuPanel->Button(CDlgMenu::kOpen), &QAbstractButton::clicked, this, [this] {
    m_OpenDialog->show();
    m_OpenDialog->raise();
    m_OpenDialog->activateWindow();
  });
}
