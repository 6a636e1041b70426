#pragma once
// The About box: the credits text the opener composes, a coloured note on the output
// coordinate system, three pictures that open web pages, "Help" for the help document
// beside the program, and "Close". It can be resized; its controls follow its edges.
#include "dialogs/AnchoredDialog.h"

#include <string>

class LStatic;
class QLabel;
class QPushButton;
class QToolButton;

class CDlgAbout : public AnchoredDialog {
  Q_OBJECT
public:
  enum ControlId { kProgramPage = 970, kCredits = 1195, kNote = 1199, kSecondSite = 1137, kMakerSite = 1136,
                   kHelp = 1198, kClose = 2 };

  explicit CDlgAbout(QWidget* parent = nullptr);

  // The folder of the program, without a trailing "/"; "Help.pdf" is looked for there.
  std::string exeFolder;
  // Shown at the top; the opener sets it before the dialog runs.
  std::string creditsText;

  // Opens the help document, or says that it is missing or cannot be opened.
  void OnHelp();
  void OnLinkProgramPage();
  void OnLinkSecondSite();
  void OnLinkMakerSite();

protected:
  void showEvent(QShowEvent* event) override;

private:
  QToolButton* AddPicture(int id, const char* name, const QRect& place, QSize picture, const char* caption,
                          const char* tip);
  void AnchorControls();

  QLabel* m_Credits = nullptr;  // children owned by Qt through the dialog
  LStatic* m_Note = nullptr;
  QToolButton* m_ProgramPage = nullptr;
  QToolButton* m_SecondSite = nullptr;
  QToolButton* m_MakerSite = nullptr;
  QPushButton* m_Help = nullptr;
  QPushButton* m_Close = nullptr;
};
