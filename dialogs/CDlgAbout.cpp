#include "dialogs/CDlgAbout.h"

#include "dialogs/HelpDocument.h"
#include "dialogs/LStatic.h"
#include "platform/DialogUnits.h"
#include "platform/ExecutableDir.h"
#include "platform/WaitCursor.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>

namespace {

const char* const kProgramPageUrl = "https://www.strataview.org/vamo-reference-algorithms/";
const char* const kSecondSiteUrl = "https://www.octreference.org/";
const char* const kMakerSiteUrl = "https://www.strataview.org/";
const QSize kTemplateSize(374, 283);    // dialog units
const QSize kMinimumWindow(764, 384);   // pixels, frame included

// The pictures are drawn here: a name on a coloured plate.
QPixmap Picture(QSize size, const char* caption)
{
  QPixmap picture(size);
  picture.fill(QColor(0, 90, 160));
  QPainter painter(&picture);
  painter.setPen(Qt::white);
  // A quarter of the height, smaller where a word would not fit across: a word is never cut.
  QFont font = painter.font();
  int pixels = size.height() / 4;
  font.setPixelSize(pixels);
  const int room = size.width() * 9 / 10;
  for (const QString& word : QString::fromLatin1(caption).split(QLatin1Char(' ')))
    while (pixels > 6 && QFontMetrics(font).horizontalAdvance(word) > room)
      font.setPixelSize(--pixels);
  painter.setFont(font);
  painter.drawText(picture.rect(), Qt::AlignCenter | Qt::TextWordWrap, QString::fromLatin1(caption));
  return picture;
}

}  // namespace

CDlgAbout::CDlgAbout(QWidget* parent) : AnchoredDialog(parent, kMinimumWindow)
{
  setObjectName(QStringLiteral("CDlgAbout"));
  setWindowTitle(QStringLiteral("About"));
  const platform::WaitCursor busy;
  const DialogUnits du;
  resize(du.X(kTemplateSize.width()), du.Y(kTemplateSize.height()));

  m_ProgramPage = AddPicture(kProgramPage, "IDC_BUTTON_LINK_PROGRAM", du.Rect(7, 7, 64, 64), QSize(128, 128),
                             "Strataview", "Strataview");
  m_Credits = new QLabel(this);
  m_Credits->setObjectName(QStringLiteral("IDC_STATIC_CREDITS"));
  m_Credits->setProperty("controlId", kCredits);
  m_Credits->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  m_Credits->setGeometry(du.Rect(77, 11, 284, 43));
  m_Note = new LStatic(this);
  m_Note->setObjectName(QStringLiteral("IDC_STATIC_NOTE"));
  m_Note->setProperty("controlId", kNote);
  m_Note->setText(QStringLiteral("A new coordinate system for output data is used from version 3.8.0. "
                                 "Please click 'Help' button for more information."));
  m_Note->setGeometry(du.Rect(7, 207, 360, 8));
  m_SecondSite = AddPicture(kSecondSite, "IDC_BUTTON_LINK_SECOND", du.Rect(7, 219, 114, 38), QSize(225, 75),
                            "OCT Reference", "OCT Reference");
  m_MakerSite = AddPicture(kMakerSite, "IDC_BUTTON_LINK_MAKER", du.Rect(221, 219, 146, 38), QSize(289, 75),
                           "Strataview developers", "Strataview developers");
  m_Help = new QPushButton(QStringLiteral("Help"), this);
  m_Help->setObjectName(QStringLiteral("IDC_BUTTON_HELP"));
  m_Help->setProperty("controlId", kHelp);
  m_Help->setGeometry(du.Rect(7, 262, 50, 14));
  m_Help->setShortcut(QKeySequence(Qt::Key_F1));
  m_Help->setToolTip(QStringLiteral("Help (F1)"));
  m_Close = new QPushButton(QStringLiteral("Close"), this);
  m_Close->setObjectName(QStringLiteral("IDCANCEL"));
  m_Close->setProperty("controlId", kClose);
  m_Close->setGeometry(du.Rect(317, 262, 50, 14));
  m_Close->setDefault(true);

  connect(m_ProgramPage, &QToolButton::clicked, this, &CDlgAbout::OnLinkProgramPage);
  connect(m_SecondSite, &QToolButton::clicked, this, &CDlgAbout::OnLinkSecondSite);
  connect(m_MakerSite, &QToolButton::clicked, this, &CDlgAbout::OnLinkMakerSite);
  connect(m_Help, &QPushButton::clicked, this, &CDlgAbout::OnHelp);
  connect(m_Close, &QPushButton::clicked, this, &CDlgAbout::reject);

  AnchorControls();
  exeFolder = platform::ExecutableDir();
  while (exeFolder.size() > 1 && exeFolder.back() == '/')
    exeFolder.pop_back();
  m_Note->SetBackgroundColor(0x00FF00);
}

QToolButton* CDlgAbout::AddPicture(int id, const char* name, const QRect& place, QSize picture,
                                   const char* caption, const char* tip)
{
  auto* button = new QToolButton(this);
  button->setObjectName(QString::fromLatin1(name));
  button->setProperty("controlId", id);
  button->setAutoRaise(true);
  button->setIcon(QIcon(Picture(picture, caption)));
  button->setIconSize(place.size());
  button->setToolTip(QString::fromLatin1(tip));
  button->setGeometry(place);
  return button;
}

// The second-site picture follows the bottom edge with the note, "Help" and "Close" beside
// it; left in place it would be covered by them, or cut off, when the box is made lower.
void CDlgAbout::AnchorControls()
{
  Anchoring().Add(m_Credits, AnchorRules::kStretchAcross);
  Anchoring().Add(m_Note, AnchorRules::kBottomAcross);
  Anchoring().Add(m_SecondSite, AnchorRules::kBottomLeft);
  Anchoring().Add(m_MakerSite, AnchorRules::kBottomRight);
  Anchoring().Add(m_Close, AnchorRules::kBottomRight);
  Anchoring().Add(m_Help, AnchorRules::kBottomLeft);
  RecordLayout();
}

void CDlgAbout::showEvent(QShowEvent* event)
{
  m_Credits->setText(QString::fromStdString(creditsText));
  AnchoredDialog::showEvent(event);
}

void CDlgAbout::OnHelp()
{
  OpenHelpDocument(exeFolder);
}

void CDlgAbout::OnLinkProgramPage()
{
  OpenWebPage(kProgramPageUrl);
}

void CDlgAbout::OnLinkSecondSite()
{
  OpenWebPage(kSecondSiteUrl);
}

void CDlgAbout::OnLinkMakerSite()
{
  OpenWebPage(kMakerSiteUrl);
}
