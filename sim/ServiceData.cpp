#include "ServiceData.h"

#include "Markup.h"
#include "base/Angou.h"
#include "base/Clock.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace sim {

namespace {

std::optional<std::string> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string Trimmed(const std::string& text)
{
    auto start = text.find_first_not_of(" \t\r\n");
    auto end = text.find_last_not_of(" \t\r\n");
    return start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
}

std::string SubscriberKey(const std::string& id, const std::string& password) { return id + "\n" + password; }

// "{BASE}" becomes the host's address; "{LOU:/path}" the scrambled log-on
// address of a broker page without its first four characters, as account
// entries carry it.
std::string ExpandPlaceholders(std::string text, const std::string& baseUrl)
{
    const std::string lou = "{LOU:";
    for (std::size_t at = text.find(lou); at != std::string::npos; at = text.find(lou, at)) {
        std::size_t close = text.find('}', at);
        if (close == std::string::npos)
            break;
        std::string url = baseUrl + text.substr(at + lou.size(), close - at - lou.size());
        std::string scrambled = EscapeMarkup(AngouEncodeText(url.substr(4)));
        text.replace(at, close - at + 1, scrambled);
        at += scrambled.size();
    }
    const std::string base = "{BASE}";
    for (std::size_t at = text.find(base); at != std::string::npos; at = text.find(base, at + baseUrl.size()))
        text.replace(at, base.size(), baseUrl);
    return text;
}

// counterTradeIsClose: an opposite order closes positions at this broker, so
// the adjustment only ever opens (LionFX). The log-in values carry Visible
// first (the problem report leaves such lines out); the user types the three
// shown ones on the account tab, the others stay hidden there.
std::string BrokerEntry(const std::string& label, const std::string& logOnPath, int unitSize,
                        bool counterTradeIsClose)
{
    return "    <Account Name=\"" + label + "\">\n"
           "      <Enabled>False</Enabled>\n"
           "      <UserName Visible=\"True\"></UserName>\n"
           "      <Password Visible=\"True\"></Password>\n"
           "      <SubPassword Visible=\"True\"></SubPassword>\n"
           "      <NowPassword Visible=\"False\">Password</NowPassword>\n"
           "      <LOU Visible=\"False\">Replace::{LOU:" + logOnPath + "}</LOU>\n"
           "      <AccountBaseCurrency>JPY</AccountBaseCurrency>\n"
           "      <AccountBaseUnitSize>" + std::to_string(unitSize) + "</AccountBaseUnitSize>\n"
           "      <MinLotSize>1</MinLotSize>\n"
           "      <MaxLotSize>100</MaxLotSize>\n"
           "      <Slippage>10</Slippage>\n"
           "      <CounterTradeIsClose>Replace::" + (counterTradeIsClose ? "True" : "False") + "</CounterTradeIsClose>\n"
           "      <AutoModelCase>False</AutoModelCase>\n"
           "      <AutoModelRatio>1</AutoModelRatio>\n"
           "      <VirtualBalanceMode>False</VirtualBalanceMode>\n"
           "      <VirtualBalance>0</VirtualBalance>\n"
           "      <VarianceMode>False</VarianceMode>\n"
           "      <VarianceTarget>10000</VarianceTarget>\n"
           "      <Today><Balance>0</Balance><BalancePL>0</BalancePL><PL>0</PL><PositionCount>0</PositionCount></Today>\n"
           "      <Yesterday><Balance>0</Balance><BalancePL>0</BalancePL><PL>0</PL><PositionCount>0</PositionCount></Yesterday>\n"
           "      <Status><HoldPosition/><MovedPosition/></Status>\n"
           "    </Account>\n";
}

} // namespace

