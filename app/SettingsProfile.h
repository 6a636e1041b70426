#pragma once
// The settings kept in the user's profile, group "Setting".
#include "model/LSettings.h"
#include "model/SettingsStore.h"

class ProfileSettingsStore : public SettingsStore {
public:
  int GetInt(const std::string& key, int fallback) const override;
  std::string GetString(const std::string& key, const std::string& fallback) const override;
  void WriteInt(const std::string& key, int value) override;
  void WriteString(const std::string& key, const std::string& value) override;
};

// The settings functions over the profile.
void ResetSettingsProfile();
void ReadSettings(LSettings& settings);
bool WriteSetting(const LSettings& settings, const std::string& key);
