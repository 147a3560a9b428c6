#pragma once
// Why an SMTP delivery failed, in words a user can act on: libcurl's result
// and its error text (which carries the server's reply to MAIL or RCPT)
// turned into a Japanese reason naming the server.

#include <curl/curl.h>

#include <string>

// server: "host:port" as the user typed them.
std::string SmtpFailureReason(CURLcode code, const std::string& curlError, const std::string& server);
