// Sample scans fetched from a web folder served on 127.0.0.1 by a separate process, stored in
// the "Sample" folder of the user's data folder and opened in the view. No test reaches any
// other address.
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgOpen.h"
#include "dialogs/CWebGrab.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/LoopbackHttpServer.h"
#include "fixtures/SmallDisk.h"
#include "fixtures/TempDir.h"
#include "platform/ExecutableDir.h"
#include "platform/Messages.h"
#include "platform/Profile.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kDownloadFailed =
  "Download unsuccessful! Please check your internet connection or 'Sample URL' in 'Options' dialog box.";

constexpr uint64_t kZeissSize = 40960000;  // 200 A-scans x 1024 rows x 200 B-scans, one byte each

// A zero-filled file of `size` bytes (sparse, so that large sizes cost no disk).
void MakeFile(const fs::path& path, uint64_t size)
{
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).flush();
  fs::resize_file(path, size);
}

// The sample MetaImage header: a 200 x 1024 x 200 byte volume in its data file, padded to the
// 352 bytes the samples' table gives.
std::string MetaImageHeader()
{
  std::string header =
    "ObjectType = Image\nNDims = 3\nBinaryData = True\nBinaryDataByteOrderMSB = False\n"
    "ElementSpacing = 0.03 0.00195 0.03\nDimSize = 200 1024 200\nElementType = MET_UCHAR\n"
    "ElementDataFile = Zeiss_Macula2.raw\n";
  header.append(352 - header.size(), '\n');
  return header;
}

// Records every text the label shows when it is painted.
class PaintedTexts : public QObject {
public:
  explicit PaintedTexts(QLabel* label) : m_Label(label) { label->installEventFilter(this); }
  ~PaintedTexts() override { m_Label->removeEventFilter(this); }
  const std::vector<std::string>& Texts() const { return m_Texts; }
  bool Showed(const std::string& start) const
  {
    return std::any_of(m_Texts.begin(), m_Texts.end(),
                       [&start](const std::string& text) { return text.rfind(start, 0) == 0; });
  }

protected:
  bool eventFilter(QObject*, QEvent* event) override
  {
    if (event->type() == QEvent::Paint)
      m_Texts.push_back(m_Label->text().toStdString());
    return false;
  }

private:
  QLabel* m_Label;
  std::vector<std::string> m_Texts;
};

// Runs the action once, the first time the label is painted with a text that starts so.
class WhenShown : public QObject {
public:
  WhenShown(QLabel* label, std::string start, std::function<void()> action)
    : m_Label(label), m_Start(std::move(start)), m_Action(std::move(action))
  {
    label->installEventFilter(this);
  }
  ~WhenShown() override { m_Label->removeEventFilter(this); }

protected:
  bool eventFilter(QObject*, QEvent* event) override
  {
    if (event->type() == QEvent::Paint && m_Action && m_Label->text().toStdString().rfind(m_Start, 0) == 0)
      std::exchange(m_Action, nullptr)();
    return false;
  }

private:
  QLabel* m_Label;
  std::string m_Start;
  std::function<void()> m_Action;
};

// A click of the left button on the widget's centre, queued for the event loop.
void PostClick(QWidget* widget)
{
  const QPointF centre = QRectF(widget->rect()).center();
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
    QCoreApplication::postEvent(widget, new QMouseEvent(type, centre, widget->mapToGlobal(centre), Qt::LeftButton,
                                                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                        Qt::NoModifier));
}

class SampleDownloadTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    // Nothing may go through a proxy: the server is on this machine.
    for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      ::unsetenv(name);
    ::setenv("no_proxy", "*", 1);
    platform::Profile::SetFolderForTests(QString::fromStdString(m_Profile.Path().string()));
    ::setenv("XDG_DATA_HOME", m_Data.Path().c_str(), 1);
  }
  void TearDown() override
  {
    ::unsetenv("XDG_DATA_HOME");
    platform::SetExecutableDirForTests(STRATAVIEW_SOURCE_DIR "/res");
  }

  // A main window whose settings name `url` as the web folder of the samples, with the
  // program's folder a fresh one, which nothing may write into.
  std::unique_ptr<CMainFrame> Window(const std::string& url)
  {
    platform::Profile::WriteProfileString("ExeVersion", "3.8.0");  // keeps the stored settings
    platform::Profile::WriteProfileString("SampleURL", QString::fromStdString(url));
    platform::SetExecutableDirForTests(STRATAVIEW_SOURCE_DIR "/res");  // the grids the view loads first
    auto frame = std::make_unique<CMainFrame>();
    frame->View()->OnInitialUpdate();
    platform::SetExecutableDirForTests(m_Program.Path().string());
    return frame;
  }

  // Shows the open dialog, selects the sample tree's item with `text` and presses Open.
  static void OpenSample(CStrataviewView& view, const std::string& text)
  {
    view.MenuPanel()->Button(CDlgMenu::kOpen)->click();
    CDlgOpen& dialog = *view.OpenDialog();
    const QList<QTreeWidgetItem*> found =
      dialog.SampleTree()->findItems(QString::fromStdString(text), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1) << text;
    dialog.SampleTree()->setCurrentItem(found.front());
    ASSERT_TRUE(dialog.Button(CDlgOpen::kOpen)->isEnabled());
    dialog.Button(CDlgOpen::kOpen)->click();
  }

  fs::path SampleFolder() const { return m_Data.Path() / "strataview" / "Sample"; }
  // The names in the sample folder, temporary files included.
  std::vector<std::string> SampleFiles() const
  {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(SampleFolder(), error), end; !error && it != end; it.increment(error))
      names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<std::string> m_Messages;
  const platform::ScopedMessageHook m_Hook{[this](const std::string& text, unsigned) {
    m_Messages.push_back(text);
    return platform::kIdOk;
  }};
  TempDir m_Profile;
  TempDir m_Program;
  TempDir m_Data;  // the user's data folder
  TempDir m_Served;
};

TEST_F(SampleDownloadTest, ASampleIsDownloadedOpenedAndThenReusedUntilItsSizeIsWrong)
{
  MakeFile(m_Served.Path() / "Zeiss_Macula.img", kZeissSize);
  const LoopbackHttpServer server(m_Served.Path().string());
  ASSERT_TRUE(server.IsRunning());
  const auto frame = Window(server.Url());
  CStrataviewView& view = *frame->View();
  const fs::path local = SampleFolder() / "Zeiss_Macula.img";

  const PaintedTexts status(view.OpenDialog()->SampleStatus());
  OpenSample(view, "Zeiss_Macula.img (39.0 MB)");
  ASSERT_TRUE(m_Messages.empty()) << m_Messages.front();
  EXPECT_EQ(view.GetScanPath(), local.string());
  EXPECT_EQ(view.GetReadVolume().format, FormatZeiss);
  EXPECT_EQ(view.GetDisplayedVolume().sizeX, 200);
  EXPECT_EQ(view.GetDisplayedVolume().sizeZ, 200);
  EXPECT_EQ(fs::file_size(local), kZeissSize);
  EXPECT_EQ(SampleFiles(), std::vector<std::string>{"Zeiss_Macula.img"}) << "no temporary file is left";
  EXPECT_TRUE(fs::is_empty(m_Program.Path())) << "nothing is written beside the program";
  EXPECT_TRUE(view.OpenDialog()->isHidden()) << "Auto Hide";
  EXPECT_EQ(server.Requests(), std::vector<std::string>{"/Zeiss_Macula.img"});
  // The stages of the request and the bytes as they arrive were on screen, in this order.
  const char* const stages[] = {"Resolving name for 127.0.0.1", "Connecting to socket address ", "Request sent",
                                "Response received", "Read "};
  auto from = status.Texts().begin();
  for (const char* stage : stages) {
    from = std::find_if(from, status.Texts().end(), [stage](const std::string& t) { return t.rfind(stage, 0) == 0; });
    EXPECT_NE(from, status.Texts().end()) << stage;
  }
  EXPECT_TRUE(status.Showed("Read ")) << "bytes received of the size to come";
  EXPECT_TRUE(std::any_of(status.Texts().begin(), status.Texts().end(),
                          [](const std::string& t) { return t.find(" of 40960000 bytes") != std::string::npos; }));
  EXPECT_EQ(view.OpenDialog()->SampleStatus()->text().toStdString(), "") << "cleared once the file is in";

  OpenSample(view, "Zeiss_Macula.img (39.0 MB)");
  EXPECT_TRUE(m_Messages.empty());
  EXPECT_EQ(view.GetScanPath(), local.string());
  EXPECT_EQ(server.Requests().size(), 1u) << "a good copy is opened without asking the server";

  fs::resize_file(local, kZeissSize - 1);
  OpenSample(view, "Zeiss_Macula.img (39.0 MB)");
  EXPECT_TRUE(m_Messages.empty());
  EXPECT_EQ(server.Requests().size(), 2u) << "a copy one byte short is fetched again";
  EXPECT_EQ(fs::file_size(local), kZeissSize);
  EXPECT_EQ(view.GetScanPath(), local.string());
}

