#pragma once
// An account document and a template on disk, for the settings operations.

#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/XmlFile.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

namespace accountops {

struct Files {
    testsupport::ScratchDir dir;
    std::string account = dir.file("Account.xml");
    std::string accountTemplate = dir.file("AccountTemplate.xml");

    Files(const std::string& accountXml, const std::string& templateXml)
    {
        testsupport::WriteFileBytes(account, accountXml);
        testsupport::WriteFileBytes(accountTemplate, templateXml);
    }
    pugi::xml_document load() const
    {
        pugi::xml_document doc;
        EXPECT_TRUE(LoadAccountDocument(doc, account));
        return doc;
    }
};

inline DateTime At(int day, int hour)
{
    DateTime t;
    t.year = 2010;
    t.month = 1;
    t.day = day;
    t.hour = hour;
    return t;
}

inline std::vector<std::string> NamesOf(const std::vector<pugi::xml_node>& nodes, const char* attribute = "Name")
{
    std::vector<std::string> names;
    for (pugi::xml_node node : nodes) names.push_back(AttributeValue(node, attribute));
    return names;
}

} // namespace accountops
