#include "reporting/MailRoute.h"

#include "base/Log.h"

#include <exception>
#include <utility>

namespace {

std::string& LastFailure()
{
    static std::string reason;
    return reason;
}

} // namespace

void LogRouteFailure(const std::string& route, const std::string& reason)
{
    LastFailure() = reason;
    AddLog("[" + route + "] メールを送信できませんでした: " + reason);
}

std::string TakeRouteFailure() { return std::exchange(LastFailure(), std::string()); }

TMailResult RunMailRoute(const std::string& route, const std::function<TMailResult()>& send)
{
    try {
        return send();
    } catch (const std::exception& error) {
        LogRouteFailure(route, std::string("処理中に例外が発生しました (") + error.what() + ")");
    } catch (...) {
        LogRouteFailure(route, "処理中に例外が発生しました");
    }
    return TMailResult::Failed;
}
