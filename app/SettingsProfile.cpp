#include "app/SettingsProfile.h"

#include "platform/Profile.h"

using platform::Profile;

int ProfileSettingsStore::GetInt(const std::string& key, int fallback) const
{
  return Profile::GetProfileInt(QString::fromStdString(key), fallback);
}

std::string ProfileSettingsStore::GetString(const std::string& key, const std::string& fallback) const
{
  return Profile::GetProfileString(QString::fromStdString(key), QString::fromStdString(fallback)).toStdString();
}

void ProfileSettingsStore::WriteInt(const std::string& key, int value)
{
  Profile::WriteProfileInt(QString::fromStdString(key), value);
}

void ProfileSettingsStore::WriteString(const std::string& key, const std::string& value)
{
  Profile::WriteProfileString(QString::fromStdString(key), QString::fromStdString(value));
}

void ResetSettingsProfile()
{
  const Profile::WriteBatch together;
  ProfileSettingsStore store;
  ResetSettingsProfile(store);
}

void ReadSettings(LSettings& settings)
{
  ReadSettings(settings, ProfileSettingsStore());
}

bool WriteSetting(const LSettings& settings, const std::string& key)
{
  ProfileSettingsStore store;
  return WriteSetting(settings, key, store);
}
