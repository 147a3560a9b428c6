#pragma once
// One outgoing mail as RFC 5322 text with MIME: Japanese in ISO-2022-JP
// (7bit, or Base64 when a line would pass the 998-octet limit) or, with the
// UTF-8 option, UTF-8 in Base64; non-ASCII header text as encoded words.

#include <chrono>
#include <string>
#include <vector>

// What the routes send. Texts are UTF-8 as everywhere in the program.
struct TMailContent {
    std::string Subject;
    std::string Body;          // lines ended by CR LF, LF or CR
    std::string SenderName;    // display name; may be empty
    std::string SenderAddress; // empty: no From line (the system mailer adds its own)
    std::string Recipients;    // the recipient field as typed: "a@x;b@y", "a@x, b@y"
    bool Utf8 = false;         // "UTF-8に変換"
};

// How a route ended. Unreachable (no connection to the server or the page)
// ends a queue pass early; Failed is this mail's own failure.
enum class TMailResult { Sent, Failed, Unreachable };

// The addresses of a recipient field, split on ";" and ",", trimmed, empties dropped.
std::vector<std::string> SplitRecipients(const std::string& field);

std::string EncodeBase64(const std::string& bytes);

// The sender's display name for From: plain ASCII as it is (quoted when it
// holds characters a phrase cannot), anything else entirely as ISO-2022-JP
// "B" encoded words, so that mail clients can decode every part of it.
std::string EncodeJisHeaderWord(const std::string& name);

// A header text such as the subject: plain ASCII unchanged, otherwise
// encoded words in the message's charset (ISO-2022-JP or UTF-8).
std::string EncodeHeaderText(const std::string& text, bool utf8);

// "Tue, 5 Nov 2024 07:03:12 +0900" in the machine's time zone.
std::string MailDate(std::chrono::system_clock::time_point when);

// The whole message: headers, an empty line, the body, CR LF line ends.
std::string BuildMailMessage(const TMailContent& mail, std::chrono::system_clock::time_point when);
