#include "app/ui/AccountScreensWiring.h"

#include "app/MarketCalendar.h"
#include "app/SelfUpdate.h"
#include "app/ServiceContext.h"
#include "app/TemplateFetch.h"
#include "app/ui/AutoTradeWiring.h"
#include "app/ui/PellagoUnit1.h"
#include "app/ui/RadioGroup.h"
#include "app/ui/WindowSessions.h"
#include "base/Log.h"
#include "documents/AccountDocument.h"
#include "reporting/ui/StatusPages.h"
#include "trading/RunUpdateAccount.h"
#include "trading/ui/AccountTab.h"
#include "trading/ui/ModelCaseTab.h"
#include "trading/ui/PortfolioTab.h"

#include <QCheckBox>
#include <QPushButton>

#include <exception>

namespace {

constexpr int kActivityLogMode = 1;

// UpdateAccount in log-on test mode on a scratch copy of the document: only a
// password the broker forced to change and the balances read reach the file.
bool LogOnToEveryEnabledAccount(TPellagoForm& form)
{
    pugi::xml_document scratch;
    if (!LoadAccountDocument(scratch, form.AccountXmlPath))
        return false;
    const WindowSessions sessions(form, false);
    const SessionLog log = [](const std::string& text) { AddLog(text); };
    TTradeAPI api(CancelRequested, !form.CheckBox10->isChecked(), log,
                  [](const std::string& text) { AddDetailLog(text); });
    const bool ok =
        api.UpdateAccount(nullptr, scratch, form.AccountXmlPath, TUpdateMode::LogOnTest, sessions.Environment());
    return KeepLogOnTestBalances(scratch, form.AccountXmlPath, log) && ok;
}

bool RunLogOnTest(TPellagoForm& form)
{
    AutoTradeWiring& autoTrade = form.AutoTrade();
    autoTrade.PlaceCancelButton(CancelButtonPlace::AddAccountButton);
    const int logMode = form.RadioGroup1->itemIndex();
    form.LockForRun(false, kActivityLogMode);
    form.CancelButton->setEnabled(true);
    form.CancelButton->show();
    form.CancelButton->raise();
    CancelRequested = false;

    bool ok = false;
    try {
        ok = LogOnToEveryEnabledAccount(form);
    } catch (const std::exception& error) {
        AddDetailLog(std::string("■■LoginTest Error! ") + error.what());
    }

    form.LockForRun(true, logMode);
    form.CancelButton->hide();
    form.CancelButton->setEnabled(false);
    autoTrade.PlaceCancelButton(CancelButtonPlace::StartButton);
    return ok;
}

} // namespace

void ConnectAccountScreens(TPellagoForm& form)
{
    auto refreshPage = [&form] { form.Status().DrawPageOfMainTab(); };

    AccountTabControls accountControls{form.TreeView1,     form.EditXMLValue,   form.ComboXMLValue,
                                       form.ComboBox1,     form.Button3,        form.AccountLoginTest,
                                       form.DeleteAccount, form.MoveAccountUp,  form.MoveAccountDown};
    auto* accounts = new AccountTab(
        accountControls, {[] { return IsMarketOpen(); }, [&form] { return RunLogOnTest(form); }, refreshPage}, &form);

    auto* portfolio = new PortfolioTab({form.TreeView2, form.ValueListEditor1},
                                       {[&form] { return form.CheckBox10->isChecked(); },
                                        [&form] { form.StretchLeftTabs(); }, refreshPage},
                                       &form);
    QObject::connect(accounts, &AccountTab::treesReloaded, portfolio, &PortfolioTab::LoadTree);

    ModelCaseTabControls modelControls{form.TabSheet8, form.ComboBox3, form.CheckBox29, form.Edit12, form.CheckBox23,
                                       form.Label36,   form.Edit13,    form.Edit15,     form.Edit14, form.CheckBox24};
    new ModelCaseTab(modelControls, {[&form](int account) { form.Status().DrawVirtualFundsPage(account); }}, &form);

    for (QPushButton* fetch : {form.Button2, form.Button9})
        QObject::connect(fetch, &QPushButton::clicked, accounts, [&form] {
            // A start without the template is waiting for this fetch to finish its version check.
            if (FetchAccountTemplate())
                CompleteStartupVersionCheck(form.CurrentServiceSettings());
        });
    // A fetched template brings new brokers and portfolios: the trees follow.
    ServiceHooks hooks = CurrentServiceHooks();
    hooks.templateFetched = [&form, accounts](const std::vector<std::string>& brokers) {
        form.FillBrokerList(brokers);
        accounts->LoadAccountTrees();
    };
    // Offline, the accounts and portfolios already in the document still show.
    hooks.templateUnavailable = [accounts] { accounts->LoadAccountTrees(); };
    SetServiceHooks(hooks);
}
