#include "app/AviError.h"
#include "app/FrameBufferImage.h"
#include "app/LAviWriter.h"
#include "app/LFrameBuffer.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"

#include <QImage>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// A picture that differs in every pixel, row and frame, so that swapped channels, a wrong
// row order or a lost row padding show. A grey picture for 8-bit frames, whose grey ramp
// holds no colour.
QImage Picture(int width, int height, int frame, bool grey)
{
  QImage image(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int r = (37 * x + 11 * y + 90 * frame) % 256;
      const int g = grey ? r : (13 * x + 59 * y + 5) % 256;
      const int b = grey ? r : (200 - 7 * y + 31 * frame) % 256;
      image.setPixel(x, y, qRgb(r, g, b));
    }
  return image;
}

// The frame's expected decoded pixels: the top-left overlap of the picture, black beyond.
std::string ExpectedRgb(const QImage& picture, int width, int height)
{
  std::string rgb(static_cast<size_t>(width) * height * 3, '\0');
  for (int y = 0; y < std::min(height, picture.height()); ++y)
    for (int x = 0; x < std::min(width, picture.width()); ++x) {
      const QRgb c = picture.pixel(x, y);
      char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<char>(qRed(c));
      p[1] = static_cast<char>(qGreen(c));
      p[2] = static_cast<char>(qBlue(c));
    }
  return rgb;
}

std::string Probe(const std::string& movie)
{
  std::string out;
  fixtures::RunCommand("ffprobe -v error -count_frames -show_entries format=nb_streams:stream=codec_name,"
                       "pix_fmt,width,height,r_frame_rate,nb_read_frames -of default=noprint_wrappers=1 '" +
                           movie + "'",
                       &out);
  return out;
}

std::string ProbeText(int width, int height, const char* pixFmt, const char* rate, int frames)
{
  return "codec_name=rawvideo\nwidth=" + std::to_string(width) + "\nheight=" + std::to_string(height) +
         "\npix_fmt=" + pixFmt + "\nr_frame_rate=" + rate + "\nnb_read_frames=" + std::to_string(frames) +
         "\nnb_streams=1\n";
}

std::string Decode(const std::string& movie, const char* pixFmt = "rgb24")
{
  std::string out;
  EXPECT_EQ(fixtures::RunCommand("ffmpeg -v error -i '" + movie + "' -f rawvideo -pix_fmt " + pixFmt + " - 2>/dev/null", &out), 0);
  return out;
}

