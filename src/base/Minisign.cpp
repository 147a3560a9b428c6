#include "base/Minisign.h"

#include "base/AkUnit.h"

#include <sodium.h>

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kSignatureBytes = crypto_sign_BYTES;
constexpr std::size_t kPrehashBytes = crypto_generichash_BYTES_MAX;
const char* const kTrustedPrefix = "trusted comment: ";

bool SodiumReady() { return sodium_init() >= 0; }

std::optional<Bytes> DecodeBase64(const std::string& text)
{
    Bytes bytes(text.size());
    std::size_t length = 0;
    if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), nullptr, &length, nullptr,
                          sodium_base64_VARIANT_ORIGINAL) != 0)
        return std::nullopt;
    bytes.resize(length);
    return bytes;
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

struct SignatureFile {
    bool prehashed = false;
    std::array<unsigned char, 8> keyId{};
    Bytes signature;
    std::string trustedComment;
    Bytes globalSignature;
};

// untrusted comment / base64(alg, key id, signature) / trusted comment / base64(global signature)
std::optional<SignatureFile> ParseSignatureFile(const std::string& text)
{
    const auto lines = LinesOf(text);
    if (lines.size() < 4 || lines[2].rfind(kTrustedPrefix, 0) != 0)
        return std::nullopt;
    auto body = DecodeBase64(lines[1]);
    auto global = DecodeBase64(lines[3]);
    if (!body || !global || body->size() != 2 + 8 + kSignatureBytes || global->size() != kSignatureBytes)
        return std::nullopt;
    SignatureFile file;
    if ((*body)[0] != 'E' || ((*body)[1] != 'D' && (*body)[1] != 'd'))
        return std::nullopt;
    file.prehashed = (*body)[1] == 'D';
    std::copy(body->begin() + 2, body->begin() + 10, file.keyId.begin());
    file.signature.assign(body->begin() + 10, body->end());
    file.trustedComment = lines[2].substr(std::string(kTrustedPrefix).size());
    file.globalSignature = std::move(*global);
    return file;
}

bool Verify(const MinisignKey& key, const Bytes& signature, const unsigned char* data, std::size_t size)
{
    return crypto_sign_verify_detached(signature.data(), data, size, key.key.data()) == 0;
}

SignatureCheck Failure(const std::string& error)
{
    SignatureCheck check;
    check.error = error;
    return check;
}

SignatureCheck CheckGlobal(const MinisignKey& key, const std::optional<SignatureFile>& file)
{
    if (!SodiumReady())
        return Failure("署名を検証できません (libsodium の初期化に失敗)");
    if (!file)
        return Failure("署名ファイルの形式が正しくありません");
    if (file->keyId != key.id)
        return Failure("信頼する鍵 " + MinisignFingerprint(key) + " 以外の鍵で署名されています");
    Bytes signed_(file->signature);
    signed_.insert(signed_.end(), file->trustedComment.begin(), file->trustedComment.end());
    if (!Verify(key, file->globalSignature, signed_.data(), signed_.size()))
        return Failure("署名のコメントが正しくありません");
    SignatureCheck check;
    check.ok = true;
    check.trustedComment = file->trustedComment;
    return check;
}

bool ContentMatches(const MinisignKey& key, const SignatureFile& file, const std::string& content)
{
    const auto* data = reinterpret_cast<const unsigned char*>(content.data());
    if (!file.prehashed)
        return Verify(key, file.signature, data, content.size());
    unsigned char hash[kPrehashBytes];
    crypto_generichash(hash, sizeof hash, data, content.size(), nullptr, 0);
    return Verify(key, file.signature, hash, sizeof hash);
}

} // namespace

std::optional<MinisignKey> ParseMinisignKey(const std::string& text)
{
    const auto lines = LinesOf(text);
    if (lines.empty() || !SodiumReady())
        return std::nullopt;
    auto bytes = DecodeBase64(lines.size() > 1 ? lines[1] : lines[0]);
    if (!bytes || bytes->size() != 2 + 8 + 32 || (*bytes)[0] != 'E' || (*bytes)[1] != 'd')
        return std::nullopt;
    MinisignKey key;
    std::copy(bytes->begin() + 2, bytes->begin() + 10, key.id.begin());
    std::copy(bytes->begin() + 10, bytes->end(), key.key.begin());
    return key;
}

std::string MinisignFingerprint(const MinisignKey& key)
{
    // minisign prints the id as a little-endian 64-bit number.
    static const char* const digits = "0123456789ABCDEF";
    std::string text;
    for (auto it = key.id.rbegin(); it != key.id.rend(); ++it) {
        text += digits[*it >> 4];
        text += digits[*it & 15];
    }
    return text;
}

SignatureCheck CheckTrustedComment(const MinisignKey& key, const std::string& signatureText)
{
    return CheckGlobal(key, ParseSignatureFile(signatureText));
}

SignatureCheck CheckFileSignature(const MinisignKey& key, const std::string& signatureText, const std::string& path)
{
    const auto file = ParseSignatureFile(signatureText);
    SignatureCheck check = CheckGlobal(key, file);
    if (!check.ok)
        return check;
    std::string content;
    if (!ReadFileBytes(path, content))
        return Failure("ファイルを読めません");
    if (!ContentMatches(key, *file, content))
        return Failure("ファイルの内容が署名と一致しません (署名後に変更されています)");
    return check;
}

std::string Sha256OfFile(const std::string& path)
{
    std::string content;
    if (!ReadFileBytes(path, content) || !SodiumReady())
        return {};
    unsigned char hash[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(hash, reinterpret_cast<const unsigned char*>(content.data()), content.size());
    char hex[sizeof hash * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, hash, sizeof hash);
    return hex;
}
