#include "app/SignedDownload.h"

#include "app/Download.h"
#include "app/NoticeMail.h"
#include "base/AkUnit.h"
#include "base/Log.h"

#include <filesystem>

namespace {

bool CheckedComment(const SignatureCheck& check, SignedComment& comment, std::string& reason)
{
    if (!check.ok) {
        reason = check.error;
        return false;
    }
    if (!ParseSignedComment(check.trustedComment, comment)) {
        reason = "署名のコメント「" + check.trustedComment + "」を読めません";
        return false;
    }
    return true;
}

bool FetchSignature(const std::string& url, std::string& signature, std::string& reason)
{
    if (FetchText(url + ".minisig", signature))
        return true;
    reason = "署名ファイル (" + url + ".minisig) がありません";
    return false;
}

} // namespace

std::string SignedForOtherText(const SignedComment& comment, const std::string& expected)
{
    return "署名は「" + comment.kind + " " + comment.value + " " + comment.name + "」のもので、" + expected +
           " のものではありません";
}

bool ParseSignedComment(const std::string& text, SignedComment& comment)
{
    const auto parts = SplitTrimmed(text, " ");
    if (parts.size() != 3)
        return false;
    comment = {parts[0], parts[1], parts[2]};
    return true;
}

SignedDownload DownloadSigned(const MinisignKey& key, const std::string& url, const std::string& path,
                              SignedComment& comment, std::string& reason)
{
    if (!DownloadToFile(url, path))
        return SignedDownload::Failed;
    std::string signature;
    const bool ok = FetchSignature(url, signature, reason) &&
                    CheckedComment(CheckFileSignature(key, signature, path), comment, reason);
    if (ok)
        return SignedDownload::Done;
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return SignedDownload::Refused;
}

bool FetchSignedComment(const MinisignKey& key, const std::string& url, SignedComment& comment,
                        std::string& reason)
{
    std::string signature;
    return FetchSignature(url, signature, reason) &&
           CheckedComment(CheckTrustedComment(key, signature), comment, reason);
}

void ReportRefusedUpdate(const std::string& tag, const std::string& what, const std::string& reason)
{
    AddLog(tag + what + " を拒否しました: " + reason);
    QueueNoticeMail("アップデートを拒否しました", "Pellagoは、署名を確認できない " + what +
                                                    " を拒否しました。\r\n理由: " + reason + "\r\n" +
                                                    "ファイルは削除し、実行も置き換えもしていません。\r\n" +
                                                    "引き続き、現在のversionで通常の処理を続行します");
}