TEST_F(SampleDownloadTest, TheMetaImageSampleComesAsHeaderThenDataFileAndOnlyAsAPair)
{
  ASSERT_TRUE(fixtures::WriteText((m_Served.Path() / "Zeiss_Macula2.mhd").string(), MetaImageHeader()));
  MakeFile(m_Served.Path() / "Zeiss_Macula2.raw", kZeissSize);
  const LoopbackHttpServer server(m_Served.Path().string());
  ASSERT_TRUE(server.IsRunning());
  const auto frame = Window(server.Url());
  CStrataviewView& view = *frame->View();
  const std::string item = "Zeiss_Macula2.mhd, Zeiss_Macula2.raw (39.0 MB)";
  // A good header without its data file counts as no sample: both are fetched, header first.
  fs::create_directories(SampleFolder());
  ASSERT_TRUE(fixtures::WriteText((SampleFolder() / "Zeiss_Macula2.mhd").string(), MetaImageHeader()));

  OpenSample(view, item);
  ASSERT_TRUE(m_Messages.empty()) << m_Messages.front();
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/Zeiss_Macula2.mhd", "/Zeiss_Macula2.raw"}));
  EXPECT_EQ(view.GetScanPath(), (SampleFolder() / "Zeiss_Macula2.mhd").string());
  EXPECT_EQ(view.GetReadVolume().format, FormatMetaImage);
  EXPECT_EQ(view.GetDisplayedVolume().sizeY, 1024);
  EXPECT_EQ(SampleFiles(), (std::vector<std::string>{"Zeiss_Macula2.mhd", "Zeiss_Macula2.raw"}));

  // When the data file cannot be had, the header does not stay either.
  fs::remove(m_Served.Path() / "Zeiss_Macula2.raw");
  fs::remove(SampleFolder() / "Zeiss_Macula2.raw");
  OpenSample(view, item);
  EXPECT_EQ(m_Messages, std::vector<std::string>{kDownloadFailed});
  EXPECT_TRUE(SampleFiles().empty());
}

