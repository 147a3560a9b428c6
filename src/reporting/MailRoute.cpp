#include "reporting/MailRoute.h"

#include "base/Log.h"

#include <exception>

void LogRouteFailure(const std::string& route, const std::string& reason)
{
    AddLog("[" + route + "] メールを送信できませんでした: " + reason);
}

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
