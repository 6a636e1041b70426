#include "platform/Profile.h"

#include <QSettings>
#include <algorithm>
#include <climits>

namespace platform {
namespace {

const QString kOrganisation = QStringLiteral("Local AppWizard-Generated Applications");
const QString kApplication = QStringLiteral("Strataview");
const QString kGroup = QStringLiteral("Setting");

QString KeyPath(const QString& key)
{
  return kGroup + QLatin1Char('/') + key;
}

QSettings OpenSettings()
{
  return QSettings(QSettings::IniFormat, QSettings::UserScope, kOrganisation, kApplication);
}

}  // namespace

int Profile::GetProfileInt(const QString& key, int defaultValue)
{
  const QSettings settings = OpenSettings();
  const QVariant value = settings.value(KeyPath(key));
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
  const QSettings settings = OpenSettings();
  const QVariant value = settings.value(KeyPath(key));
  return value.isValid() ? value.toString() : defaultValue;
}

void Profile::WriteProfileInt(const QString& key, int value)
{
  QSettings settings = OpenSettings();
  settings.setValue(KeyPath(key), value);
  settings.sync();
}

void Profile::WriteProfileString(const QString& key, const QString& value)
{
  QSettings settings = OpenSettings();
  settings.setValue(KeyPath(key), value);
  settings.sync();
}

void Profile::SetFolderForTests(const QString& folder)
{
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

}  // namespace platform
