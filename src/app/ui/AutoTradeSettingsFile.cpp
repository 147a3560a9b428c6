#include "app/ui/AutoTradeSettingsFile.h"

const QString AutoTradeSettingsFile::kSection = QStringLiteral("AutoTrade");

std::optional<std::string> AutoTradeSettingsFile::Read(const std::string& key) const
{
    return file_.readBytes(kSection, QString::fromStdString(key));
}

void AutoTradeSettingsFile::Write(const std::string& key, const std::string& value)
{
    file_.writeBytes(kSection, QString::fromStdString(key), value);
}