std::string BuiltInDemoSignal()
{
    DateTime today = Now();
    char name[16];
    std::snprintf(name, sizeof name, "%02d%02d.xml", today.month % 100, today.day % 100);
    return std::string("<PellagoSignal>\n") + "  <FileName>" + name + "</FileName>\n" +
           "  <HoldPositionSummary>\n"
           "    <USDJPY><Breakout UseSystemCount=\"3\" PositionCount=\"2\"/><Swing UseSystemCount=\"2\" PositionCount=\"-1\"/></USDJPY>\n"
           "    <EURJPY><Breakout UseSystemCount=\"2\" PositionCount=\"1\"/></EURJPY>\n"
           "    <EURUSD><Swing UseSystemCount=\"2\" PositionCount=\"0\"/></EURUSD>\n"
           "  </HoldPositionSummary>\n"
           "  <HoldPosition/>\n"
           "</PellagoSignal>\n";
}

std::string BuiltInTemplateBase()
{
    return std::string("<AccountTemplate>\n") +
           "  <AccountSummary>\n"
           "    <Today><Balance>0</Balance><BalancePL>0</BalancePL><PL>0</PL></Today>\n"
           "    <Yesterday><Balance>0</Balance><BalancePL>0</BalancePL><PL>0</PL></Yesterday>\n"
           "    <LatestUpdate></LatestUpdate>\n"
           "  </AccountSummary>\n"
           "  <Portfolio>\n"
           "    <Group Name=\"USDJPY\">\n"
           "      <Item Name=\"Breakout\" Demo=\"True\" RealModel=\"2\" DemoModel=\"2\"/>\n"
           "      <Item Name=\"Swing\" Demo=\"True\" RealModel=\"1\" DemoModel=\"1\"/>\n"
           "    </Group>\n"
           "    <Group Name=\"EURJPY\">\n"
           "      <Item Name=\"Breakout\" Demo=\"True\" RealModel=\"1.5\" DemoModel=\"1.5\"/>\n"
           "    </Group>\n"
           "    <Group Name=\"EURUSD\">\n"
           "      <Item Name=\"Swing\" Demo=\"False\" RealModel=\"1\" DemoModel=\"0\"/>\n"
           "    </Group>\n"
           "  </Portfolio>\n"
           "  <Accounts>\n" +
           BrokerEntry("LionFX", "/lionfx/Login.do", 10000, true) +
           BrokerEntry("外為オンライン", "/ocbc/Login.do", 10000, false) +
           BrokerEntry("FXブロードネット", "/ocbc/Login.do", 10000, false) +
           BrokerEntry("コスモ", "/cosmo/Login.do", 10000, false) +
           "  </Accounts>\n"
           "</AccountTemplate>\n";
}

ServiceData::ServiceData() : templateBase_(BuiltInTemplateBase()), version_("1.0271") {}

bool ServiceData::LoadFolder(const std::string& folder)
{
    const fs::path root(folder);
    if (!fs::is_directory(root))
        return false;
    if (auto demo = ReadBytes(root / "demo_signal.xml"))
        SetDemoSignal(*demo);
    if (auto base = ReadBytes(root / "account_template.xml"))
        SetTemplateBase(*base);
    if (auto version = ReadBytes(root / "version.txt"))
        SetVersion(Trimmed(*version));
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root / "signals", ec))
        if (entry.is_regular_file())
            if (auto xml = ReadBytes(entry.path()))
                SetSignal(entry.path().filename().string(), *xml);
    for (const auto& entry : fs::recursive_directory_iterator(root / "files", ec))
        if (entry.is_regular_file())
            if (auto bytes = ReadBytes(entry.path()))
                SetFile(fs::relative(entry.path(), root / "files").generic_string(), *bytes);
    if (auto accounts = ReadBytes(root / "accounts.txt")) {
        std::istringstream lines(*accounts);
        std::string id, password, signal;
        while (lines >> id >> password >> signal)
            SetSubscriber(id, password, signal);
    }
    return true;
}

void ServiceData::SetDemoSignal(std::string xml)
{
    std::lock_guard lock(mutex_);
    demoSignal_ = std::move(xml);
}

void ServiceData::SetSignal(const std::string& name, std::string xml)
{
    std::lock_guard lock(mutex_);
    signals_[name] = std::move(xml);
}

