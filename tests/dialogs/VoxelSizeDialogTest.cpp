#include "dialogs/CDlgVoxelSize.h"
#include "fixtures/TempDir.h"
#include "platform/Messages.h"
#include "platform/Profile.h"

#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

TEST(VoxelSizeDialogTest, AValueThatIsNoNumberIsSaidAndKeepsTheDialogOpen)
{
  TempDir profile;
  platform::Profile::SetFolderForTests(QString::fromStdString(profile.Path().string()));
  std::vector<std::string> messages;
  const platform::ScopedMessageHook hook([&messages](const std::string& text, unsigned) {
    messages.push_back(text);
    return platform::kIdOk;
  });
  CDlgVoxelSize sizes;
  sizes.show();
  const char* const kEntered[3] = {"3.87", "1,95", "11.7"};
  for (int axis = 0; axis < 3; ++axis)
    sizes.Edit(axis)->setText(QString::fromLatin1(kEntered[axis]));
  sizes.accept();
  EXPECT_EQ(messages, std::vector<std::string>{"Please enter a number."});
  EXPECT_TRUE(sizes.isVisible());
  EXPECT_NE(sizes.result(), QDialog::Accepted);
  EXPECT_EQ(sizes.focusWidget(), sizes.Edit(1)) << "the refused edit takes the focus";
  // The keys are written before the check: the numbers read are kept, the refused one not.
  EXPECT_EQ(platform::Profile::GetProfileString("VoxelSizeX", ""), "3.870000");
  EXPECT_EQ(platform::Profile::GetProfileString("VoxelSizeY", ""), "1.000000");
  EXPECT_EQ(platform::Profile::GetProfileString("VoxelSizeZ", ""), "11.700000");

  messages.clear();
  sizes.Edit(1)->setText(QStringLiteral("1.95"));
  sizes.accept();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(sizes.result(), QDialog::Accepted);
  EXPECT_FLOAT_EQ(sizes.voxelSize[1], 1.95f);
}

}  // namespace