uint32_t U32At(const std::string& bytes, size_t at)
{
  uint32_t v = 0;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

std::vector<std::string> FolderNames(const std::filesystem::path& folder)
{
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(LFrameBuffer, FormatFollowsSizeAndBitsPerPixel)
{
  const struct {
    int bits, expectBits;
    uint32_t sizeImage;
    size_t infoBytes;
  } kCases[] = {{24, 24, 180800, 40}, {32, 32, 240800, 40}, {8, 8, 60800, 1064}, {16, 8, 60800, 1064}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.bits);
    LFrameBuffer frame;
    frame.Resize(301, 200, c.bits);
    EXPECT_EQ(frame.BitsPerPixel(), c.expectBits);
    EXPECT_EQ(frame.Header().biSizeImage, c.sizeImage);
    EXPECT_EQ(frame.Header().biXPelsPerMeter, 3780);
    const std::vector<uint8_t> info = frame.InfoBytes();
    ASSERT_EQ(info.size(), c.infoBytes);
    EXPECT_EQ(U32At(std::string(info.begin(), info.end()), 20), c.sizeImage);
    if (c.infoBytes == 1064) {
      EXPECT_EQ(U32At(std::string(info.begin(), info.end()), 40 + 4 * 200), 200u * 0x01010101u);
    }
  }
}

TEST(LFrameBuffer, ResizeKeepsTheBufferUnlessTheSizeChanges)
{
  LFrameBuffer frame;
  frame.Resize(0, 100, 32);
  EXPECT_FALSE(frame.IsCreated());
  frame.Resize(5, 3, 24);
  const uint8_t white[3] = {255, 255, 255};
  frame.SetRow(2, white, 1);  // the bottom row comes first in the buffer
  frame.Resize(5, 3, 32);
  EXPECT_EQ(frame.BitsPerPixel(), 24) << "the same size with other bits per pixel changes nothing";
  EXPECT_EQ(frame.Bits()[0], 255) << "and keeps the pixels";
  frame.Resize(5, -1, 32);
  EXPECT_EQ(frame.Height(), 3);
  frame.Resize(6, 3, 32);
  EXPECT_EQ(frame.BitsPerPixel(), 32);
  EXPECT_EQ(frame.Bits()[0], 0) << "a new size is black again";
}

TEST(LAviWriter, MoviesReadBackFrameByFrame)
{
  const struct {
    int width, height, bits;
    int pictureWidth, pictureHeight;  // the pane copied in; larger or smaller than the frame
    int frameRate;
    const char* pixFmt;
    const char* rate;
  } kCases[] = {
      {7, 5, 24, 7, 5, 15, "bgr24", "15/1"},  // rows of 21 bytes padded to 24
      {6, 4, 24, 6, 4, 30, "bgr24", "30/1"},
      {9, 3, 32, 11, 5, 25, "bgra", "25/1"},  // a larger pane is cut to the frame
      {5, 6, 8, 5, 6, 15, "pal8", "15/1"},   // rows of 5 bytes padded to 8
      {4, 5, 32, 3, 2, 0, "bgra", "15/1"},   // a smaller pane leaves the rest black; rate 0
  };
  constexpr int kFrames = 3;
  TempDir dir;
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + "@" + std::to_string(c.bits));
    const std::string movie = dir.File("movie_" + std::to_string(c.width) + ".avi");
    LAviWriter writer;
    LFrameBuffer frame;
    ASSERT_EQ(writer.Open(c.frameRate, movie), 1);
    frame.Resize(c.width, c.height, c.bits);
    std::string expected;
    for (int f = 0; f < kFrames; ++f) {
      const QImage picture = Picture(c.pictureWidth, c.pictureHeight, f, c.bits == 8);
      CopyImageToFrameBuffer(picture, frame);
      ASSERT_EQ(writer.WriteFrame(frame), 1);
      expected += ExpectedRgb(picture, c.width, c.height);
    }
    EXPECT_FALSE(std::filesystem::exists(movie)) << "no movie before it is complete";
    EXPECT_EQ(writer.Close(), movie);
    EXPECT_EQ(writer.LastError(), avierr::kSuccess);
    EXPECT_EQ(Probe(movie), ProbeText(c.width, c.height, c.pixFmt, c.rate, kFrames));
    EXPECT_TRUE(Decode(movie) == expected) << "decoded pixels differ";
    if (c.bits == 32) {
      // Readers take the fourth byte as alpha: a transparent movie would play blank.
      const std::string rgba = Decode(movie, "rgba");
      for (size_t i = 3; i < rgba.size(); i += 4)
        ASSERT_EQ(static_cast<uint8_t>(rgba[i]), 255) << i;
    }
  }
  EXPECT_EQ(FolderNames(dir.Path()).size(), std::size(kCases)) << "no temporary file is left";
}

TEST(LAviWriter, StreamScaleAndRateMakeTheFrameRate)
{
  const struct {
    int frameRate;
    uint32_t scale, rate, microseconds;
  } kCases[] = {{15, 15, 225, 66667}, {0, 15, 225, 66667}, {-4, 15, 225, 66667}, {1, 1, 1, 1000000},
                {100000, 65535, 65535u * 65535u, 15}};
  TempDir dir;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.frameRate);
    const std::string movie = dir.File("rate.avi");
    LAviWriter writer;
    LFrameBuffer frame;
    frame.Resize(2, 2, 24);
    ASSERT_EQ(writer.Open(c.frameRate, movie), 1);
    ASSERT_EQ(writer.WriteFrame(frame), 1);
    writer.Close();
    const std::string bytes = fixtures::ReadAll(movie);
    const size_t avih = bytes.find("avih");
    const size_t strh = bytes.find("strh");
    ASSERT_NE(avih, std::string::npos);
    ASSERT_NE(strh, std::string::npos);
    EXPECT_EQ(U32At(bytes, avih + 8), c.microseconds);
    EXPECT_EQ(U32At(bytes, strh + 8 + 20), c.scale);
    EXPECT_EQ(U32At(bytes, strh + 8 + 24), c.rate);
  }
}

