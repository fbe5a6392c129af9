// relay_sim: runs one swarm scenario of the relay module in virtual time and prints the
// benchmark's figures table.
//
//   relay_sim [--peers N] [--minutes M] [--rate BPS] [--source-cap K] [--churn PCT] [--loss PCT]
//             [--delay MS] [--jitter MS] [--bandwidth BPS] [--source-bandwidth BPS]
//             [--piece-bytes N] [--seed S] [--json FILE]
//
// --bandwidth is each host's upload in bits/s (0: unlimited); --loss drops that share of each
// host's datagrams and retransmits that share of its TCP segments.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "figures.h"
#include "scenario.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: relay_sim [--peers N] [--minutes M] [--rate BPS] [--source-cap K] [--churn PCT]\n"
                 "                 [--loss PCT] [--delay MS] [--jitter MS] [--bandwidth BPS]\n"
                 "                 [--source-bandwidth BPS] [--piece-bytes N] [--seed S] [--json FILE]\n");
}

bool Parse(int argc, char** argv, sim::ScenarioConfig* config, std::string* json) {
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        char* end = nullptr;
        const double number = std::strtod(value, &end);
        const bool numeric = end && *end == '\0' && number >= 0;
        if (flag == "--json") {
            *json = value;
            continue;
        }
        if (!numeric) return false;
        if (flag == "--peers") config->peers = static_cast<uint32_t>(number);
        else if (flag == "--minutes") config->minutes = number;
        else if (flag == "--rate") config->rate_bps = static_cast<uint32_t>(number);
        else if (flag == "--source-cap") config->source_cap = static_cast<uint32_t>(number);
        else if (flag == "--churn") config->churn_percent = number;
        else if (flag == "--loss") config->loss_percent = number;
        else if (flag == "--delay") config->delay_ms = static_cast<uint32_t>(number);
        else if (flag == "--jitter") config->jitter_ms = static_cast<uint32_t>(number);
        else if (flag == "--bandwidth") config->bandwidth_bps = static_cast<uint64_t>(number);
        else if (flag == "--source-bandwidth") config->source_bandwidth_bps = static_cast<uint64_t>(number);
        else if (flag == "--piece-bytes") config->piece_bytes = static_cast<uint32_t>(number);
        else if (flag == "--seed") config->seed = static_cast<uint64_t>(number);
        else return false;
    }
    return config->peers > 0 && config->rate_bps > 0 && config->minutes > 0 && config->piece_bytes >= 24 &&
           config->piece_bytes <= 65000;
}

}  // namespace

int main(int argc, char** argv) {
    sim::ScenarioConfig config;
    std::string json;
    if (!Parse(argc, argv, &config, &json)) {
        Usage();
        return 2;
    }
    const sim::ScenarioResults results = sim::RunScenario(config);
    std::fputs(sim::FigureTable(results).c_str(), stdout);
    if (!json.empty()) {
        FILE* f = std::fopen(json.c_str(), "w");
        if (!f) {
            std::fprintf(stderr, "relay_sim: cannot write %s\n", json.c_str());
            return 1;
        }
        std::fputs(sim::ResultsJson(results, true).c_str(), f);
        std::fclose(f);
    }
    return 0;
}
