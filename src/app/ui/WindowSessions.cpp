#include "app/ui/WindowSessions.h"

#include "app/ProxySetting.h"
#include "app/ui/PellagoUnit1.h"
#include "broker/DialogWatchdog.h"
#include "broker/ProgramAdapters.h"

#include <QCheckBox>

namespace {

BrowserDialogAnswer AnswerDialog(const BrowserDialog& dialog)
{
    return ProgramDialogWatchdog().Answer(dialog);
}

} // namespace

WindowSessions::WindowSessions(TPellagoForm& form, bool reloadWatchdog) : browsers_(AnswerDialog), host_{&form}
{
    static const TAdapterFactory adapters = ProgramAdapterFactory();
    const TProxySetting proxy = GetProxySetting();
    environment_.Adapters = &adapters;
    environment_.Browsers = &browsers_;
    // The developer switch gives every session a browser window of its own.
    environment_.Host = form.CheckBox8->isChecked() ? nullptr : &host_;
    if (reloadWatchdog)
        environment_.Watchdog = [](bool reloading) { ProgramDialogWatchdog().SetEnabled(reloading); };
    environment_.Proxy = TSessionProxy{proxy.UseProxy, proxy.Address};
}
