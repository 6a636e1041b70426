#include "dialogs/CDlgExecutables.h"

#include "platform/ExecutableDir.h"
#include "platform/Messages.h"
#include "platform/WaitCursor.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {
const int kNameIds[CDlgExecutables::kRows] = {963, 967, 982, 990, 996};
const int kRunIds[CDlgExecutables::kRows] = {973, 978, 986, 993, 1000};
}  // namespace

CDlgExecutables::CDlgExecutables(QWidget* owner)
  : AnchoredDialog(owner, QSize(341, 264)), m_ProgramFolder(platform::ExecutableDir())
{
  setObjectName(QStringLiteral("CDlgExecutables"));
  setWindowTitle(QStringLiteral("Executables"));
  const platform::WaitCursor busy;
  BuildRows();
  ReadList();
}

void CDlgExecutables::BuildRows()
{
  auto* grid = new QGridLayout(this);
  for (int row = 0; row < kRows; ++row) {
    m_NameEdits[row] = new QLineEdit(this);
    m_NameEdits[row]->setReadOnly(true);
    m_NameEdits[row]->setObjectName(QStringLiteral("IDC_EDIT_EXECUTABLE%1").arg(row + 1));
    m_NameEdits[row]->setProperty("controlId", kNameIds[row]);
    grid->addWidget(m_NameEdits[row], row, 0);
    m_RunButtons[row] = new QPushButton(QStringLiteral("Run"), this);
    m_RunButtons[row]->setObjectName(QStringLiteral("IDC_BUTTON_RUN%1").arg(row + 1));
    m_RunButtons[row]->setProperty("controlId", kRunIds[row]);
    m_RunButtons[row]->setAutoDefault(false);
    grid->addWidget(m_RunButtons[row], row, 1);
    connect(m_RunButtons[row], &QPushButton::clicked, this, [this, row] { RunExecutable(row); });
  }
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName(QStringLiteral("IDCANCEL"));
  close->setProperty("controlId", 2);
  // The rows keep to the top and "Close" to the bottom-right corner as the dialog grows.
  grid->setRowStretch(kRows, 1);
  grid->addWidget(close, kRows, 1, Qt::AlignBottom);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void CDlgExecutables::ReadList()
{
  const int result = m_List.Read(m_ProgramFolder + "/Executables.xml");
  if (result == -1)
    platform::ShowMessage("File error: 'Executables'");
  else if (result == -2)
    platform::ShowMessage("This is not a 'Executables' xml file.");
  else if (result == -3)
    platform::ShowMessage("The XML version is lower than 4.0.0.");
  // Without a list there is nothing a "Run" button could start.
  const int shown = m_List.loaded ? std::min(m_List.GetCount(), kRows) : 0;
  for (int row = 0; row < kRows; ++row) {
    if (row < shown)
      m_NameEdits[row]->setText(QString::fromStdString(m_List.GetName(row)));
    m_RunButtons[row]->setEnabled(row < shown);
  }
}

void CDlgExecutables::RunExecutable(int k)
{
  if (!m_List.loaded || k < 0 || k >= m_List.GetCount())
    return;
  const platform::WaitCursor busy;
  if (runMode == kRunOnFolder) {
    RunOnFolder(m_List, k, m_ProgramFolder, folder);
    return;
  }
  std::string resultFolder;
  if (volume && !scanPath.empty() && RunOnScan(m_List, k, m_ProgramFolder, scanPath, *volume, resultFolder) &&
      onScanRun)
    onScanRun(resultFolder);
}
