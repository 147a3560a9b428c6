#include "broker/TradeApiBase.h"

#include "base/AkUnit.h"
#include "broker/SessionTimings.h"
#include "documents/DocumentNodes.h"

#include <cmath>

void TSessionCloser::operator()(TTradeApiBase* session) const {
    if (!session) return;
    session->Close();
    delete session;
}

TTradeApiBase::TTradeApiBase(const TSessionSettings& settings)
    : OnLog(settings.OnLog),
      OnDetailLog(settings.OnDetailLog),
      OnReloading(settings.OnReloading),
      UserName(settings.UserName),
      Password(settings.Password),
      SubPassword(settings.SubPassword),
      Slippage(settings.Slippage),
      LoginURL(settings.LoginURL),
      AccountName(settings.AccountName),
      Browsers(settings.Browsers),
      Host(settings.Host),
      Proxy(settings.Proxy),
      CancelFlag(settings.CancelFlag),
      MinLotText(settings.MinLotSize),
      MaxLotText(settings.MaxLotSize),
      UnitSizeText(settings.AccountBaseUnitSize),
      Currency(settings.AccountBaseCurrency) {
    const TSessionTimings timings = DefaultSessionTimings();
    WaitTimeoutSeconds = timings.WaitTimeoutSeconds;
    SettleMilliseconds = timings.SettleMilliseconds;
}

TTradeApiBase::~TTradeApiBase() = default;

void TTradeApiBase::Start() {
    try {
        if (Browsers && !OpenBrowser()) return;
        if (!ConvertNumericSettings()) {
            DetailLog("口座設定の数値を読めません。この口座は使用できません");
            return;
        }
        LogOnAndCheck();
    } catch (...) {
        Active = false;
    }
}

bool TTradeApiBase::ConvertNumericSettings() {
    long long minLots = 0;
    long long maxLots = 0;
    long long unit = 0;
    if (!TryParseInteger(MinLotText, minLots) || !TryParseInteger(MaxLotText, maxLots) ||
        !TryParseInteger(UnitSizeText, unit))
        return false;
    // A lot of no currency units would make every lot conversion divide by 0.
    if (unit <= 0 || unit > INT32_MAX || minLots > INT32_MAX || maxLots > INT32_MAX) return false;
    MinLotSize = static_cast<int>(minLots);
    MaxLotSize = static_cast<int>(maxLots);
    UnitSize = static_cast<int>(unit);
    const bool yen = EqualsNoCase(Currency, "JPY");
    PLDigits = yen ? 0 : -2;
    LotFactor = yen ? 1.0 / (UnitSize * 100.0) : 1.0 / UnitSize;
    return true;
}

bool TTradeApiBase::LogOnAndCheck() {
    Balance = 0;
    BalancePL = 0;
    try {
        Active = LogOn(UserName, Password);
    } catch (...) {
        Active = false;
    }
    if (CancelRequested()) {
        Log("[Cancel] 処理を中断します...");
        return false;
    }
    Active = Balance != 0 && BalancePL != 0;
    if (Active) {
        Log("口座資産 = " + FormatMoney(FormatDecimal(Balance), "JPY", false));
        Log("評価資産 = " + FormatMoney(FormatDecimal(BalancePL), "JPY", false));
    } else {
        Log("口座情報が取得できないか、あるいは資産残高が0円です。この口座の処理を抜けます");
    }
    return Active;
}

bool TTradeApiBase::Unconfirmed() {
    if (AnswerLost) {
        Log("送信の応答が失われたため、再ログインして続けます");
        LogOnAndCheck();
    }
    return false;
}

void TTradeApiBase::Close() {
    try {
        if (Active) LogOff();
    } catch (...) {
    }
    Active = false;
    WebBrowser.reset();
}

bool TTradeApiBase::UpdateAccountInfo(pugi::xml_node accountDay) {
    if (Balance == 0 || BalancePL == 0) return true;
    try {
        const double scale = std::pow(10.0, -PLDigits);
        const double pl = static_cast<double>(RoundHalfAway((BalancePL - Balance) * scale)) / scale;
        SetChildValue(accountDay, "Balance", FormatDecimal(Balance));
        SetChildValue(accountDay, "BalancePL", FormatDecimal(BalancePL));
        SetChildValue(accountDay, "PL", FormatDecimal(pl));
        return true;
    } catch (...) {
        return false;
    }
}

std::string TTradeApiBase::ComputeLots(double ratio) const {
    long long lots = RoundHalfAway(BalancePL * ratio * LotFactor);
    if (lots < MinLotSize) lots = MinLotSize;
    if (lots > MaxLotSize) lots = MaxLotSize;
    return std::to_string(lots);
}

void TTradeApiBase::Log(const std::string& text) const {
    try {
        if (OnLog) OnLog("[" + AccountName + "] " + text);
    } catch (...) {
    }
}

void TTradeApiBase::DetailLog(const std::string& text) const {
    try {
        if (OnDetailLog) OnDetailLog("[" + AccountName + "] " + text);
    } catch (...) {
    }
}

bool TTradeApiBase::CancelRequested() const { return CancelFlag && *CancelFlag; }

void TTradeApiBase::PauseAfterFixOrder() { PumpMessages(100); }
