#include "oracle/OStartup.h"

namespace {
int g_startups = 0;
}

int OStartup(int) {
    ++g_startups;
    return 0;
}

void OShutdown() {
    if (g_startups > 0) --g_startups;
}
