#pragma once
// The wake timer tests select: it records every setting and answers as
// told, and never arms a timer that could wake the machine.

#include "app/WakeUp.h"

#include <vector>

class RecordingWakeTimer : public WakeTimer {
public:
    struct Setting {
        std::chrono::milliseconds due;
        std::chrono::milliseconds period;
    };

    WakeTimerResult Set(std::chrono::milliseconds due, std::chrono::milliseconds period) override
    {
        settings.push_back({due, period});
        armed = answer == WakeTimerResult::Set;
        return answer;
    }
    void Close() override
    {
        closed = true;
        armed = false;
    }
    bool Armed() const override { return armed; }

    std::vector<Setting> settings;
    WakeTimerResult answer = WakeTimerResult::Set;
    bool closed = false;
    bool armed = false;
};
