#include "base/SystemdSupervision.h"

#include <cstdlib>

bool SupervisedBySystemd()
{
    const char* socket = std::getenv("NOTIFY_SOCKET");
    return socket && *socket;
}
