#pragma once
// Typed values of the settings file ("<executable name>.ini" in the program
// folder) in the file's own conventions: booleans "1"/"0", integers in
// decimal, date-times "yyyy/MM/dd H:mm:ss". Reading never fails: a missing
// or unreadable value gives the caller's fallback.

#include <QDateTime>
#include <QString>

#include <optional>
#include <string>
#include <utility>
#include <vector>

class SettingsFile {
public:
    SettingsFile();

    const std::string& path() const { return path_; }

    // The stored bytes as they are (scrambled values are not UTF-8).
    std::optional<std::string> readBytes(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& fallback) const;
    long long readInteger(const QString& section, const QString& key, long long fallback) const;
    bool readBool(const QString& section, const QString& key, bool fallback) const;
    QDateTime readDateTime(const QString& section, const QString& key, const QDateTime& fallback) const;

    // One value written at once, so it survives a process killed right after.
    void writeBytes(const QString& section, const QString& key, const std::string& bytes);

private:
    std::string path_;
};

// The values of one section, collected and then written in one replacement
// of the file.
class SettingsSectionWriter {
public:
    explicit SettingsSectionWriter(const QString& section);

    void writeBytes(const QString& key, const std::string& bytes);
    void writeString(const QString& key, const QString& value);
    void writeInteger(const QString& key, long long value);
    void writeBool(const QString& key, bool value);
    void writeDateTime(const QString& key, const QDateTime& value);
    bool save() const;

private:
    std::string section_;
    std::vector<std::pair<std::string, std::string>> values_;
};
