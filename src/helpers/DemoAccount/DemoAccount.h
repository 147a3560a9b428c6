#pragma once
// Registers one broker account in the program folder through the program's
// own operations: the service's template is fetched and merged (creating
// the account document), the broker's entry is added as the account screen
// adds it, the log-in data is stored scrambled, and every portfolio gets
// the leverage.

#include <string>

struct DemoAccountRequest {
    std::string broker;   // the template entry's label ("LionFX")
    std::string userName; // the broker's log-in ID
    std::string password;
    std::string leverage; // for every portfolio item
};

// False, with the reason in `error`, when a step fails.
bool AddDemoAccount(const DemoAccountRequest& request, std::string& error);
