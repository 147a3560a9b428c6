#pragma once
// The two downloads of the program. Both follow redirects, treat an HTTP
// error status as a failure, use the configured proxy (GetProxySetting) and
// keep the window live while they wait.

#include <string>

// GET into memory; the body's bytes as received.
bool FetchText(const std::string& url, std::string& text);

// GET into a file. The body goes into a temporary file beside `path`, which
// replaces `path` only when the transfer is complete and not empty, so a
// broken transfer never leaves a partial program or helper file in place.
bool DownloadToFile(const std::string& url, const std::string& path);
