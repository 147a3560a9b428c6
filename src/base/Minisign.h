#pragma once
// Ed25519 signatures in the minisign format, checked with libsodium: the
// public key line, and a ".minisig" file's signature of the data (prehashed
// "ED" or legacy "Ed") and its global signature, which vouches for the
// trusted comment.

#include <array>
#include <optional>
#include <string>

struct MinisignKey {
    std::array<unsigned char, 8> id{};
    std::array<unsigned char, 32> key{};
};

// The key's base64 line, alone or as the second line of a ".pub" file.
std::optional<MinisignKey> ParseMinisignKey(const std::string& text);

// The key id as minisign prints it (16 upper-case hex digits).
std::string MinisignFingerprint(const MinisignKey& key);

struct SignatureCheck {
    bool ok = false;
    std::string trustedComment; // set only when the global signature holds
    std::string error;          // Japanese, for the log
};

// Only the trusted comment: the signature file is well formed, made with
// `key`, and its global signature holds.
SignatureCheck CheckTrustedComment(const MinisignKey& key, const std::string& signatureText);

// The trusted comment and the file's content.
SignatureCheck CheckFileSignature(const MinisignKey& key, const std::string& signatureText, const std::string& path);

// The file's SHA-256 in lower-case hex; "" when it cannot be read.
std::string Sha256OfFile(const std::string& path);
