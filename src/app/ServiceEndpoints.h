#pragma once
// Where the Pellago service lives: the web host (signals, template, program
// files, forms) and the mail host (the signal mailbox). The values come from
// "service.conf" in the program folder, one "key = value" per line ("#"
// starts a comment), each key falling back to the compiled-in default:
//   web_base        = http://www.pellago.example  (a trailing "/" is dropped)
//   mail_host       = mail.pellago.example
//   mail_port       = 110
//   mailbox_suffix  = _signal@pellago.example
//   support_address = support@pellago.example

#include <string>

struct ServiceEndpoints {
    std::string webBase;        // plain HTTP base address; paths are appended
    std::string mailHost;       // POP3 host of the signal mailbox
    int mailPort = 110;
    std::string mailboxSuffix;  // appended to the login ID: local-part tail, "@", domain
    std::string supportAddress; // put into the contact form
};

ServiceEndpoints DefaultServiceEndpoints();
// Defaults overlaid with what the text sets; unknown keys and bad ports are ignored.
ServiceEndpoints ParseServiceEndpoints(const std::string& confText);
// The endpoints of ProgramFolder()/service.conf, read at every call so a
// changed file takes effect at the next operation.
ServiceEndpoints CurrentServiceEndpoints();

// Base address + path ("/demo_signal.xml", "/account_template.xml", ...).
std::string ServiceUrl(const ServiceEndpoints& endpoints, const std::string& path);
// The signal mailbox's user name for a login ID.
std::string SignalMailboxUser(const ServiceEndpoints& endpoints, const std::string& loginId);