TEST_F(SampleDownloadTest, AFailedDownloadShowsTheMessageTheReasonAndLeavesNoFile)
{
  MakeFile(m_Served.Path() / "Zeiss_ONH.img", 1000);                  // too short
  MakeFile(m_Served.Path() / "Zeiss_Macula2.mhd", 400);               // too long
  MakeFile(m_Served.Path() / "folder" / "Zeiss_Macula.img", kZeissSize);
  MakeFile(m_Served.Path() / "Zeiss_Macula.img", kZeissSize);
  const LoopbackHttpServer server(m_Served.Path().string());
  ASSERT_TRUE(server.IsRunning());
  const struct {
    const char* what;
    std::string url;
    const char* item;
    const char* reason;  // part of the status text left on screen
  } cases[] = {
    {"served too short", server.Url(), "Zeiss_ONH.img (39.0 MB)", "Received 1000 bytes where 40960000"},
    {"served too long", server.Url(), "Zeiss_Macula2.mhd, Zeiss_Macula2.raw (39.0 MB)", "where 352 were expected"},
    {"not on the server", server.Url(), "Topcon_ONH.fds (131.0 MB)", "404"},
    {"URL without its closing slash", server.Url() + "folder", "Zeiss_Macula.img (39.0 MB)", "404"},
    {"not an HTTP URL", "file://" + m_Served.Path().string() + "/", "Zeiss_Macula.img (39.0 MB)", "file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    m_Messages.clear();
    const auto frame = Window(c.url);
    OpenSample(*frame->View(), c.item);
    EXPECT_EQ(m_Messages, std::vector<std::string>{kDownloadFailed});
    EXPECT_TRUE(SampleFiles().empty());
    EXPECT_TRUE(frame->View()->GetScanPath().empty());
    EXPECT_TRUE(frame->View()->OpenDialog()->isVisible()) << "a failure leaves the dialog open";
    EXPECT_NE(frame->View()->OpenDialog()->SampleStatus()->text().toStdString().find(c.reason), std::string::npos)
      << frame->View()->OpenDialog()->SampleStatus()->text().toStdString();
  }
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/Zeiss_ONH.img", "/Zeiss_Macula2.mhd", "/Topcon_ONH.fds",
                                                         "/folderZeiss_Macula.img"}))
    << "the file URL reached no server";
}

TEST_F(SampleDownloadTest, EachItemFetchesItsOwnFile)
{
  const LoopbackHttpServer server(m_Served.Path().string());  // serves nothing: each request fails
  ASSERT_TRUE(server.IsRunning());
  const auto frame = Window(server.Url());
  const std::pair<const char*, const char*> items[] = {
    {"Zeiss_Macula.img (39.0 MB)", "/Zeiss_Macula.img"},
    {"Zeiss_Macula2.mhd, Zeiss_Macula2.raw (39.0 MB)", "/Zeiss_Macula2.mhd"},
    {"Zeiss_Macula3.tif (39.0 MB)", "/Zeiss_Macula3.tif"},
    {"Zeiss_ONH.img (39.0 MB)", "/Zeiss_ONH.img"},
    {"Topcon_Macula.fds (131.0 MB)", "/Topcon_Macula.fds"},
    {"Topcon_ONH.fds (131.0 MB)", "/Topcon_ONH.fds"},
    {"Heidelberg_Macula.vol (91.8 MB)", "/Heidelberg_Macula.vol"},
    {"Heidelberg_ONH.vol (91.8 MB)", "/Heidelberg_ONH.vol"},
  };
  std::vector<std::string> expected;
  for (const auto& [item, path] : items) {
    OpenSample(*frame->View(), item);
    expected.push_back(path);
  }
  EXPECT_EQ(server.Requests(), expected);
  EXPECT_EQ(m_Messages.size(), expected.size());
}

TEST_F(SampleDownloadTest, ARedirectIsFollowed)
{
  // The server sends a folder's address on to the address with "/", where it serves the
  // folder's index page.
  MakeFile(m_Served.Path() / "Zeiss_ONH.img" / "index.html", kZeissSize);
  const LoopbackHttpServer server(m_Served.Path().string());
  ASSERT_TRUE(server.IsRunning());
  const std::string target = m_Program.File("Zeiss_ONH.img");
  CWebGrab grab;
  EXPECT_EQ(grab.DownloadToFile(server.Url() + "Zeiss_ONH.img", nullptr, nullptr, target, kZeissSize), 1)
    << grab.StatusText();
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/Zeiss_ONH.img", "/Zeiss_ONH.img/"}));
  EXPECT_EQ(fs::file_size(target), kZeissSize);
}

