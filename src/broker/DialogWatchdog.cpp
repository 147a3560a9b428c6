#include "broker/DialogWatchdog.h"

#include "base/Log.h"

#include <cstdlib>

namespace {

BrowserDialogAnswer FirstButton(const BrowserDialog& dialog) {
    return BrowserDialogAnswer{true, dialog.defaultValue};
}

std::string FirstCaption(const BrowserDialog& dialog) {
    return dialog.buttons.empty() ? std::string() : dialog.buttons.front();
}

} // namespace

DialogWatchdog::DialogWatchdog(Actions actions) : actions_(std::move(actions)) {}

BrowserDialogAnswer DialogWatchdog::Answer(const BrowserDialog& dialog) {
    // Pages have no window handles; a running number stands in for them, the
    // buttons numbered right after their dialog.
    const long long handle = ++dialogsSeen_ * 10;
    if (!enabled_) {
        if (actions_.detailLog)
            actions_.detailLog("[Dialog] " + dialog.message + " → " + FirstCaption(dialog) +
                               " で応答 (" + dialog.pageUrl + ")");
        return FirstButton(dialog);
    }
    LogDialog(dialog, handle);
    ++attempts_;
    if (attempts_ > kAttemptLimit) {
        if (actions_.log)
            actions_.log("[Bt32770] 確認ウィンドウが出現する状況を一向に改善できません。"
                         "いったん強制終了し、少し時間をおいて再起動します");
        if (actions_.endProgram) actions_.endProgram();
        return FirstButton(dialog);
    }
    if (actions_.log)
        actions_.log("[Bt32770] " + FirstCaption(dialog) + " ボタンをクリック (" + std::to_string(attempts_) +
                     "/10回目)");
    return FirstButton(dialog);
}

void DialogWatchdog::LogDialog(const BrowserDialog& dialog, long long handle) {
    if (!actions_.log) return;
    actions_.log("[Bt32770] 確認ウィンドウが発生. (Handle = " + std::to_string(handle) + ")");
    for (std::size_t slot = 0; slot < dialog.buttons.size() && slot < 2; ++slot)
        actions_.log("[Bt32770] [" + std::to_string(slot) + "] Hwnd=" + std::to_string(handle + 1 + slot) +
                     ", Button, " + dialog.buttons[slot]);
}

DialogWatchdog& ProgramDialogWatchdog() {
    static DialogWatchdog watchdog(DialogWatchdog::Actions{
        [](const std::string& text) { AddLog(text); },
        [](const std::string& text) { AddDetailLog(text); },
        [] { std::_Exit(0); },
    });
    return watchdog;
}
