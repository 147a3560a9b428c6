#pragma once
// What the stand-in for the Pellago service publishes: the demo signal, the
// subscribers' reference documents and their signal documents, the account
// template (brokers, portfolios, the version record, the helper list with
// sizes), the files it lists, and the posts its forms received. Filled from
// a folder or through the control API; safe to use from the server threads.

#include "UpdateSigning.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct FormPost {
    std::string path;
    std::vector<std::pair<std::string, std::string>> fields; // UTF-8
};

// An answer forced on a path of the service host: an HTTP status, or a
// redirect that leads back to itself.
struct ServiceFault {
    int status = 500;
    bool redirectLoop = false;
};

class ServiceData {
public:
    ServiceData();

    // Folder layout: demo_signal.xml, signals/*.xml, accounts.txt ("id
    // password signal-name" per line), account_template.xml (brokers and
    // portfolios), version.txt, files/** (Pellago.bin, Bin/...). What the
    // folder lacks keeps its current value. False when the folder is missing.
    bool LoadFolder(const std::string& folder);

    void SetDemoSignal(std::string xml);
    void SetSignal(const std::string& name, std::string xml);
    void SetSubscriber(const std::string& id, const std::string& password, const std::string& signalName);
    void SetTemplateBase(std::string xml);
    // Served as is instead of the generated template (bad templates in tests).
    void SetTemplateOverride(std::optional<std::string> text);
    void SetVersion(std::string version); // "" drops the version record
    void SetFile(const std::string& path, std::string bytes);
    void RemoveFile(const std::string& path);
    void SetFault(const std::string& path, std::optional<ServiceFault> fault);
    void SetSigning(const std::string& path, FileSigning signing);

    std::string DemoSignal() const;
    std::optional<std::string> Signal(const std::string& name) const;
    std::optional<std::string> SignalNameOf(const std::string& id, const std::string& password) const;
    std::optional<std::string> File(const std::string& path) const;
    std::optional<ServiceFault> FaultFor(const std::string& path) const;
    FileSigning SigningOf(const std::string& path) const;
    std::string Version() const;
    // The template with Bin and Pellago for a host reached as `baseUrl`.
    std::string AccountTemplate(const std::string& baseUrl) const;

    void RecordPost(FormPost post);
    std::vector<FormPost> Posts() const;

private:
    mutable std::mutex mutex_;
    std::optional<std::string> demoSignal_; // none: today's built-in demo
    std::map<std::string, std::string> signals_;
    std::map<std::string, std::string> subscribers_; // "id\npassword" -> signal name
    std::string templateBase_;
    std::optional<std::string> templateOverride_;
    std::string version_;
    std::map<std::string, std::string> files_;
    std::map<std::string, ServiceFault> faults_;
    std::map<std::string, FileSigning> signings_;
    std::vector<FormPost> posts_;
};

// A demo signal document named after today (MMDD.xml).
std::string BuiltInDemoSignal();
// Brokers (the simulated families, log-on addresses relative to baseUrl)
// and portfolios matching the built-in demo signal.
std::string BuiltInTemplateBase();

} // namespace sim
