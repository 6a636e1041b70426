#include "data/LImage2D.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

constexpr int kWidth = 5, kHeight = 3;

// The pixel values image_fixtures.py writes, at (x, y) with y = 0 the top row.
int Grey(int x, int y) { return (7 * x + 13 * y + 1) % 256; }
int Red(int x, int y) { return (7 * x + 13 * y) % 256; }
int Green(int x, int y) { return (3 * x + 50 * y + 9) % 256; }
int Blue(int x, int y) { return (11 * x + 5 * y + 200) % 256; }
int Deep(int x, int y) { return (4000 * x + 1000 * y + 7) % 65536; }
int Shuffled(int x, int y) { return (37 * Grey(x, y) + 11) % 256; }
int FourGreys(int x, int y) { return 85 * ((x + y) % 4); }

class Fixtures {
public:
  Fixtures()
  {
    const int status = fixtures::RunCommand("/usr/bin/python3 " STRATAVIEW_SOURCE_DIR
                                            "/tests/data/image_fixtures.py " + m_Dir.Path().string());
    EXPECT_EQ(status, 0);
  }
  std::string File(const std::string& name) const { return m_Dir.File(name); }

private:
  TempDir m_Dir;
};

template <typename T>
void ExpectPlane(const T* plane, const std::function<int(int, int)>& value, const char* name)
{
  SCOPED_TRACE(name);
  ASSERT_NE(plane, nullptr);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      EXPECT_EQ(plane[x + kWidth * y], value(x, y)) << "at " << x << ", " << y;
}

void ExpectOnlyPlanes(const LImage2D& image, bool grey8, bool grey16, bool colour)
{
  EXPECT_EQ(image.GetPlane8() != nullptr, grey8);
  EXPECT_EQ(image.GetPlane16() != nullptr, grey16);
  EXPECT_EQ(image.GetRedPlane() != nullptr, colour);
  EXPECT_EQ(image.GetGreenPlane() != nullptr, colour);
  EXPECT_EQ(image.GetBluePlane() != nullptr, colour);
}

TEST(LImage2D, PlanesFollowTheKindOfImage)
{
  enum Planes { kGrey8, kGrey16, kColour, kNone };
  const struct {
    const char* file;
    int bits;
    Planes planes;
    std::function<int(int, int)> grey;
  } cases[] = {
    {"grey.png", 8, kGrey8, Grey},
    {"ramp.png", 8, kGrey8, Grey},           // grey-ramp palette: the indices are the greys
    {"palette.png", 8, kGrey8, Shuffled},    // any other palette: the greys it maps to
    {"four.gif", 8, kGrey8, FourGreys},
    {"rgb.png", 24, kColour, nullptr},
    {"rgb.bmp", 24, kColour, nullptr},
    {"rgba.png", 32, kColour, nullptr},
    {"deep.png", 16, kGrey16, Deep},
    {"deep.tif", 16, kGrey16, Deep},
    {"float.tif", 32, kNone, nullptr},       // 32 bits, but no colour bytes
    {"bits.png", 1, kNone, nullptr},
  };
  const Fixtures files;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    LImage2D image;
    ASSERT_EQ(image.Load(files.File(c.file)), 0);
    EXPECT_EQ(image.GetWidth(), kWidth);
    EXPECT_EQ(image.GetHeight(), kHeight);
    EXPECT_EQ(image.GetBitsPerPixel(), c.bits);
    ExpectOnlyPlanes(image, c.planes == kGrey8, c.planes == kGrey16, c.planes == kColour);
    if (c.planes == kGrey8)
      ExpectPlane(image.GetPlane8(), c.grey, "grey");
    if (c.planes == kGrey16)
      ExpectPlane(image.GetPlane16(), c.grey, "16-bit grey");
    if (c.planes == kColour) {
      ExpectPlane(image.GetRedPlane(), Red, "red");
      ExpectPlane(image.GetGreenPlane(), Green, "green");
      ExpectPlane(image.GetBluePlane(), Blue, "blue");
    }
  }
}

TEST(LImage2D, ReloadReplacesAndFailureUnloads)
{
  const Fixtures files;
  LImage2D image;
  EXPECT_EQ(image.GetWidth(), -2);
  EXPECT_EQ(image.GetBitsPerPixel(), -2);
  ExpectOnlyPlanes(image, false, false, false);

  ASSERT_EQ(image.Load(files.File("grey.png")), 0);
  ASSERT_EQ(image.Load(files.File("rgb.png")), 0);
  ExpectOnlyPlanes(image, false, false, true);
  ExpectPlane(image.GetRedPlane(), Red, "red after reload");

  ASSERT_TRUE(fixtures::WriteText(files.File("text.png"), "not an image at all"));
  for (const char* name : {"text.png", "missing.png"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(image.Load(files.File("rgb.png")), 0);
    EXPECT_EQ(image.Load(files.File(name)), -1);
    EXPECT_EQ(image.GetWidth(), -2);
    EXPECT_EQ(image.GetHeight(), -2);
    ExpectOnlyPlanes(image, false, false, false);
  }
}

TEST(LImage2D, HeadersClaimingMoreThanTheFileHoldsAreRefusedBeforeDecoding)
{
  const Fixtures files;
  // A 4 x 2 grey picture that holds its pixels, then headers of a few bytes claiming far more.
  const struct { const char* name; std::string bytes; int result; } cases[] = {
    {"whole.pgm", std::string("P5\n4 2\n255\n") + "abcdefgh", 0},
    {"beyond-any-picture.pgm", std::string("P5\n100000 100000\n255\n") + "abcdefgh", -1},
    {"more-than-held.ppm", std::string("P6\n2000 1000\n255\n") + "abcdefgh", -1},
    // Run-length Targa: 18504 x 18504 at 32 bits in 28 bytes.
    {"targa.tga", std::string("\0\0\x0a\0\0\0\0\0\0\0\0\0\x48\x48\x48\x48\x20\x08", 18) +
                      std::string("\xff\x01\x02\x03\x04\0\0\0\0\0", 10), -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(fixtures::WriteText(files.File(c.name), c.bytes));
    LImage2D image;
    EXPECT_EQ(image.Load(files.File(c.name)), c.result);
  }
}

}  // namespace
