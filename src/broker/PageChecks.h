#pragma once
// What every page wait of the program shares, the broker sessions' and the
// problem report's: the test for a server-error page, the page dump of the
// detail log, and the pairing of the reload switch around a reload.

#include <functional>
#include <string>

// The body shows one of the browser's error texts, or a page other than
// about:blank came back empty.
bool IsServerErrorPage(const std::string& body, const std::string& address);

// "[WaitIE.Log.Start]" CR LF + html + CR LF + "[WaitIE.Log.End]".
std::string PageDump(const std::string& html);

// Calls the switch with true now and with false when it goes, whatever
// happens in between. A switch that throws on the way out is ignored.
class ReloadingScope {
public:
    explicit ReloadingScope(const std::function<void(bool)>& onReloading);
    ~ReloadingScope();
    ReloadingScope(const ReloadingScope&) = delete;
    ReloadingScope& operator=(const ReloadingScope&) = delete;

private:
    const std::function<void(bool)>& onReloading_;
};
