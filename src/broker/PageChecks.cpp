#include "broker/PageChecks.h"

#include "base/AkUnit.h"

bool IsServerErrorPage(const std::string& body, const std::string& address)
{
    if (ContainsNoCase(body, "ページを表示できません") || ContainsNoCase(body, "ページが見つかりません"))
        return true;
    if (EqualsNoCase(address, "about:blank"))
        return false;
    return Trim(body).empty();
}

std::string PageDump(const std::string& html)
{
    return "[WaitIE.Log.Start]\r\n" + html + "\r\n[WaitIE.Log.End]";
}

ReloadingScope::ReloadingScope(const std::function<void(bool)>& onReloading) : onReloading_(onReloading)
{
    if (onReloading_)
        onReloading_(true);
}

ReloadingScope::~ReloadingScope()
{
    try {
        if (onReloading_)
            onReloading_(false);
    } catch (...) {
    }
}
