#pragma once
// Reading a received mail (RFC 5322 with MIME): the subject as UTF-8 and the
// body's bytes with the transfer encoding undone.

#include <string>

struct ReceivedMail {
    std::string subject;  // encoded words decoded, Japanese codes converted, UTF-8
    std::string body;     // transfer encoding undone, in the mail's own character code
    std::string charset;  // of the body, lower case; "" when not declared
};

ReceivedMail ParseReceivedMail(const std::string& raw);

// Header text (raw or decoded bytes in any Japanese code) to UTF-8.
std::string JapaneseBytesToUtf8(const std::string& bytes);
// RFC 2047: "=?charset?B|Q?...?=" words decoded and converted to UTF-8.
std::string DecodeHeaderText(const std::string& text);
std::string DecodeBase64(const std::string& text);
std::string DecodeQuotedPrintable(const std::string& text, bool headerForm = false);
