#include "reporting/SmtpFailure.h"

namespace {

// The reply code after libcurl's "RCPT failed: " or "MAIL failed: ", or empty.
std::string ReplyAfter(const std::string& curlError, const std::string& command)
{
    const std::string marker = command + " failed: ";
    const std::size_t at = curlError.find(marker);
    return at == std::string::npos ? std::string() : curlError.substr(at + marker.size(), 3);
}

} // namespace

std::string SmtpFailureReason(CURLcode code, const std::string& curlError, const std::string& server)
{
    if (const std::string reply = ReplyAfter(curlError, "RCPT"); !reply.empty())
        return "メールサーバーが受信者メールアドレスを受け付けませんでした (応答 " + reply + ")";
    if (const std::string reply = ReplyAfter(curlError, "MAIL"); !reply.empty())
        return "メールサーバーが送信者メールアドレスを受け付けませんでした (応答 " + reply + ")";
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return "メールサーバー " + server + " が見つかりません (ホスト名を確認してください)";
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
        return "メールサーバー " + server + " に接続できません (ホストとポートを確認してください)";
    case CURLE_LOGIN_DENIED:
    case CURLE_AUTH_ERROR:
        return "メールサーバー " + server + " がログインを拒否しました (ユーザー名とパスワードを確認してください)";
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return "メールサーバー " + server + " の証明書を信頼できません";
    case CURLE_USE_SSL_FAILED:
        return "メールサーバー " + server + " は暗号化 (STARTTLS) に対応していません";
    case CURLE_SSL_CONNECT_ERROR:
        return "メールサーバー " + server + " と暗号化通信を始められません";
    default:
        return "メールサーバー " + server + " との通信に失敗しました (" +
               (curlError.empty() ? curl_easy_strerror(code) : curlError) + ")";
    }
}
