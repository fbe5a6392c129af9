// The benchmark's figures of a scenario run, in the rows the benchmark command prints for a
// swarm: start-up stages, lag, continuity, stalls, source offload, control overhead, request
// time-outs, CPU and memory per peer. Also the run as JSON, whose part without this machine's
// CPU and wall time is the same, byte for byte, for every run of a seed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scenario.h"

namespace sim {

struct FigureRow {
    std::string name;
    std::optional<double> first;   // p50 or mean
    std::optional<double> second;  // p95 or max
    std::string note;
    bool of_host = false;  // depends on this machine, not on the run
};

std::vector<FigureRow> FigureRows(const ScenarioResults& results);
std::string FigureTable(const ScenarioResults& results);
// With `with_host` the CPU and wall figures are included; without, two runs of one seed give
// the same text.
std::string ResultsJson(const ScenarioResults& results, bool with_host);

}  // namespace sim
