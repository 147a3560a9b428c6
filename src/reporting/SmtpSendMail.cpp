#include "reporting/SmtpSendMail.h"

#include "base/AkUnit.h"
#include "base/Clock.h"
#include "base/CurlTransfer.h"
#include "reporting/MailRoute.h"
#include "reporting/SmtpFailure.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// A server that stops answering (less than a byte a second for a minute) ends the transfer.
constexpr long kStallSeconds = 60;

struct Upload {
    const std::string& bytes;
    std::size_t sent = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* source)
{
    auto* upload = static_cast<Upload*>(source);
    const std::size_t length = std::min(size * count, upload->bytes.size() - upload->sent);
    std::memcpy(buffer, upload->bytes.data() + upload->sent, length);
    upload->sent += length;
    return length;
}

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

Slist RecipientList(const std::vector<std::string>& recipients)
{
    curl_slist* list = nullptr;
    for (const std::string& address : recipients)
        list = curl_slist_append(list, ("<" + address + ">").c_str());
    return Slist(list);
}

std::string ServerUrl(const std::string& host, long port)
{
    const bool ipv6 = host.find(':') != std::string::npos;
    return "smtp://" + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

bool NoConnection(CURLcode code)
{
    return code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_CONNECT || code == CURLE_OPERATION_TIMEDOUT;
}

TMailResult SendBySmtp(const TSmtpSettings& smtp, const TMailContent& mail)
{
    long long port = 0;
    const std::vector<std::string> recipients = SplitRecipients(mail.Recipients);
    if (!TryParseInteger(smtp.Port, port) || port < 1 || port > 65535 || Trim(smtp.Host).empty() ||
        recipients.empty()) {
        LogRouteFailure("SMTP", "ホスト、ポートまたは受信者メールアドレスが正しくありません");
        return TMailResult::Failed;
    }
    CurlEasy easy;
    if (!easy) {
        LogRouteFailure("SMTP", "通信を準備できません");
        return TMailResult::Failed;
    }
    const std::string message = BuildMailMessage(mail, NowPoint());
    Upload upload{message};
    const Slist rcpt = RecipientList(recipients);
    const std::string url = ServerUrl(Trim(smtp.Host), static_cast<long>(port));
    const std::string from = "<" + Trim(mail.SenderAddress) + ">";
    char error[CURL_ERROR_SIZE] = "";

    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, kSmtpConnectTimeoutMs);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error);
    if (smtp.UseTls)
        curl_easy_setopt(handle, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    if (!smtp.CaFile.empty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, smtp.CaFile.c_str());
    if (!smtp.User.empty()) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, smtp.User.c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, smtp.Password.c_str());
    }
    curl_easy_setopt(handle, CURLOPT_MAIL_FROM, from.c_str());
    curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, rcpt.get());
    curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(handle, CURLOPT_READFUNCTION, ReadUpload);
    curl_easy_setopt(handle, CURLOPT_READDATA, &upload);
    curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));

    const CURLcode result = PerformWithEvents(handle);
    if (result == CURLE_OK)
        return TMailResult::Sent;
    LogRouteFailure("SMTP", SmtpFailureReason(result, error, Trim(smtp.Host) + ":" + std::to_string(port)));
    return NoConnection(result) ? TMailResult::Unreachable : TMailResult::Failed;
}

} // namespace

TMailResult SmtpSendMail(const TSmtpSettings& smtp, const TMailContent& mail)
{
    return RunMailRoute("SMTP", [&] { return SendBySmtp(smtp, mail); });
}
