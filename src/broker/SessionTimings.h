#pragma once
// How long a session gives a page: the deadline of WaitIE, the settle
// before it reads the browser, the pause between two readings and the pause
// before it reloads a broken page. Every session starts with the program-wide
// defaults; only tests shorten them, so that a run takes seconds instead of
// minutes.

struct TSessionTimings {
    int WaitTimeoutSeconds = 30;
    int SettleMilliseconds = 700;
    int PollMilliseconds = 300;
    int ReloadPauseMilliseconds = 1000;
};

TSessionTimings DefaultSessionTimings();
void SetDefaultSessionTimings(const TSessionTimings& timings);
