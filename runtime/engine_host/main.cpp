// QEB: the engine host program. It loads the framework host next to itself, starts it,
// creates the channels and components it is told to, and reports in JSON lines on stdout.
#include <cstdio>
#include <string>

#include "engine_tick.h"
#include "host_options.h"
#include "host_session.h"
#include "json_line.h"
#include "vor_library.h"

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    LoadEngineTickOffset();
    HostOptions options;
    std::string error;
    if (!ParseHostOptions(argc, argv, options, error)) {
        PrintError(error);
        return 3;
    }
    VorLibrary vor;
    if (!LoadVorLibrary(vor, error)) {
        PrintError(error);
        return 2;
    }
    HostSession session(vor, options);
    return session.Run();
}
