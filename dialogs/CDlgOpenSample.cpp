// The open dialog's Sample tab: the tree of sample scans, and opening one, downloaded first
// when the "Sample" folder in the user's data folder holds no good copy.
#include "dialogs/CDlgOpen.h"
#include "dialogs/CWebGrab.h"
#include "dialogs/SampleFileTable.h"
#include "dialogs/ScanActions.h"
#include "platform/DialogUnits.h"
#include "platform/Messages.h"
#include "platform/UserDataFolder.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kRootText = "Sample";

// The tree's file items under their makers, in the tree's order; `file` is the name
// downloaded for the item, and the item is recognised by the maker and that name in its text.
struct SampleItem {
  const char* vendor;
  const char* text;
  const char* file;
};

const SampleItem kSampleItems[] = {
  {"Carl Zeiss Meditec, Inc.", "Zeiss_Macula.img (39.0 MB)", "Zeiss_Macula.img"},
  {"Carl Zeiss Meditec, Inc.", "Zeiss_Macula2.mhd, Zeiss_Macula2.raw (39.0 MB)", "Zeiss_Macula2.mhd"},
  {"Carl Zeiss Meditec, Inc.", "Zeiss_Macula3.tif (39.0 MB)", "Zeiss_Macula3.tif"},
  {"Carl Zeiss Meditec, Inc.", "Zeiss_ONH.img (39.0 MB)", "Zeiss_ONH.img"},
  {"Topcon", "Topcon_Macula.fds (131.0 MB)", "Topcon_Macula.fds"},
  {"Topcon", "Topcon_ONH.fds (131.0 MB)", "Topcon_ONH.fds"},
  {"Heidelberg Engineering", "Heidelberg_Macula.vol (91.8 MB)", "Heidelberg_Macula.vol"},
  {"Heidelberg Engineering", "Heidelberg_ONH.vol (91.8 MB)", "Heidelberg_ONH.vol"},
};

const char* const kDownloadFailed =
  "Download unsuccessful! Please check your internet connection or 'Sample URL' in 'Options' dialog box.";

// A stalled server is given up after this long without data, and a slow one when it sends
// less than the minimum rate for as long; whatever the server does, a sample's download ends
// within the time its size takes at that rate, after a minute for the connection.
constexpr uint32_t kReceiveTimeoutMs = 60000;
constexpr DownloadPace kSamplePace{32 * 1024, std::chrono::milliseconds(kReceiveTimeoutMs),
                                   std::chrono::milliseconds(60000)};

// The file name for the item text under the maker, "" when no sample matches.
std::string SampleFileFor(const std::string& vendor, const std::string& itemText)
{
  for (const SampleItem& item : kSampleItems)
    if (vendor == item.vendor && itemText.find(item.file) != std::string::npos)
      return item.file;
  return std::string();
}

bool EndsWith(const std::string& text, const std::string& tail)
{
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A file whose size cannot be read counts as empty.
uint64_t SizeOf(const fs::path& path)
{
  std::error_code error;
  const uintmax_t size = fs::file_size(path, error);
  return error ? 0 : static_cast<uint64_t>(size);
}

void Remove(const fs::path& path)
{
  std::error_code ignored;
  fs::remove(path, ignored);
}

QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const char* text, QStyle::StandardPixmap image)
{
  auto* item = new QTreeWidgetItem(parent, QStringList(QString::fromLatin1(text)));
  item->setIcon(0, QApplication::style()->standardIcon(image));
  return item;
}

}  // namespace

void CDlgOpen::CreateSampleControls()
{
  const DialogUnits du;
  m_SampleTree = new QTreeWidget(this);
  m_SampleTree->setObjectName(QStringLiteral("IDC_TREE_SAMPLE"));
  m_SampleTree->setProperty("controlId", 904);
  m_SampleTree->setGeometry(du.Rect(7, 19, 436, 305));
  m_SampleTree->setHeaderHidden(true);
  m_SampleTree->setColumnCount(1);
  m_SampleTree->setIconSize(QSize(16, 16));
  connect(m_SampleTree, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { OnSelChangedSampleTree(current); });
  m_SampleStatus = new QLabel(this);
  m_SampleStatus->setObjectName(QStringLiteral("IDC_STATIC_STATUS"));
  m_SampleStatus->setTextFormat(Qt::PlainText);
  m_SampleStatus->setGeometry(du.Rect(7, 327, 384, 11));
  m_CancelDownload = new QPushButton(QStringLiteral("Cancel"), this);
  m_CancelDownload->setObjectName(QStringLiteral("IDC_BUTTON_CANCEL_DOWNLOAD"));
  m_CancelDownload->setGeometry(du.Rect(393, 325, 50, 14));
  m_CancelDownload->hide();
  m_DownloadPace = kSamplePace;
}

