#include "documents/XmlFile.h"

#include "base/AkUnit.h"
#include "base/Log.h"
#include "documents/XmlEncoding.h"

#include <sstream>

bool ParseXmlBytes(const std::string& bytes, pugi::xml_document& doc, std::string* error)
{
    std::string utf8;
    std::string reason;
    if (!DecodeXmlBytes(bytes, utf8, reason)) {
        if (error) *error = reason;
        return false;
    }
    pugi::xml_parse_result result = doc.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!result) {
        if (error) *error = std::string(result.description()) + " at offset " + std::to_string(result.offset);
        doc.reset();
        return false;
    }
    return true;
}

bool LoadXmlFile(const std::string& path, pugi::xml_document& doc)
{
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        AddDetailLog("[XML] " + path + " を読み込めません");
        doc.reset();
        return false;
    }
    std::string error;
    if (!ParseXmlBytes(bytes, doc, &error)) {
        AddDetailLog("[XML] " + path + " はXMLとして読めません: " + error);
        return false;
    }
    return true;
}

std::string XmlText(const pugi::xml_document& doc)
{
    std::ostringstream stream;
    doc.save(stream, "\t", pugi::format_default, pugi::encoding_utf8);
    return stream.str();
}

bool SaveXmlFile(const pugi::xml_document& doc, const std::string& path)
{
    if (SaveFileAtomically(path, XmlText(doc))) return true;
    AddDetailLog("[XML] " + path + " へ保存できません");
    return false;
}
