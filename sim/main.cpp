// pellago-sim: the stand-in for the service's web host and the broker sites,
// on loopback. Each site family (and the service host) registers its pages
// on the one server; the control API lives under /_control/.

#include "ControlApi.h"
#include "CosmoSite.h"
#include "LionFxSite.h"
#include "OcbcSite.h"
#include "ServiceHost.h"
#include "SimContext.h"
#include "SimOptions.h"
#include "StateFile.h"

#include <httplib.h>

#include <cstdio>
#include <exception>
#include <iostream>

namespace {

// Loads the state file if there is one and saves every later change to it.
bool KeepStateIn(const std::string& path, sim::SimContext& context)
{
    try {
        if (auto state = sim::LoadStateFile(path))
            context.broker.Restore(*state);
    } catch (const std::exception& error) {
        std::cerr << "pellago-sim: cannot read " << path << ": " << error.what() << std::endl;
        return false;
    }
    context.broker.SetPersist([path](const sim::Json& snapshot) {
        try {
            sim::SaveStateFile(path, snapshot);
        } catch (const std::exception& error) {
            std::cerr << "pellago-sim: " << error.what() << std::endl;
        }
    });
    return true;
}

void RegisterSites(httplib::Server& server, sim::SimContext& context)
{
    sim::RegisterControlApi(server, context);
    sim::RegisterLionFx(server, context);
    sim::RegisterOcbc(server, context);
    sim::RegisterCosmo(server, context);
    sim::RegisterServiceHost(server);
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    auto options = sim::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "pellago-sim: " << error << std::endl;
        return 2;
    }
    sim::SimContext context;
    if (!options->stateFile.empty() && !KeepStateIn(options->stateFile, context))
        return 1;

    httplib::Server server;
    // Browsers keep several connections open; slow pages hold a thread each.
    server.new_task_queue = [] { return new httplib::ThreadPool(24); };
    RegisterSites(server, context);

    int port = options->port;
    bool bound = port == 0 ? (port = server.bind_to_any_port(options->host)) > 0
                           : server.bind_to_port(options->host, port);
    if (!bound) {
        std::cerr << "pellago-sim: cannot listen on " << options->host << ":" << options->port << std::endl;
        return 1;
    }
    std::printf("listening %s:%d\n", options->host.c_str(), port);
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}
