#include "platform/Profile.h"

#include <QSettings>
#include <algorithm>
#include <climits>
#include <memory>

namespace platform {
namespace {

const QString kOrganisation = QStringLiteral("Local AppWizard-Generated Applications");
const QString kApplication = QStringLiteral("Strataview");
const QString kGroup = QStringLiteral("Setting");

QString KeyPath(const QString& key)
{
  return kGroup + QLatin1Char('/') + key;
}

// The profile is parsed once, at its first use, and kept: a large profile would otherwise be
// parsed again for every key read. Writes go to the file at once.
std::unique_ptr<QSettings>& Opened()
{
  static std::unique_ptr<QSettings> settings;
  return settings;
}

QSettings& OpenSettings()
{
  std::unique_ptr<QSettings>& settings = Opened();
  if (!settings)
    settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kOrganisation, kApplication);
  return *settings;
}

int g_WriteBatches = 0;

void Written(QSettings& settings)
{
  if (g_WriteBatches == 0)
    settings.sync();
}

}  // namespace

int Profile::GetProfileInt(const QString& key, int defaultValue)
{
  const QVariant value = OpenSettings().value(KeyPath(key));
  if (!value.isValid())
    return defaultValue;
  // Like the profile functions: leading digits count, anything else after them is ignored.
  const QString text = value.toString().trimmed();
  int end = 0;
  if (end < text.size() && (text[end] == QLatin1Char('-') || text[end] == QLatin1Char('+')))
    ++end;
  while (end < text.size() && text[end].isDigit())
    ++end;
  bool ok = false;
  const long long parsed = text.left(end).toLongLong(&ok);
  if (!ok)
    return 0;
  return static_cast<int>(std::clamp<long long>(parsed, INT_MIN, INT_MAX));
}

QString Profile::GetProfileString(const QString& key, const QString& defaultValue)
{
  const QVariant value = OpenSettings().value(KeyPath(key));
  return value.isValid() ? value.toString() : defaultValue;
}

void Profile::WriteProfileInt(const QString& key, int value)
{
  QSettings& settings = OpenSettings();
  settings.setValue(KeyPath(key), value);
  Written(settings);
}

void Profile::WriteProfileString(const QString& key, const QString& value)
{
  QSettings& settings = OpenSettings();
  settings.setValue(KeyPath(key), value);
  Written(settings);
}

Profile::WriteBatch::WriteBatch()
{
  ++g_WriteBatches;
}

Profile::WriteBatch::~WriteBatch()
{
  if (--g_WriteBatches == 0)
    OpenSettings().sync();
}

void Profile::SetFolderForTests(const QString& folder)
{
  Opened().reset();
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

}  // namespace platform
