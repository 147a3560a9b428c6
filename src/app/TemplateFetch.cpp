#include "app/TemplateFetch.h"

#include "app/Download.h"
#include "app/HelperFiles.h"
#include "app/ServiceContext.h"
#include "app/ServiceEndpoints.h"
#include "app/SignalFiles.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "trading/AccountOperations.h"
#include "trading/TemplateMerge.h"
#include "documents/AccountDocument.h"
#include "documents/XmlFile.h"

#include <filesystem>

namespace {

bool FetchFailed()
{
    AddLog(std::string("Webから業者リスト/ポートフォリオリストを取得しようとしましたが失敗しました。") + "\r\n" +
           "ネットワーク設定を見直してください");
    if (CurrentServiceHooks().templateUnavailable)
        CurrentServiceHooks().templateUnavailable();
    return false;
}

} // namespace

bool FetchAccountTemplate()
{
    std::string text;
    pugi::xml_document accountTemplate;
    // A text that does not read as XML is refused before it can replace the
    // template kept from the last good fetch.
    if (!FetchText(ServiceUrl(CurrentServiceEndpoints(), "/account_template.xml"), text) ||
        !ParseXmlBytes(text, accountTemplate) || !accountTemplate.document_element())
        return FetchFailed();
    EnsureDir(ProgramPath("Setting"));
    if (!SaveFileAtomically(AccountTemplatePath(), WithCrLfLineEnds(text)))
        return FetchFailed();
    std::vector<std::string> brokers = TemplateBrokerNames(accountTemplate);
    if (!std::filesystem::exists(AccountDocumentPath()))
        CreateAccountDocumentFile(accountTemplate);
    MergeAccountTemplate(UpdateHelperFiles, [](const std::string& line) { AddLog(line); });
    if (CurrentServiceHooks().templateFetched)
        CurrentServiceHooks().templateFetched(brokers);
    return true;
}
