#include "data/BinaryReader.h"
#include "data/Diagnostics.h"
#include "fixtures/ByteWriter.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

TEST(BinaryReader, ReadsBothByteOrdersWithinBounds)
{
  const TempDir dir;
  ByteWriter little;
  little.Put<int32_t>(-2).Put<uint16_t>(0xBEEF).Put<float>(0.25f).Put<double>(-1.5);
  ByteWriter big(true);
  big.Put<int32_t>(-2).Put<uint16_t>(0xBEEF).Put<float>(0.25f).Put<double>(-1.5);
  ASSERT_TRUE(little.SaveTo(dir.File("le.bin")));
  ASSERT_TRUE(big.SaveTo(dir.File("be.bin")));

  for (const bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "big endian" : "little endian");
    binary::FileReader in;
    ASSERT_TRUE(in.Open(dir.File(bigEndian ? "be.bin" : "le.bin")));
    EXPECT_EQ(in.Size(), 18u);
    int32_t i = 0; uint16_t u = 0; float f = 0; double d = 0;
    EXPECT_TRUE(bigEndian ? in.ReadBE(i) : in.ReadLE(i));
    EXPECT_TRUE(bigEndian ? in.ReadBE(u) : in.ReadLE(u));
    EXPECT_TRUE(bigEndian ? in.ReadBE(f) : in.ReadLE(f));
    EXPECT_TRUE(bigEndian ? in.ReadBE(d) : in.ReadLE(d));
    EXPECT_EQ(i, -2);
    EXPECT_EQ(u, 0xBEEF);
    EXPECT_EQ(f, 0.25f);
    EXPECT_EQ(d, -1.5);
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_FALSE(in.ReadLE(u)) << "reading past the end fails";
  }
}

TEST(BinaryReader, RefusesWhatTheDataDoesNotHold)
{
  const std::vector<unsigned char> bytes = {1, 2, 3, 4, 5};
  binary::SpanReader in(bytes.data(), bytes.size());
  unsigned char out[8] = {};
  EXPECT_FALSE(in.ReadBytes(out, 6));
  EXPECT_EQ(in.Tell(), 0u) << "a refused read consumes nothing";
  EXPECT_TRUE(in.Skip(3));
  uint32_t word = 0;
  EXPECT_FALSE(in.ReadLE(word));
  EXPECT_FALSE(in.Seek(6));
  EXPECT_FALSE(in.Skip(UINT64_MAX)) << "no overflow of position + count";
  EXPECT_TRUE(in.Seek(5));
  EXPECT_TRUE(in.ReadBytes(out, 0));
}

TEST(BinaryReader, OpenFailsOnMissingFilesAndFolders)
{
  const TempDir dir;
  binary::FileReader in;
  EXPECT_FALSE(in.Open(dir.File("missing")));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(in.Open(dir.Path().string()));
  EXPECT_FALSE(in.IsOpen());
}

TEST(Diagnostics, LinesGoToStdoutAndOpenFailuresToStderr)
{
  std::string out, err;
  {
    const StdoutCapture capture(1);
    const StdoutCapture captureErr(2);
    diag::Error("Unsupported OCT");
    diag::Warning("Default voxel size");
    diag::PrintLine("as is\n");
    diag::ReportOpenFailure("/no/such/file", ENOENT);
    out = capture.Text();
    err = captureErr.Text();
  }
  EXPECT_EQ(out, "Error: Unsupported OCT\nWarning: Default voxel size\nas is\n");
  EXPECT_EQ(err, "/no/such/file: No such file or directory\n");
}

// What a failure's message gives as its reason: the error lines (not warnings or other
// lines) printed while a collector lives, every collector alive keeping them.
TEST(Diagnostics, ReasonsAreTheErrorLinesPrintedWhileCollected)
{
  const StdoutCapture capture(1);
  const StdoutCapture captureErr(2);
  diag::Error("before");
  const diag::ScopedReasons outer;
  diag::Warning("a warning");
  {
    const diag::ScopedReasons inner;
    diag::Error("Unsupported OCT");
    diag::PrintLine("as is\n");
    diag::ReportOpenFailure("/no/such/file", ENOENT);
    diag::RelayErrorLine("helper: reason\n");
    EXPECT_EQ(inner.Text(), "Error: Unsupported OCT\n/no/such/file: No such file or directory\nhelper: reason\n");
  }
  diag::Error("after");
  EXPECT_EQ(outer.Text(),
            "Error: Unsupported OCT\n/no/such/file: No such file or directory\nhelper: reason\nError: after\n");
  EXPECT_EQ(captureErr.Text(), "/no/such/file: No such file or directory\nhelper: reason\n");
}

}  // namespace
