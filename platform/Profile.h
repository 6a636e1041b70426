#pragma once
// The user's settings, kept as an INI file through QSettings in the group "Setting".
// Key names are stored exactly as given; integers are stored as integers.
#include <QString>

namespace platform {

class Profile {
public:
  static int GetProfileInt(const QString& key, int defaultValue);
  static QString GetProfileString(const QString& key, const QString& defaultValue);
  static void WriteProfileInt(const QString& key, int value);
  static void WriteProfileString(const QString& key, const QString& value);

  // Tests keep their profile in a folder of their own (call before any other use).
  static void SetFolderForTests(const QString& folder);
};

}  // namespace platform
