#pragma once
// The character encoding of XML that comes from outside, decided by its bytes.

#include <string>

// The encoding named in the XML declaration, or "" when there is none.
std::string DeclaredXmlEncoding(const std::string& bytes);
// Converts the bytes to UTF-8: a byte-order mark or a declared encoding is
// honoured; otherwise valid UTF-8 stays and anything else is read as CP932.
bool DecodeXmlBytes(const std::string& bytes, std::string& utf8, std::string& error);
