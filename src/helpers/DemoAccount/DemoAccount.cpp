#include "DemoAccount.h"

#include "app/TemplateFetch.h"
#include "base/Angou.h"
#include "base/Clock.h"
#include "trading/AccountOperations.h"
#include "trading/LeverageRows.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"

#include <pugixml.hpp>

#include <vector>

namespace {

bool StoreLogIn(const DemoAccountRequest& request)
{
    pugi::xml_document doc;
    if (!LoadAccountDocument(doc))
        return false;
    const std::vector<pugi::xml_node> accounts = AccountElements(doc);
    if (accounts.empty())
        return false;
    pugi::xml_node account = accounts.back();
    SetChildValue(account, "Enabled", "True");
    SetChildValue(account, "UserName", AngouEncodeText(request.userName));
    SetChildValue(account, "Password", AngouEncodeText(request.password));
    return SaveAccountDocument(doc);
}

// The new account is the last row of every item; the others keep theirs.
bool SetLeverages(const std::string& leverage)
{
    pugi::xml_document doc;
    if (!LoadAccountDocument(doc))
        return false;
    for (pugi::xml_node group : PortfolioGroups(PortfolioElement(doc)))
        for (pugi::xml_node item : PortfolioItems(group)) {
            const std::string pair = group.attribute("Name").value();
            const std::string system = item.attribute("Name").value();
            std::vector<std::string> values;
            for (const TLeverageRow& row : ReadLeverageRows(doc, pair, system, true))
                values.push_back(row.Value);
            if (values.empty())
                return false;
            values.back() = leverage;
            if (!WriteLeverageRows(pair, system, values))
                return false;
        }
    return true;
}

} // namespace

bool AddDemoAccount(const DemoAccountRequest& request, std::string& error)
{
    if (!FetchAccountTemplate()) {
        error = "the service's account template could not be fetched";
        return false;
    }
    if (!AddAccountFromTemplate(request.broker, Now())) {
        error = "the template has no broker entry \"" + request.broker + "\"";
        return false;
    }
    if (!StoreLogIn(request)) {
        error = "the account document could not be updated";
        return false;
    }
    if (!SetLeverages(request.leverage)) {
        error = "the leverages could not be written";
        return false;
    }
    return true;
}
