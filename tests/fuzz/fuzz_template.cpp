// The account template as the service's web host may send it: accepted as
// the fetch accepts it, its broker list read, an account document built from
// it or merged with it, its helper-program paths checked, and an account
// added from its first entry.
#include "app/HelperFiles.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/XmlFile.h"
#include "fuzz/FuzzScratch.h"
#include "trading/AccountOperations.h"
#include "trading/TemplateMerge.h"

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzzing::ScratchProgramFolder folder;
    static const std::string account = fuzzing::DataFile("Account.xml");
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    pugi::xml_document accountTemplate;
    if (!ParseXmlBytes(bytes, accountTemplate) || !accountTemplate.document_element())
        return 0;
    fuzzing::WriteFile(AccountTemplatePath(), bytes);
    // A first start builds the account document from the template; later
    // ones merge it into the user's.
    if (size % 2 == 0) {
        std::filesystem::remove(AccountDocumentPath());
        CreateAccountDocumentFile(accountTemplate);
    } else {
        fuzzing::WriteFile(AccountDocumentPath(), account);
    }
    const std::vector<std::string> brokers = TemplateBrokerNames(accountTemplate);
    const auto checkHelperPaths = [](pugi::xml_node bin) {
        for (pugi::xml_node entry : ChildElements(bin))
            ProgramFileFromService(NodeText(entry.child("Path")));
    };
    MergeAccountTemplate(checkHelperPaths, [](const std::string&) {});
    if (!brokers.empty())
        AddAccountFromTemplate(brokers.front(), DateTime{2025, 1, 6, 9, 30, 0, 0});
    return 0;
}