TEST_F(SampleDownloadTest, ADiskThatFillsUpKeepsNoPartOfTheSample)
{
  MakeFile(m_Served.Path() / "Zeiss_ONH.img", kZeissSize);
  const LoopbackHttpServer server(m_Served.Path().string());
  ASSERT_TRUE(server.IsRunning());
  const auto frame = Window(server.Url());
  fs::create_directories(SampleFolder());
  const SmallDisk disk(SampleFolder());
  if (!disk.Mounted())
    GTEST_SKIP() << SmallDisk::SkipReason();

  OpenSample(*frame->View(), "Zeiss_ONH.img (39.0 MB)");
  EXPECT_EQ(m_Messages, std::vector<std::string>{kDownloadFailed});
  EXPECT_EQ(frame->View()->OpenDialog()->SampleStatus()->text().toStdString(), std::strerror(ENOSPC));
  EXPECT_TRUE(SampleFiles().empty()) << "the partly written file is gone";
  EXPECT_TRUE(frame->View()->GetScanPath().empty());
}

TEST_F(SampleDownloadTest, ADataFolderThatCannotHoldTheSamplesFailsTheDownloadAndWritesNothingElsewhere)
{
  MakeFile(m_Served.Path() / "Zeiss_ONH.img", kZeissSize);
  const LoopbackHttpServer server(m_Served.Path().string());
  ASSERT_TRUE(server.IsRunning());
  const auto frame = Window(server.Url());
  const fs::path blocker = m_Data.Path() / "strataview";  // a file where the folder would go
  ASSERT_TRUE(fixtures::WriteText(blocker.string(), "not a folder"));

  OpenSample(*frame->View(), "Zeiss_ONH.img (39.0 MB)");
  EXPECT_EQ(m_Messages, std::vector<std::string>{kDownloadFailed});
  EXPECT_TRUE(frame->View()->GetScanPath().empty());
  EXPECT_EQ(fixtures::ReadAll(blocker.string()), "not a folder");
  EXPECT_TRUE(fs::is_empty(m_Program.Path())) << "the program's folder is no fallback";
}

// A server that takes the connection and the request but never answers.
TEST_F(SampleDownloadTest, AServerThatStopsAnsweringIsGivenUp)
{
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/Zeiss_ONH.img";

  const std::string target = m_Program.File("Zeiss_ONH.img");
  CWebGrab grab;
  grab.SetReceiveTimeout(1000);
  EXPECT_EQ(grab.DownloadToFile(url, nullptr, nullptr, target, kZeissSize), 0);
  EXPECT_NE(grab.StatusText().find("too slow"), std::string::npos) << grab.StatusText();
  EXPECT_TRUE(fs::is_empty(m_Program.Path()));
  ::close(listener);
}

