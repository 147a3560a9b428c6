#pragma once
// Downloads that will be run: the file and its minisign signature beside it
// (url + ".minisig"). A file the trusted key did not sign is deleted at once,
// so no later step can run or install it, and its refusal is logged and
// mailed. The signature's trusted comment ties the file to what was
// announced: "<kind> <version or SHA-256> <file name>".

#include "base/Minisign.h"

#include <string>

struct SignedComment {
    std::string kind;  // "pellago" or "pellago-helper"
    std::string value; // the announced version, or the file's SHA-256
    std::string name;  // the file's name ("Pellago.bin", "replace.exe")
};

// "署名は「<comment>」のもので、<expected> のものではありません"
std::string SignedForOtherText(const SignedComment& comment, const std::string& expected);

// Splits a trusted comment; false when it has not the three parts.
bool ParseSignedComment(const std::string& text, SignedComment& comment);

enum class SignedDownload { Done, Failed, Refused };

// Downloads url into path, then checks the signature. Refused: `reason`
// says why (Japanese) and path no longer exists.
SignedDownload DownloadSigned(const MinisignKey& key, const std::string& url, const std::string& path,
                    SignedComment& comment, std::string& reason);

// The signature beside url, checked for its trusted comment only (the file
// itself is not fetched).
bool FetchSignedComment(const MinisignKey& key, const std::string& url, SignedComment& comment,
                        std::string& reason);

// Logs "<tag><what> を拒否しました: <reason>" and queues a notice mail.
void ReportRefusedUpdate(const std::string& tag, const std::string& what, const std::string& reason);