TEST(LAviWriter, FailuresLeaveNoPartialMovie)
{
  TempDir dir;
  LFrameBuffer frame;
  frame.Resize(5, 4, 32);

  LAviWriter missing;
  const std::string nowhere = dir.File("no such folder/movie.avi");
  EXPECT_EQ(missing.Open(15, nowhere), 0);
  EXPECT_EQ(missing.LastError(), avierr::kFileOpen);
  EXPECT_STREQ(AviErrorText(missing.LastError()), "AVIERR_FILEOPEN: disk error while opening file");
  EXPECT_EQ(missing.WriteFrame(frame), 0);
  EXPECT_EQ(missing.Close(), nowhere);
  EXPECT_TRUE(FolderNames(dir.Path()).empty());

  // A movie without frames is not written, and the older movie of that name stays.
  const std::string old = dir.File("old.avi");
  ASSERT_TRUE(fixtures::WriteText(old, "old movie"));
  LAviWriter empty;
  ASSERT_EQ(empty.Open(15, old), 1);
  EXPECT_EQ(empty.Open(15, dir.File("other.avi")), 0) << "a second movie waits for Close";
  EXPECT_EQ(empty.Close(), old);
  EXPECT_EQ(fixtures::ReadAll(old), "old movie");
  EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"old.avi"});

  // A name a folder has is refused at once: no movie is begun.
  const std::string taken = dir.File("taken.avi");
  std::filesystem::create_directory(taken);
  LAviWriter blocked;
  EXPECT_EQ(blocked.Open(15, taken), 0);
  EXPECT_EQ(blocked.LastError(), avierr::kFileOpen);
  EXPECT_EQ(blocked.WriteFrame(frame), 0);
  blocked.Close();
  EXPECT_TRUE(std::filesystem::is_directory(taken));
  EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"old.avi", "taken.avi"}));
}

TEST(LAviWriter, RefusesFramesThatDoNotFitTheStream)
{
  TempDir dir;
  LFrameBuffer first, wider, deeper, unmade;
  first.Resize(5, 4, 32);
  wider.Resize(6, 4, 32);
  deeper.Resize(5, 4, 24);
  const std::string movie = dir.File("sizes.avi");
  {
    LAviWriter writer;
    ASSERT_EQ(writer.Open(15, movie), 1);
    EXPECT_EQ(writer.WriteFrame(unmade), 0);
    EXPECT_EQ(writer.LastError(), avierr::kBadFormat);
    ASSERT_EQ(writer.WriteFrame(first), 1);
    for (const LFrameBuffer* other : {&wider, &deeper, &unmade}) {
      EXPECT_EQ(writer.WriteFrame(*other), 0);
      EXPECT_EQ(writer.LastError(), avierr::kBadSize);
    }
    ASSERT_EQ(writer.WriteFrame(first), 1);
  }  // the destructor completes the movie
  EXPECT_EQ(Probe(movie), ProbeText(5, 4, "bgra", "15/1", 2));
}

TEST(LAviWriter, StopsBeforeTheSizeLimitWithAValidMovie)
{
  TempDir dir;
  LFrameBuffer frame;
  frame.Resize(4, 4, 24);  // 48 bytes a frame
  const std::string movie = dir.File("limit.avi");
  LAviWriter probe;  // the size of a one-frame movie gives the header and each frame's share
  ASSERT_EQ(probe.Open(15, movie), 1);
  ASSERT_EQ(probe.WriteFrame(frame), 1);
  probe.Close();
  const uint64_t oneFrame = std::filesystem::file_size(movie);
  const uint64_t perFrame = 8 + 48 + 16;

  LAviWriter writer(oneFrame + 2 * perFrame);
  ASSERT_EQ(writer.Open(15, movie), 1);
  for (int f = 0; f < 3; ++f)
    EXPECT_EQ(writer.WriteFrame(frame), 1);
  EXPECT_EQ(writer.WriteFrame(frame), 0);
  EXPECT_EQ(writer.LastError(), avierr::kFileWrite);
  writer.Close();
  EXPECT_EQ(std::filesystem::file_size(movie), oneFrame + 2 * perFrame);
  EXPECT_EQ(Probe(movie), ProbeText(4, 4, "bgr24", "15/1", 3));
  std::string errors;
  fixtures::RunCommand("ffmpeg -v error -i '" + movie + "' -f null - 2>&1", &errors);
  EXPECT_EQ(errors, "");
}

}  // namespace
