#include "app/CStrataviewApp.h"

#include <QIcon>
#include <QImage>
#include <gtest/gtest.h>

namespace {

// The window's icon is compiled in, so a build tree shows it as the installed package does:
// every size the desktop asks for is the program's own picture, not an empty one.
TEST(ProgramIcon, IsCompiledInAtTheDesktopSizes)
{
  const QIcon icon = CStrataviewApp::ProgramIcon();
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    SCOPED_TRACE(size);
    EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
    const QImage image = icon.pixmap(QSize(size, size)).toImage();
    ASSERT_EQ(image.size(), QSize(size, size));
    EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2)), 0) << "drawn, not transparent";
  }
}

}  // namespace
