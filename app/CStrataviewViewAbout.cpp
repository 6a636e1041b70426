// The About box, run from the menu panel with the program's credits.
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgAbout.h"
#include "model/HeaderStrings.h"
#include "platform/Dialogs.h"

#include <QAbstractButton>

void CStrataviewView::ConnectAboutButton()
{
  connect(m_MenuPanel->Button(CDlgMenu::kAbout), &QAbstractButton::clicked, this, [this] { RunAboutDialog(); });
}

void CStrataviewView::RunAboutDialog()
{
  const auto& h = kHeaderStrings;
  CDlgAbout about;
  about.creditsText = "Vamo Reference Algorithms\n" + h[1] + ", Version: " + h[2] + ", Date: " + h[3] +
                      "\nA viewer and editor of retinal OCT volumes\n" + h[5] + "\n" + h[6];
  platform::RunModal(about);
}
