#pragma once
// One POP3 session on libcurl: log-in, message count, retrieval and
// deletion on one connection. Deletions take effect when the session ends
// normally (QUIT); a dropped connection keeps every message on the server.

#include "base/CurlTransfer.h"

#include <string>
#include <vector>

class Pop3Mailbox {
public:
    static constexpr long kConnectTimeoutMs = 20000;

    Pop3Mailbox(const std::string& host, int port, const std::string& user, const std::string& password);
    ~Pop3Mailbox(); // ends the session (QUIT)
    Pop3Mailbox(const Pop3Mailbox&) = delete;
    Pop3Mailbox& operator=(const Pop3Mailbox&) = delete;

    // Connects and logs in (by asking for the list); false when that fails.
    bool Open();
    int MessageCount() const { return static_cast<int>(sizes_.size()); }
    // The whole message k (1-based) as received; false when fewer bytes came
    // than the list announced (the connection ended inside the message).
    bool Retrieve(int k, std::string& raw);
    bool Delete(int k);
    const std::string& LastError() const { return error_; }

private:
    bool Run(const std::string& path, const char* command, std::string* body);

    std::string base_;
    std::string user_;
    std::string password_;
    CurlMulti multi_; // holds the connection between requests
    CurlEasy easy_;
    std::vector<long long> sizes_; // octets of each waiting message, from LIST
    std::string error_;
};
