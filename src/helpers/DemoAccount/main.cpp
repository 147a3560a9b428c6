// pellago-demo-account --home DIR --broker LABEL --user ID --password PW --leverage N
// Registers the account in the program folder DIR, whose service.conf names
// the service (the simulator in the demo).

#include "DemoAccount.h"

#include "base/AkUnit.h"
#include "base/PrivateFiles.h"

#include <cstdio>
#include <map>
#include <string>

int main(int argc, char** argv)
{
    MakeNewFilesPrivate();
    std::map<std::string, std::string> values;
    for (int i = 1; i + 1 < argc; i += 2)
        values[argv[i]] = argv[i + 1];
    for (const char* required : {"--home", "--broker", "--user", "--password", "--leverage"})
        if (values[required].empty()) {
            std::fprintf(stderr, "usage: pellago-demo-account --home DIR --broker LABEL --user ID "
                                 "--password PW --leverage N\n");
            return 2;
        }
    SetProgramFolder(values["--home"]);
    std::string error;
    const DemoAccountRequest request{values["--broker"], values["--user"], values["--password"], values["--leverage"]};
    if (!AddDemoAccount(request, error)) {
        std::fprintf(stderr, "pellago-demo-account: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