void ServiceData::SetSubscriber(const std::string& id, const std::string& password, const std::string& signalName)
{
    std::lock_guard lock(mutex_);
    subscribers_[SubscriberKey(id, password)] = signalName;
}

void ServiceData::SetTemplateBase(std::string xml)
{
    std::lock_guard lock(mutex_);
    templateBase_ = std::move(xml);
}

void ServiceData::SetTemplateOverride(std::optional<std::string> text)
{
    std::lock_guard lock(mutex_);
    templateOverride_ = std::move(text);
}

void ServiceData::SetVersion(std::string version)
{
    std::lock_guard lock(mutex_);
    version_ = std::move(version);
}

void ServiceData::SetFile(const std::string& path, std::string bytes)
{
    std::lock_guard lock(mutex_);
    files_[path] = std::move(bytes);
}

void ServiceData::RemoveFile(const std::string& path)
{
    std::lock_guard lock(mutex_);
    files_.erase(path);
}

void ServiceData::SetFault(const std::string& path, std::optional<ServiceFault> fault)
{
    std::lock_guard lock(mutex_);
    if (fault)
        faults_[path] = *fault;
    else
        faults_.erase(path);
}

void ServiceData::SetSigning(const std::string& path, FileSigning signing)
{
    std::lock_guard lock(mutex_);
    signings_[path] = std::move(signing);
}

FileSigning ServiceData::SigningOf(const std::string& path) const
{
    std::lock_guard lock(mutex_);
    auto it = signings_.find(path);
    return it == signings_.end() ? FileSigning() : it->second;
}

std::string ServiceData::Version() const
{
    std::lock_guard lock(mutex_);
    return version_;
}

std::string ServiceData::DemoSignal() const
{
    std::lock_guard lock(mutex_);
    return demoSignal_ ? *demoSignal_ : BuiltInDemoSignal();
}

std::optional<std::string> ServiceData::Signal(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    auto it = signals_.find(name);
    return it == signals_.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::optional<std::string> ServiceData::SignalNameOf(const std::string& id, const std::string& password) const
{
    std::lock_guard lock(mutex_);
    auto it = subscribers_.find(SubscriberKey(id, password));
    return it == subscribers_.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::optional<std::string> ServiceData::File(const std::string& path) const
{
    std::lock_guard lock(mutex_);
    auto it = files_.find(path);
    return it == files_.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::optional<ServiceFault> ServiceData::FaultFor(const std::string& path) const
{
    std::lock_guard lock(mutex_);
    auto it = faults_.find(path);
    return it == faults_.end() ? std::nullopt : std::optional<ServiceFault>(it->second);
}

std::string ServiceData::AccountTemplate(const std::string& baseUrl) const
{
    std::lock_guard lock(mutex_);
    if (templateOverride_)
        return *templateOverride_;
    std::string records;
    std::string bin;
    for (const auto& [path, bytes] : files_) {
        if (path.rfind("Bin/", 0) != 0)
            continue;
        std::string windowsPath = "Bin\\" + path.substr(4);
        bin += "    <File><Path>" + EscapeMarkup(windowsPath) + "</Path><URL>" + baseUrl + "/files/" + EscapeMarkup(path) +
               "</URL><Size>" + std::to_string(bytes.size()) + "</Size></File>\n";
    }
    records += "  <Bin>\n" + bin + "  </Bin>\n";
    if (!version_.empty())
        records += "  <Pellago><Version>" + EscapeMarkup(version_) + "</Version><URL>" + baseUrl +
                   "/files/Pellago.bin</URL></Pellago>\n";
    std::string text = ExpandPlaceholders(templateBase_, baseUrl);
    std::size_t close = text.rfind("</");
    if (close == std::string::npos)
        return text;
    return text.substr(0, close) + records + text.substr(close);
}

void ServiceData::RecordPost(FormPost post)
{
    std::lock_guard lock(mutex_);
    posts_.push_back(std::move(post));
}

std::vector<FormPost> ServiceData::Posts() const
{
    std::lock_guard lock(mutex_);
    return posts_;
}

} // namespace sim
