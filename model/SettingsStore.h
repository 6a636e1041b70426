#pragma once
// Where the settings are kept between runs: keys of one group, each an integer or a text
// (an integer key reads as its text too). Reading a missing key gives the fallback.
#include <string>

class SettingsStore {
public:
  virtual ~SettingsStore() = default;

  virtual int GetInt(const std::string& key, int fallback) const = 0;
  virtual std::string GetString(const std::string& key, const std::string& fallback) const = 0;
  virtual void WriteInt(const std::string& key, int value) = 0;
  virtual void WriteString(const std::string& key, const std::string& value) = 0;
};
