#include "ServiceHost.h"

#include "HttpUtil.h"
#include "ServiceData.h"

#include <cstdlib>

namespace sim {

namespace {

const char* const kSuccessPage =
    "<html><head><meta charset=\"utf-8\"><title>送信完了</title></head>"
    "<body><p>正常に終了しました</p></body></html>";

std::string BaseUrl(const httplib::Request& req)
{
    std::string host = req.get_header_value("Host");
    return "http://" + (host.empty() ? std::string("127.0.0.1") : host);
}

// A fault ordered for this path answers instead of the page.
bool AnsweredByFault(const httplib::Request& req, httplib::Response& res)
{
    auto fault = ServiceHostData().FaultFor(req.path);
    if (!fault)
        return false;
    SetNoStore(res);
    if (fault->redirectLoop) {
        res.set_redirect(req.path);
        return true;
    }
    res.status = fault->status;
    // The text a browser shows for a page it cannot display.
    res.set_content("<html><head><meta charset=\"utf-8\"></head><body>ページを表示できません</body></html>",
                    "text/html; charset=utf-8");
    return true;
}

void SendXml(httplib::Response& res, const std::string& xml)
{
    SetNoStore(res);
    res.set_content(xml, "application/xml");
}

void SendNotFound(httplib::Response& res)
{
    res.status = 404;
    res.set_content("<html><body>Not Found</body></html>", "text/html");
}

const std::string kSignatureSuffix = ".minisig";

// A published file, or the signature beside it (path + ".minisig").
void ServeFile(const std::string& path, httplib::Response& res)
{
    const bool signature = path.size() > kSignatureSuffix.size() &&
                           path.compare(path.size() - kSignatureSuffix.size(), std::string::npos, kSignatureSuffix) == 0;
    const std::string file = signature ? path.substr(0, path.size() - kSignatureSuffix.size()) : path;
    auto bytes = ServiceHostData().File(file);
    if (!bytes)
        return SendNotFound(res);
    const FileSigning signing = ServiceHostData().SigningOf(file);
    auto body = signature ? SignatureFor(file, *bytes, signing, ServiceHostData().Version())
                          : std::optional<std::string>(ServedBytes(*bytes, signing));
    if (!body)
        return SendNotFound(res);
    SetNoStore(res);
    res.set_content(*body, "application/octet-stream");
}

std::string FormPage(const std::string& action, const std::vector<std::string>& fields)
{
    std::string page = "<html><head><meta charset=\"utf-8\"><title>Pellago</title></head><body>"
                       "<form method=\"post\" action=\"" + action + "\">";
    for (const auto& field : fields)
        page += field == "message" ? "<textarea name=\"message\"></textarea>"
                                   : "<input type=\"text\" name=\"" + field + "\">";
    // A field named "submit" shadows form.submit, as on the real pages.
    return page + "<input type=\"submit\" name=\"submit\" value=\"送信\"></form></body></html>";
}

void RegisterForm(httplib::Server& server, const std::string& path, const std::vector<std::string>& fields)
{
    server.Get(path, [path, fields](const httplib::Request& req, httplib::Response& res) {
        if (AnsweredByFault(req, res))
            return;
        SetNoStore(res);
        res.set_content(FormPage(path, fields), "text/html; charset=utf-8");
    });
    server.Post(path, [path](const httplib::Request& req, httplib::Response& res) {
        if (AnsweredByFault(req, res))
            return;
        FormPost post{path, {}};
        for (const auto& param : req.params)
            post.fields.emplace_back(param.first, FieldValue(req, param.first));
        ServiceHostData().RecordPost(std::move(post));
        SetNoStore(res);
        res.set_content(kSuccessPage, "text/html; charset=utf-8");
    });
}

void RegisterPublicRoutes(httplib::Server& server)
{
    server.Get("/", [](const httplib::Request& req, httplib::Response& res) {
        if (!AnsweredByFault(req, res))
            res.set_content("<html><body>Pellago</body></html>", "text/html");
    });
    server.Get("/inout.html", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html><body>入出金</body></html>", "text/html; charset=utf-8");
    });
    server.Get("/demo_signal.xml", [](const httplib::Request& req, httplib::Response& res) {
        if (!AnsweredByFault(req, res))
            SendXml(res, ServiceHostData().DemoSignal());
    });
    server.Get(R"(/real/([^/]*)/([^/]*)/ref\.xml)", [](const httplib::Request& req, httplib::Response& res) {
        if (AnsweredByFault(req, res))
            return;
        auto signal = ServiceHostData().SignalNameOf(req.matches[1], req.matches[2]);
        if (!signal)
            return SendNotFound(res);
        SendXml(res, "<Reference><URL>" + BaseUrl(req) + "/signals/" + *signal + "</URL></Reference>\n");
    });
    server.Get(R"(/signals/([^/]+))", [](const httplib::Request& req, httplib::Response& res) {
        if (AnsweredByFault(req, res))
            return;
        auto xml = ServiceHostData().Signal(req.matches[1]);
        xml ? SendXml(res, *xml) : SendNotFound(res);
    });
    server.Get("/account_template.xml", [](const httplib::Request& req, httplib::Response& res) {
        if (!AnsweredByFault(req, res))
            SendXml(res, ServiceHostData().AccountTemplate(BaseUrl(req)));
    });
    server.Get(R"(/files/(.+))", [](const httplib::Request& req, httplib::Response& res) {
        if (AnsweredByFault(req, res))
            return;
        ServeFile(req.matches[1], res);
    });
    RegisterForm(server, "/contact2.php", {"email", "message"});
    RegisterForm(server, "/send/mail/contact.php", {"sender", "email", "msubject", "message"});
}

using Route = std::function<void(const httplib::Request&, httplib::Response&)>;

httplib::Server::Handler Guarded(Route route)
{
    return [route = std::move(route)](const httplib::Request& req, httplib::Response& res) {
        try {
            route(req, res);
        } catch (const JsonError& error) {
            SendJsonError(res, 400, error.what());
        }
    };
}

void Done(httplib::Response& res) { SendJson(res, Json::object()); }

Json PostsJson()
{
    Json list = Json::array();
    for (const auto& post : ServiceHostData().Posts()) {
        Json fields = Json::object();
        for (const auto& [name, value] : post.fields)
            fields[name] = value;
        Json item = Json::object();
        item["path"] = post.path;
        item["fields"] = fields;
        list.push_back(item);
    }
    return list;
}

void RegisterControlRoutes(httplib::Server& server)
{
    const std::string prefix = "/_control/service/";
    server.Post(prefix + "demo_signal", Guarded([](const auto& req, auto& res) {
        ServiceHostData().SetDemoSignal(req.body);
        Done(res);
    }));
    server.Put(prefix + "signals/([^/]+)", Guarded([](const auto& req, auto& res) {
        ServiceHostData().SetSignal(req.matches[1], req.body);
        Done(res);
    }));
    server.Post(prefix + "subscribers", Guarded([](const auto& req, auto& res) {
        Json body = JsonBody(req);
        ServiceHostData().SetSubscriber(StringField(body, "id"), StringField(body, "password"), StringField(body, "signal"));
        Done(res);
    }));
    server.Post(prefix + "version", Guarded([](const auto& req, auto& res) {
        ServiceHostData().SetVersion(StringField(JsonBody(req), "version"));
        Done(res);
    }));
    server.Put(prefix + "files/(.+)", Guarded([](const auto& req, auto& res) {
        ServiceHostData().SetFile(req.matches[1], req.body);
        Done(res);
    }));
    server.Delete(prefix + "files/(.+)", Guarded([](const auto& req, auto& res) {
        ServiceHostData().RemoveFile(req.matches[1]);
        Done(res);
    }));
    server.Put(prefix + "template_base", Guarded([](const auto& req, auto& res) {
        ServiceHostData().SetTemplateBase(req.body);
        Done(res);
    }));
    server.Put(prefix + "account_template", Guarded([](const auto& req, auto& res) {
        ServiceHostData().SetTemplateOverride(req.body);
        Done(res);
    }));
    server.Delete(prefix + "account_template", Guarded([](const auto&, auto& res) {
        ServiceHostData().SetTemplateOverride(std::nullopt);
        Done(res);
    }));
    server.Post(prefix + "faults", Guarded([](const auto& req, auto& res) {
        Json body = JsonBody(req);
        ServiceFault fault;
        fault.status = static_cast<int>(IntegerField(body, "status", 500));
        fault.redirectLoop = BoolField(body, "redirectLoop");
        ServiceHostData().SetFault(StringField(body, "path"), fault);
        Done(res);
    }));
    server.Delete(prefix + "faults(/.*)", Guarded([](const auto& req, auto& res) {
        ServiceHostData().SetFault(req.matches[1], std::nullopt);
        Done(res);
    }));
    server.Post(prefix + "signing", Guarded([](const auto& req, auto& res) {
        Json body = JsonBody(req);
        FileSigning signing;
        signing.mode = StringField(body, "mode", "signed");
        signing.version = StringField(body, "version");
        ServiceHostData().SetSigning(StringField(body, "path"), signing);
        Done(res);
    }));
    server.Post(prefix + "load", Guarded([](const auto& req, auto& res) {
        std::string folder = StringField(JsonBody(req), "folder");
        ServiceHostData().LoadFolder(folder) ? Done(res) : SendJsonError(res, 404, "no folder " + folder);
    }));
    server.Get(prefix + "posts", Guarded([](const auto&, auto& res) { SendJson(res, PostsJson()); }));
}

} // namespace

ServiceData& ServiceHostData()
{
    static ServiceData data;
    return data;
}

void RegisterServiceHost(httplib::Server& server)
{
    if (const char* folder = std::getenv("PELLAGO_SIM_SERVICE_DATA"); folder && *folder)
        ServiceHostData().LoadFolder(folder);
    RegisterPublicRoutes(server);
    RegisterControlRoutes(server);
}

} // namespace sim
