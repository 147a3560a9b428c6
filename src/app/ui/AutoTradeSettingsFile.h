#pragma once
// Section "AutoTrade" of the settings file, through the same store the
// window uses for its other sections, so every write lands in the file at
// once and no cached copy can overwrite it later.

#include "app/AutoTradeSettings.h"
#include "app/ui/SettingsFile.h"

class AutoTradeSettingsFile : public AutoTradeSettings {
public:
    std::optional<std::string> Read(const std::string& key) const override;
    void Write(const std::string& key, const std::string& value) override;

private:
    static const QString kSection;
    SettingsFile file_;
};
