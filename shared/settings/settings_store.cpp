#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace settings {

namespace {

// On Linux the native format is the INI text file Quorvale/Tavlor.conf below
// $XDG_CONFIG_HOME (QSettings' IniFormat would name it Tavlor.ini).
QSettings openStore() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quorvale"), QStringLiteral("Tavlor"));
}

// The key exists when its file does: writes never create it (createSettingsKey does).
bool keyExists(const QSettings &store) {
  return QFileInfo::exists(store.fileName());
}

} // namespace

bool createSettingsKey() {
  QSettings store = openStore();
  const QString file = store.fileName();
  if (QFileInfo::exists(file)) return true;
  if (!QDir().mkpath(QFileInfo(file).absolutePath())) return false;
  QFile f(file);
  return f.open(QIODevice::WriteOnly | QIODevice::Append);
}

bool readSettingText(const char *name, std::string &out) {
  QSettings store = openStore();
  const QVariant value = store.value(QString::fromUtf8(name));
  if (!value.isValid() || !value.canConvert<QString>()) return false;
  const QByteArray bytes = value.toString().toUtf8();
  if (static_cast<std::size_t>(bytes.size()) > kMaxSettingText) return false;
  out.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return true;
}

bool readSettingNumber(const char *name, std::int32_t &out) {
  QSettings store = openStore();
  const QVariant value = store.value(QString::fromUtf8(name));
  if (!value.isValid()) return false;
  bool ok = false;
  const qlonglong number = value.toString().trimmed().toLongLong(&ok);
  if (!ok || number < INT32_MIN || number > INT32_MAX) return false;
  out = static_cast<std::int32_t>(number);
  return true;
}

bool writeSettingNumber(const char *name, std::int32_t value) {
  QSettings store = openStore();
  if (!keyExists(store)) return false;
  store.setValue(QString::fromUtf8(name), static_cast<int>(value));
  store.sync();
  return store.status() == QSettings::NoError;
}

bool writeSettingText(const char *name, const std::string &value) {
  QSettings store = openStore();
  if (!keyExists(store)) return false;
  store.setValue(QString::fromUtf8(name), QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
  store.sync();
  return store.status() == QSettings::NoError;
}

} // namespace settings
