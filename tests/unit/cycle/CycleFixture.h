#pragma once
// A cycle wired to recording doubles, a pinned clock in Japanese time and a
// scratch program folder, so each test reads as: set the moment, tick, look.

#include "app/AutoTradeCycle.h"
#include "app/ProcessState.h"
#include "base/AkUnit.h"
#include "base/Clock.h"
#include "base/Log.h"
#include "fakes/RecordingPower.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace cycletest {

using TimePoint = std::chrono::system_clock::time_point;

inline TimePoint Utc(int year, int month, int day, int hour, int minute)
{
    using namespace std::chrono;
    return sys_days{std::chrono::year{year} / month / day} + hours{hour} + minutes{minute};
}

inline TimePoint Local(int year, int month, int day, int hour, int minute)
{
    return FromLocal(testsupport::MakeDateTime(year, month, day, hour, minute));
}

class FakeTimer : public CycleTimer {
public:
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool on) override { enabled = on; }
    std::int64_t Interval() const override { return interval; }
    void SetInterval(std::int64_t ms) override { interval = ms; }
    bool enabled = true;
    std::int64_t interval = 5000;
};

class FakeSettings : public AutoTradeSettings {
public:
    std::optional<std::string> Read(const std::string& key) const override
    {
        const auto found = values.find(key);
        return found == values.end() ? std::nullopt : std::optional(found->second);
    }
    void Write(const std::string& key, const std::string& value) override
    {
        values[key] = value;
        writes.push_back(key + "=" + value);
    }
    std::map<std::string, std::string> values;
    std::vector<std::string> writes;
};

class FakeHost : public AutoTradeHost {
public:
    AutoTradeOptions Options() const override { return options; }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& text) override { caption = text; }
    void ShowStopButton(bool shown) override { stopShown = shown; }
    void EnableStopButton() override { stopEnabled = true; }
    void SetSettingsTabsEnabled(bool enabled) override { tabsEnabled = enabled; }
    void DisableIdleWatcher() override { idleWatcher = false; }
    void RearmIdleWatcher() override { idleWatcher = true; }
    void PlaceCancelButton(CancelButtonPlace place) override { cancelPlaces.push_back(place); }
    void DisableCancelButton() override { cancelEnabled = false; }
    void ShowMessageBox(const std::string& title, const std::string& text) override
    {
        boxes.push_back(title + "|" + text);
    }

    AutoTradeOptions options;
    std::string caption = "Pellago ver. 1.0271";
    bool stopShown = false, stopEnabled = false, tabsEnabled = true, idleWatcher = true, cancelEnabled = true;
    std::vector<CancelButtonPlace> cancelPlaces;
    std::vector<std::string> boxes;
};

class CycleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "JST-9", 1);
        tzset();
        std::filesystem::create_directories(folder.file("Log"));
        SetProgramFolder(folder.path());
        SetExecutablePath("/opt/pellago/pellago");
        ActivityMemo().clear();
        ResetProcessState();
        VersionChecked = true;
        now = Local(2024, 1, 10, 12, 0); // a Wednesday
        SetClockSource([this] { return now; });
    }

    void TearDown() override
    {
        SetClockSource({});
    }

    AutoTradeOperations Operations()
    {
        AutoTradeOperations ops;
        ops.checkSignal = [this] {
            ++signalChecks;
            return checkFails ? SignalCheck::Failed : newSignal ? SignalCheck::NewSignal : SignalCheck::NothingNew;
        };
        ops.runAutoTrade = [this](bool byHand) {
            runs.push_back(byHand);
            if (runEnd)
                return *runEnd;
            const bool ok = onRun ? onRun() : runResult;
            return ok ? TradeRunResult::Done : TradeRunResult::Failed;
        };
        ops.completeVersionCheck = [this] {
            ++versionChecks;
            VersionChecked = VersionChecked || serviceAnswers;
            return VersionChecked;
        };
        ops.latestSignalFile = [this] { return signalFile; };
        ops.watchdogToggle = [this] { ++watchdogToggles; };
        ops.terminateWatchdog = [this] { ++watchdogTerminations; };
        ops.launchProcess = [this](const std::string& commandLine) {
            launched.push_back(commandLine);
            return launchWorks;
        };
        ops.terminateProgram = [this] { ++terminations; };
        return ops;
    }

    int MemoLinesContaining(const std::string& text) const
    {
        int count = 0;
        for (const auto& line : ActivityMemo().lines())
            count += line.find(text) != std::string::npos;
        return count;
    }

    testsupport::ScratchDir folder;
    TimePoint now;
    FakeHost host;
    FakeTimer timer;
    FakeSettings settings;
    RecordingPower power;
    bool newSignal = false;
    bool checkFails = false;
    bool serviceAnswers = false; // the start-up version check completes when tried again
    bool runResult = true;
    std::optional<TradeRunResult> runEnd; // overrides runResult
    std::function<bool()> onRun;
    std::string signalFile;
    bool launchWorks = true;
    int versionChecks = 0;
    int signalChecks = 0, watchdogToggles = 0, watchdogTerminations = 0, terminations = 0;
    std::vector<bool> runs;
    std::vector<std::string> launched;
    AutoTradeCycle cycle{host, timer, settings, power, Operations()};
};

} // namespace cycletest
