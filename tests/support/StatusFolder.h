#pragma once
// A program folder as a trade run leaves it, written from files alone for
// `pellago --status`: the terms marker, one account holding Sell 3 USDJPY
// against a signal that wants Buy 10, the settings file's AutoTrade keys,
// the activity log (CP932) and the mail folders.

#include "base/Clock.h"
#include "base/TextCodec.h"
#include "reporting/MailQueue.h"
#include "support/StatusFixtures.h"

#include <string>
#include <utility>
#include <vector>

namespace statusfolder {

struct LogLine {
    DateTime time;
    std::string text;
};

struct RunState {
    bool licensed = true;
    bool withAccount = true;
    std::string latestTrade = "1";
    std::string retryCount = "0";
    std::vector<LogLine> log; // all in the month of the first line
};

inline void WriteFolder(const std::string& folder, const std::string& iniName, const RunState& state)
{
    statusfixture::Program program(folder);
    if (state.licensed)
        program.Write("AutoTrade/Licensed", "");
    statusfixture::Account account;
    account.holdPosition = "<Summary><USDJPY><OpenRate>151.2</OpenRate><Trend>Sell</Trend><Units>-3</Units></USDJPY></Summary>";
    const std::vector<statusfixture::System> systems{{"USDJPY", "Breakout", 1, 1, {{"1", "1"}}}};
    program.WriteAccounts(state.withAccount ? std::vector{account} : std::vector<statusfixture::Account>{}, systems);
    program.WriteSignal(statusfixture::SignalXml(systems));
    program.Write(iniName, "[AutoTrade]\r\nLatestTrade=" + state.latestTrade + "\r\nURetryCount=" + state.retryCount + "\r\n");
    std::string log;
    for (const LogLine& line : state.log)
        log += "[" + FormatTimeStamp(line.time) + "]\u3000" + line.text + "\r\n";
    if (!state.log.empty()) {
        const DateTime& first = state.log.front().time;
        program.Write("Log/" + std::to_string(first.year) + "-" + (first.month < 10 ? "0" : "") +
                          std::to_string(first.month) + ".log",
                      Utf8ToCp932(log));
    }
    program.Write("MailTemp/2024年1月5日7時6分0.000秒のログ.log", "");
    program.Write("MailLog/.keep", "");
    SaveMailFile(folder + "MailLog/2024年1月5日7時5分0.000秒のログ.log", "Pellago 自動売買レポート", "本文");
}

} // namespace statusfolder
