#include "app/ui/SettingsFile.h"

#include "app/IniFile.h"
#include "app/ProcessState.h"
#include "base/AkUnit.h"
#include "base/TextCodec.h"

namespace {

const QString kDateTimeFormat = QStringLiteral("yyyy/MM/dd H:mm:ss");

} // namespace

SettingsFile::SettingsFile() : path_(SettingsIniPath()) {}

std::optional<std::string> SettingsFile::readBytes(const QString& section, const QString& key) const
{
    return ReadIniString(path_, section.toStdString(), key.toStdString());
}

QString SettingsFile::readString(const QString& section, const QString& key, const QString& fallback) const
{
    // A file carried over from Windows holds Shift-JIS text.
    const auto bytes = readBytes(section, key);
    return bytes ? QString::fromStdString(DecodeExternalText(*bytes)) : fallback;
}

long long SettingsFile::readInteger(const QString& section, const QString& key, long long fallback) const
{
    const auto bytes = readBytes(section, key);
    long long value = 0;
    return bytes && TryParseInteger(*bytes, value) ? value : fallback;
}

bool SettingsFile::readBool(const QString& section, const QString& key, bool fallback) const
{
    const auto bytes = readBytes(section, key);
    if (!bytes)
        return fallback;
    if (EqualsNoCase(Trim(*bytes), "true"))
        return true;
    if (EqualsNoCase(Trim(*bytes), "false"))
        return false;
    long long value = 0;
    return TryParseInteger(*bytes, value) ? value != 0 : fallback;
}

QDateTime SettingsFile::readDateTime(const QString& section, const QString& key, const QDateTime& fallback) const
{
    const QString text = readString(section, key, QString()).trimmed();
    QDateTime value = QDateTime::fromString(text, kDateTimeFormat);
    if (!value.isValid())
        value = QDateTime(QDate::fromString(text, QStringLiteral("yyyy/MM/dd")), QTime(0, 0));
    return value.isValid() ? value : fallback;
}

void SettingsFile::writeBytes(const QString& section, const QString& key, const std::string& bytes)
{
    WriteIniString(path_, section.toStdString(), key.toStdString(), bytes);
}

SettingsSectionWriter::SettingsSectionWriter(const QString& section) : section_(section.toStdString()) {}

void SettingsSectionWriter::writeBytes(const QString& key, const std::string& bytes)
{
    values_.emplace_back(key.toStdString(), bytes);
}

void SettingsSectionWriter::writeString(const QString& key, const QString& value)
{
    writeBytes(key, value.toStdString());
}

void SettingsSectionWriter::writeInteger(const QString& key, long long value)
{
    writeBytes(key, std::to_string(value));
}

void SettingsSectionWriter::writeBool(const QString& key, bool value) { writeBytes(key, value ? "1" : "0"); }

void SettingsSectionWriter::writeDateTime(const QString& key, const QDateTime& value)
{
    writeString(key, value.toString(kDateTimeFormat));
}

bool SettingsSectionWriter::save() const { return WriteIniStrings(SettingsIniPath(), section_, values_); }
