#pragma once
// The service signs the files it publishes with minisign, as an operator
// does: "pellago <version> Pellago.bin" for the program, "pellago-helper
// <sha256> <name>" for a helper. Tests choose per file what is served:
// signed (the default), tampered (a byte changed after signing), unsigned,
// or signed for another version.

#include <optional>
#include <string>

namespace sim {

struct FileSigning {
    std::string mode = "signed"; // "signed", "tampered", "unsigned"
    std::string version;         // signs the program as this version ("": the announced one)
};

// The ".minisig" text for `bytes` at `path` ("Pellago.bin", "Bin/ReExe.exe"),
// made with the secret key in PELLAGO_SIM_UPDATE_KEY; none without a key,
// when the file is served unsigned, or when minisign fails.
std::optional<std::string> SignatureFor(const std::string& path, const std::string& bytes,
                                        const FileSigning& signing, const std::string& announcedVersion);

// The bytes as served: a tampered file has its last byte changed.
std::string ServedBytes(std::string bytes, const FileSigning& signing);

} // namespace sim