void CDlgOpen::BuildSampleTree()
{
  const QSignalBlocker quiet(m_SampleTree);
  m_SampleTree->clear();
  m_SampleDepth = 0;
  auto* root = new QTreeWidgetItem(QStringList(QString::fromLatin1(kRootText)));
  root->setIcon(0, QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon));
  m_SampleTree->addTopLevelItem(root);
  QTreeWidgetItem* vendor = nullptr;
  for (const SampleItem& item : kSampleItems) {
    if (vendor == nullptr || vendor->text(0) != QLatin1String(item.vendor))
      vendor = AddItem(root, item.vendor, QStyle::SP_DirIcon);
    AddItem(vendor, item.text, QStyle::SP_FileIcon);
  }
  root->setExpanded(true);
}

void CDlgOpen::OnSelChangedSampleTree(QTreeWidgetItem* current)
{
  std::vector<std::string> texts;  // from the selected item up to the root
  for (QTreeWidgetItem* item = current; item != nullptr; item = item->parent()) {
    texts.push_back(item->text(0).toStdString());
    if (texts.back() == kRootText)
      break;
  }
  m_SampleDepth = static_cast<int>(std::min<size_t>(texts.size(), m_SamplePath.size()));
  for (int level = 0; level < m_SampleDepth; ++level)
    m_SamplePath[level] = texts[texts.size() - 1 - level];
  UpdateOpenButtons();
}

bool CDlgOpen::OpenSample()
{
  const std::string file = m_SampleDepth == 3 ? SampleFileFor(m_SamplePath[1], m_SamplePath[2]) : std::string();
  return !file.empty() && DownloadSample(file);
}

bool CDlgOpen::DownloadSample(const std::string& fileName)
{
  // Only the table's names are fetched and written, so nothing lands outside the folder.
  if (SampleFileSize(fileName) == 0) {
    platform::ShowMessage(kDownloadFailed);
    return false;
  }
  const fs::path folder = fs::path(platform::UserDataFolder()) / "Sample";
  const fs::path local = folder / fileName;
  // A MetaImage header comes with its data file; the two count only together.
  const std::string dataName = EndsWith(fileName, ".mhd") ? fileName.substr(0, fileName.size() - 4) + ".raw" : "";
  const fs::path data = dataName.empty() ? fs::path() : folder / dataName;
  m_SampleStatus->clear();

  const bool present = PassesSizeCheck(fileName, SizeOf(local)) &&
                       (dataName.empty() || PassesSizeCheck(dataName, SizeOf(data)));
  if (!present) {
    Remove(local);
    if (!dataName.empty())
      Remove(data);
    const Fetch fetched = FetchSample(folder.string(), fileName, dataName);
    if (fetched == Fetch::kFailed)
      platform::ShowMessage(kDownloadFailed);
    if (fetched != Fetch::kDone)
      return false;  // a cancelled download says so in the status line
  }
  return OpenScan(local.string());
}

CDlgOpen::Fetch CDlgOpen::FetchSample(const std::string& folder, const std::string& name, const std::string& dataName)
{
  std::error_code error;
  fs::create_directories(folder, error);  // an existing folder is fine; a failure shows at the first write
  const std::string url = m_Owner.Settings().SampleURL;
  const std::string local = (fs::path(folder) / name).string();
  CWebGrab grab;
  grab.SetReceiveTimeout(kReceiveTimeoutMs);
  grab.SetPace(m_DownloadPace);
  grab.SetCancelButton(m_CancelDownload);
  const auto failed = [&grab] { return grab.Cancelled() ? Fetch::kCancelled : Fetch::kFailed; };
  if (grab.DownloadToFile(url + name, nullptr, m_SampleStatus, local, SampleFileSize(name)) != 1)
    return failed();
  if (dataName.empty())
    return Fetch::kDone;
  const std::string data = (fs::path(folder) / dataName).string();
  if (grab.DownloadToFile(url + dataName, nullptr, m_SampleStatus, data, SampleFileSize(dataName)) == 1)
    return Fetch::kDone;
  Remove(local);  // a header without its data file is no sample
  return failed();
}
