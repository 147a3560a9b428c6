#include "ControlApi.h"

#include "BrokerJson.h"
#include "HttpUtil.h"

#include <functional>

namespace sim {

namespace {

using Route = std::function<void(const httplib::Request&, httplib::Response&)>;

// Turns the broker's and the reader's refusals into JSON errors.
httplib::Server::Handler Guarded(Route route)
{
    return [route = std::move(route)](const httplib::Request& req, httplib::Response& res) {
        try {
            route(req, res);
        } catch (const BrokerError& error) {
            SendJsonError(res, error.kind() == BrokerError::Kind::NotFound ? 404 : 400, error.what());
        } catch (const JsonError& error) {
            SendJsonError(res, 400, error.what());
        }
    };
}

std::string Family(const httplib::Request& req) { return req.matches[1]; }
std::string Id(const httplib::Request& req) { return req.matches[2]; }

Json AccountView(SimContext& context, const Account& account)
{
    Json json = AccountToJson(account, false);
    json["figures"] = FiguresToJson(context.broker.FiguresOf(account.family, account.id));
    return json;
}

Json PositionsJson(const std::vector<Position>& positions)
{
    Json json = Json::array();
    for (const Position& position : positions)
        json.push_back(PositionToJson(position));
    return json;
}

std::vector<PositionSpec> SpecsFromJson(const Json& json)
{
    std::vector<PositionSpec> specs;
    for (const Json& item : ArrayValue(json))
        specs.push_back(PositionSpecFromJson(item));
    return specs;
}

Json PricesJson(SimContext& context)
{
    Json prices = Json::object();
    for (const auto& [pair, rate] : context.broker.Prices())
        prices[pair] = rate;
    return prices;
}

void CreateAccount(SimContext& context, const httplib::Request& req, httplib::Response& res)
{
    Json body = JsonBody(req);
    Account account = AccountFromJson(body, context.broker.RulesOf(StringField(body, "family")), false);
    std::vector<PositionSpec> specs = SpecsFromJson(ArrayField(body, "positions"));
    context.broker.PutAccount(account);
    context.broker.SetPositions(account.family, account.id, specs);
    SendJson(res, AccountView(context, context.broker.GetAccount(account.family, account.id)), 201);
}

void RegisterAccountRoutes(httplib::Server& server, SimContext& context)
{
    const std::string account = R"(/_control/accounts/([^/]+)/([^/]+))";
    server.Get("/_control/accounts", Guarded([&context](const auto&, auto& res) {
        Json list = Json::array();
        for (const Account& account : context.broker.Accounts())
            list.push_back(AccountView(context, account));
        SendJson(res, list);
    }));
    server.Post("/_control/accounts", Guarded([&context](const auto& req, auto& res) { CreateAccount(context, req, res); }));
    server.Get(account, Guarded([&context](const auto& req, auto& res) {
        SendJson(res, AccountView(context, context.broker.GetAccount(Family(req), Id(req))));
    }));
    server.Delete(account, Guarded([&context](const auto& req, auto& res) {
        context.broker.RemoveAccount(Family(req), Id(req));
        context.sessions.ExpireAccount(Family(req), Id(req));
        SendJson(res, Json::object());
    }));
    server.Get(account + "/positions", Guarded([&context](const auto& req, auto& res) {
        SendJson(res, PositionsJson(context.broker.GetAccount(Family(req), Id(req)).positions));
    }));
    server.Put(account + "/positions", Guarded([&context](const auto& req, auto& res) {
        SendJson(res, PositionsJson(context.broker.SetPositions(Family(req), Id(req), SpecsFromJson(JsonBody(req)))));
    }));
    server.Post(account + "/positions", Guarded([&context](const auto& req, auto& res) {
        Position position = context.broker.AddPosition(Family(req), Id(req), PositionSpecFromJson(JsonBody(req)));
        SendJson(res, PositionToJson(position), 201);
    }));
    server.Get(account + "/net", Guarded([&context](const auto& req, auto& res) {
        Json net = Json::object();
        for (const auto& [pair, lots] : context.broker.NetLots(Family(req), Id(req)))
            net[pair] = lots;
        SendJson(res, net);
    }));
    server.Get(account + "/executions", Guarded([&context](const auto& req, auto& res) {
        Json list = Json::array();
        for (const Execution& execution : context.broker.GetAccount(Family(req), Id(req)).executions)
            list.push_back(ExecutionToJson(execution));
        SendJson(res, list);
    }));
    server.Post(account + "/expire-sessions", Guarded([&context](const auto& req, auto& res) {
        context.broker.GetAccount(Family(req), Id(req));
        Json json = Json::object();
        json["expired"] = context.sessions.ExpireAccount(Family(req), Id(req));
        SendJson(res, json);
    }));
    server.Post(account + "/expire-password", Guarded([&context](const auto& req, auto& res) {
        context.broker.ExpirePassword(Family(req), Id(req));
        SendJson(res, AccountView(context, context.broker.GetAccount(Family(req), Id(req))));
    }));
}

void RegisterMarketRoutes(httplib::Server& server, SimContext& context)
{
    server.Get("/_control/prices", Guarded([&context](const auto&, auto& res) { SendJson(res, PricesJson(context)); }));
    // {"prices": {"EURUSD": 1.1}, "moving": false}
    server.Post("/_control/prices", Guarded([&context](const auto& req, auto& res) {
        Json body = JsonBody(req);
        if (body.contains("prices"))
            for (const auto& [pair, rate] : ObjectField(body, "prices").items())
                context.broker.SetPrice(pair, NumberValue(rate));
        if (body.contains("moving"))
            context.broker.SetPricesMoving(BoolField(body, "moving"));
        SendJson(res, PricesJson(context));
    }));
}

void RegisterFaultRoutes(httplib::Server& server, SimContext& context)
{
    auto list = [&context] {
        Json json = Json::array();
        for (const Fault& fault : context.faults.List())
            json.push_back(FaultToJson(fault));
        return json;
    };
    server.Get("/_control/faults", Guarded([list](const auto&, auto& res) { SendJson(res, list()); }));
    // One fault object, or an array of them.
    server.Post("/_control/faults", Guarded([&context, list](const auto& req, auto& res) {
        Json body = JsonBody(req);
        std::vector<Fault> faults;
        if (body.is_array())
            for (const Json& item : body)
                faults.push_back(FaultFromJson(item));
        else
            faults.push_back(FaultFromJson(body));
        for (const Fault& fault : faults)
            context.faults.Add(fault);
        SendJson(res, list(), 201);
    }));
    server.Delete("/_control/faults", Guarded([&context, list](const auto&, auto& res) {
        context.faults.Clear();
        SendJson(res, list());
    }));
    // The answer of a confirm that a "confirm" fault put into a page.
    server.Get("/_control/dialog", [&context](const httplib::Request& req, httplib::Response& res) {
        context.counters.Add(req.get_param_value("accepted") == "1" ? "dialogs/accepted" : "dialogs/dismissed");
        res.status = 204;
    });
}

void RegisterServerRoutes(httplib::Server& server, SimContext& context)
{
    server.Get("/_control/health", [](const auto&, auto& res) {
        Json json = Json::object();
        json["ok"] = true;
        SendJson(res, json);
    });
    server.Get("/_control/stats", [&context](const auto&, auto& res) {
        Json json = Json::object();
        json["counters"] = context.counters.ToJson();
        json["faultHits"] = context.faults.HitCounts();
        SendJson(res, json);
    });
    server.Post("/_control/reset", [&context](const auto&, auto& res) {
        for (const Account& account : context.broker.Accounts())
            context.sessions.ExpireAccount(account.family, account.id);
        context.broker.Reset();
        context.faults.Clear();
        context.counters.Clear();
        SendJson(res, Json::object());
    });
    server.Post("/_control/shutdown", [&server](const auto&, auto& res) {
        SendJson(res, Json::object());
        server.stop();
    });
}

} // namespace

void RegisterControlApi(httplib::Server& server, SimContext& context)
{
    RegisterAccountRoutes(server, context);
    RegisterMarketRoutes(server, context);
    RegisterFaultRoutes(server, context);
    RegisterServerRoutes(server, context);
}

} // namespace sim
