// An image of a stack that a colleague turned into something other than a file, before or
// after the folder was listed, ends the import with the unreadable image at once.
#include "data/LOCTVolume.h"
#include "fixtures/PlantedThings.h"
#include "fixtures/ScanFolderFiles.h"
#include "model/CSortStringArray.h"
#include "model/ImageStack.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using fixtures::Planted;

namespace {

TEST(PlantedImageStack, AnImageThatIsNotAFileIsUnreadableAtOnce)
{
  const SharedFolder shared;
  if (!shared.Ready())
    GTEST_SKIP() << SharedFolder::SkipReason();
  const float voxelSize[3] = {10.0f, 3.9f, 50.0f};
  for (const Planted thing : {Planted::Pipe, Planted::Socket, Planted::Folder, Planted::LinkToPipe}) {
    SCOPED_TRACE(fixtures::Describe(thing));
    for (const char* name : {"b0.png", "b1.png", "b2.png"}) {
      std::filesystem::remove_all(shared.File(name));
      ASSERT_TRUE(fixtures::WriteImage(shared.File(name)));
    }
    CSortStringArray files;
    ListImageFiles(shared.Path().string(), files);
    files.SortNatural();
    ASSERT_EQ(files.GetSize(), 3);
    ASSERT_TRUE(fixtures::Plant(shared, "b1.png", thing, ""));  // after the listing
    LOCTVolume volume;
    const fixtures::Watchdog watchdog(60);
    EXPECT_EQ(BuildImageStack(files, voxelSize, volume), ImageStackResult::kUnreadableImage);
  }
}

}  // namespace