// A server that sends too slowly is given up: once it averages less than the minimum rate
// over a stretch, and in any case at the deadline that the expected size and the minimum rate
// give. Nothing of the file stays.
TEST_F(SampleDownloadTest, ASlowServerIsGivenUpAtItsPaceOrAtTheDeadline)
{
  using std::chrono::milliseconds;
  const struct {
    const char* what;
    uint64_t size;
    DownloadPace pace;
    const char* says;
  } cases[] = {
    {"below the minimum rate", 1000, DownloadPace{1000, milliseconds(1000), milliseconds(60000)}, "too slow"},
    {"past the deadline", 100, DownloadPace{50, milliseconds(60000), milliseconds(1000)}, "timed out"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const LoopbackHttpServer server(c.size, 20);  // 20 bytes a second
    ASSERT_TRUE(server.IsRunning());
    const std::string target = m_Program.File("Zeiss_ONH.img");
    CWebGrab grab;
    grab.SetPace(c.pace);
    EXPECT_EQ(grab.DownloadToFile(server.Url() + "Zeiss_ONH.img", nullptr, nullptr, target, c.size), 0);
    EXPECT_NE(grab.StatusText().find(c.says), std::string::npos) << grab.StatusText();
    EXPECT_TRUE(fs::is_empty(m_Program.Path()));
  }
}

TEST_F(SampleDownloadTest, ASlowSampleServerEndsInTheMessage)
{
  const LoopbackHttpServer server(kZeissSize, 20);
  ASSERT_TRUE(server.IsRunning());
  const auto frame = Window(server.Url());
  CStrataviewView& view = *frame->View();
  view.OpenDialog()->SetDownloadPace(
    DownloadPace{1000, std::chrono::milliseconds(1000), std::chrono::milliseconds(60000)});
  OpenSample(view, "Zeiss_Macula.img (39.0 MB)");
  EXPECT_EQ(m_Messages, std::vector<std::string>{kDownloadFailed});
  EXPECT_NE(view.OpenDialog()->SampleStatus()->text().toStdString().find("too slow"), std::string::npos);
  EXPECT_TRUE(SampleFiles().empty());
  EXPECT_TRUE(view.GetScanPath().empty());
}

// While a sample downloads, the Cancel button in the status line is the one control that
// takes input: pressing it stops the transfer and removes what arrived; the other controls
// (Open again, Escape, closing) do nothing meanwhile.
TEST_F(SampleDownloadTest, CancelStopsTheDownloadAndNothingElseStartsMeanwhile)
{
  // A few seconds of data: a download that let no input through would end with them.
  const LoopbackHttpServer server(4000, 1000);
  ASSERT_TRUE(server.IsRunning());
  const auto frame = Window(server.Url());
  CStrataviewView& view = *frame->View();
  CDlgOpen& dialog = *view.OpenDialog();
  EXPECT_TRUE(dialog.CancelDownloadButton()->isHidden());
  bool offered = false;
  // Once the status line shows the first bytes arriving, the user clicks Open again, presses
  // Escape and then Cancel: input queued as the window system queues it, handled when the
  // transfer lets events through.
  const WhenShown firstBytes(dialog.SampleStatus(), "Read ", [&] {
    offered = dialog.CancelDownloadButton()->isVisible();
    PostClick(dialog.Button(CDlgOpen::kOpen));
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
      QCoreApplication::postEvent(&dialog, new QKeyEvent(type, Qt::Key_Escape, Qt::NoModifier));
    PostClick(dialog.CancelDownloadButton());
    EXPECT_FALSE(dialog.close());
  });
  OpenSample(view, "Zeiss_Macula.img (39.0 MB)");
  EXPECT_TRUE(offered);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  EXPECT_EQ(dialog.SampleStatus()->text().toStdString(), "The download was cancelled.");
  EXPECT_TRUE(SampleFiles().empty()) << "nothing of the transfer is left";
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.CancelDownloadButton()->isHidden());
  EXPECT_TRUE(view.GetScanPath().empty());
  EXPECT_EQ(server.Requests(), std::vector<std::string>{"/Zeiss_Macula.img"}) << "no second download started";
}

}  // namespace

// A sample's name in the data folder taken by a folder: the download fails with the status
// saying what is in the way (not the system's "Invalid argument"), and the folder stays.
TEST_F(SampleDownloadTest, ANameTakenByAFolderIsTheReasonShown)
{
  MakeFile(m_Served.Path() / "Zeiss_Macula.img", kZeissSize);
  const LoopbackHttpServer server(m_Served.Path().string());
  ASSERT_TRUE(server.IsRunning());
  const fs::path local = SampleFolder() / "Zeiss_Macula.img";
  fs::create_directories(local);
  ASSERT_TRUE(fixtures::WriteText((local / "inside").string(), "kept"));
  const auto frame = Window(server.Url());
  OpenSample(*frame->View(), "Zeiss_Macula.img (39.0 MB)");
  EXPECT_EQ(m_Messages, std::vector<std::string>{kDownloadFailed});
  const std::string status = frame->View()->OpenDialog()->SampleStatus()->text().toStdString();
  EXPECT_NE(status.find(local.string() + ": a folder is in the way"), std::string::npos) << status;
  EXPECT_TRUE(frame->View()->GetScanPath().empty());
  EXPECT_EQ(fixtures::ReadAll((local / "inside").string()), "kept");
}
