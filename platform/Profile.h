#pragma once
// The user's settings, kept as an INI file through QSettings in the group "Setting".
// Key names are stored exactly as given; integers are stored as integers. The file is read
// once, at the first use, and every write reaches it at once.
#include <QString>

namespace platform {

class Profile {
public:
  static int GetProfileInt(const QString& key, int defaultValue);
  static QString GetProfileString(const QString& key, const QString& defaultValue);
  static void WriteProfileInt(const QString& key, int value);
  static void WriteProfileString(const QString& key, const QString& value);

  // While one lives, writes reach the file together when it ends (many keys at once would
  // otherwise rewrite the whole file for each).
  class WriteBatch {
  public:
    WriteBatch();
    ~WriteBatch();
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;
  };

  // Tests keep their profile in a folder of their own (call before any other use); the
  // profile is read again from there.
  static void SetFolderForTests(const QString& folder);
};

}  // namespace platform
