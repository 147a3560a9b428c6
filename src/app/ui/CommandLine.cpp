#include "app/ui/CommandLine.h"

#include "base/AkUnit.h"

bool ParseCommandLine(const std::vector<std::string>& args, StartOptions& options, std::string& error)
{
    options = StartOptions();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--once") {
            options.once = true;
        } else if (arg == "--home") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "--home needs a folder";
                return false;
            }
            options.home = args[++i];
        } else if (arg.rfind("--home=", 0) == 0 && arg.size() > 7) {
            options.home = arg.substr(7);
        } else if (arg.rfind("--", 0) == 0) {
            error = "unknown option " + arg;
            return false;
        } else {
            options.arguments.push_back(arg);
        }
    }
    return true;
}

bool IsAutoArgument(const std::string& argument) { return EqualsNoCase(argument, "auto"); }
