#pragma once
// Reading documents by their bytes and saving them without ever leaving a
// half-written file. Failures give false and a detail-log line, never throw.

#include <pugixml.hpp>

#include <string>

// Bytes to a document: an encoding named in the XML declaration is honoured;
// otherwise valid UTF-8 is UTF-8 and anything else is CP932.
bool ParseXmlBytes(const std::string& bytes, pugi::xml_document& doc, std::string* error = nullptr);
bool LoadXmlFile(const std::string& path, pugi::xml_document& doc);

// The document as saved: UTF-8 with declaration, indented.
std::string XmlText(const pugi::xml_document& doc);
// Replaces `path` atomically: the old file stays whole if anything fails.
bool SaveXmlFile(const pugi::xml_document& doc, const std::string& path);
