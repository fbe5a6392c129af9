#include "figures.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <functional>

#include "percentile.h"

namespace sim {

namespace {

using Values = std::vector<double>;
using Pick = std::function<std::optional<double>(const LifeFigures&)>;

Values Collect(const ScenarioResults& results, const Pick& pick) {
    Values values;
    for (const LifeFigures& life : results.lives)
        if (const std::optional<double> v = pick(life)) values.push_back(*v);
    return values;
}

std::optional<double> Mean(const Values& values) {
    if (values.empty()) return std::nullopt;
    double sum = 0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

std::optional<double> Min(const Values& values) {
    if (values.empty()) return std::nullopt;
    return *std::min_element(values.begin(), values.end());
}

std::optional<double> Max(const Values& values) {
    if (values.empty()) return std::nullopt;
    return *std::max_element(values.begin(), values.end());
}

std::optional<double> Ratio(double a, double b) {
    if (b <= 0) return std::nullopt;
    return a / b;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

uint64_t Received(const TrafficCounters& t) {
    return t.piece_received + t.control_received;
}

uint64_t Sent(const TrafficCounters& t) {
    return t.piece_sent + t.control_sent;
}

std::string Number(std::optional<double> value) {
    if (!value) return "null";
    if (!std::isfinite(*value)) return "null";
    return Format("%.6g", *value);
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// The fields of one JSON object, in the order they are added.
class JsonFields {
public:
    JsonFields& Raw(const char* name, const std::string& value) {
        m_fields.push_back(Quoted(name) + ": " + value);
        return *this;
    }
    JsonFields& Num(const char* name, std::optional<double> value) { return Raw(name, Number(value)); }
    JsonFields& Count(const char* name, uint64_t value) {
        return Raw(name, Format("%llu", static_cast<unsigned long long>(value)));
    }
    JsonFields& Flag(const char* name, bool value) { return Raw(name, value ? "true" : "false"); }
    JsonFields& Text(const char* name, const std::string& value) { return Raw(name, Quoted(value)); }

    // The object, its fields separated by `separator` (a line break and indent, or a space).
    std::string Object(const std::string& separator = " ") const {
        std::string out = "{";
        for (size_t i = 0; i < m_fields.size(); ++i) out += (i ? "," : "") + separator + m_fields[i];
        return out + (separator == " " ? " }" : "\n}");
    }

private:
    std::vector<std::string> m_fields;
};

}  // namespace

std::vector<FigureRow> FigureRows(const ScenarioResults& r) {
    std::vector<FigureRow> rows;
    const Values joined = Collect(r, [](const LifeFigures& l) { return l.joined_s; });
    const Values held = Collect(r, [](const LifeFigures& l) { return l.held_s; });
    const Values first_byte = Collect(r, [](const LifeFigures& l) { return l.first_byte_s; });
    const size_t no_stream = static_cast<size_t>(
        std::count_if(r.lives.begin(), r.lives.end(), [](const LifeFigures& l) { return l.pieces == 0; }));
    rows.push_back({"start-up to join reply (s)", Percentile(joined, 50), Percentile(joined, 95), ""});
    rows.push_back({"start-up to first piece held (s)", Percentile(held, 50), Percentile(held, 95), ""});
    rows.push_back({"start-up to first stream byte (s)", Percentile(first_byte, 50), Percentile(first_byte, 95),
                    no_stream ? Format("%zu peer life(s) without stream", no_stream) : ""});
    rows.push_back({"lag behind source (ms)", Percentile(Collect(r, [](const LifeFigures& l) { return l.lag_p50_ms; }), 50),
                    Percentile(Collect(r, [](const LifeFigures& l) { return l.lag_p95_ms; }), 95),
                    "p50 of peer p50s / p95 of peer p95s"});
    const Values continuity = Collect(r, [](const LifeFigures& l) { return l.continuity; });
    rows.push_back({"continuity (on time / produced)", Mean(continuity), Min(continuity), "mean / worst peer"});
    const Values complete = Collect(r, [](const LifeFigures& l) { return l.completeness; });
    rows.push_back({"completeness (played / first..last played)", Mean(complete), Min(complete),
                    "mean / worst peer, whatever the lag"});
    const Values stalls = Collect(r, [](const LifeFigures& l) { return l.stall_ratio; });
    rows.push_back({"stall ratio", Mean(stalls), Max(stalls), "mean / worst peer"});

    uint64_t peers_received = 0, control = Sent(r.link_server_traffic), pieces = r.source_traffic.piece_sent;
    uint64_t requests = 0, timeouts = 0, damaged = 0, repeats = 0;
    control += r.source_traffic.control_sent;
    for (const LifeFigures& l : r.lives) {
        peers_received += Received(l.traffic);
        control += l.traffic.control_sent;
        pieces += l.traffic.piece_sent;
        requests += l.requests;
        timeouts += l.timeouts;
        damaged += l.damaged;
        repeats += l.repeats;
    }
    const uint64_t source_sent = Sent(r.source_traffic);
    const std::optional<double> served = Ratio(static_cast<double>(source_sent), static_cast<double>(peers_received));
    rows.push_back({"source offload", served ? std::optional<double>(1.0 - *served) : std::nullopt, std::nullopt,
                    Format("source %llu B, peers received %llu B", static_cast<unsigned long long>(source_sent),
                           static_cast<unsigned long long>(peers_received))});
    rows.push_back({"control overhead (control / piece bytes)",
                    Ratio(static_cast<double>(control), static_cast<double>(pieces)), std::nullopt,
                    Format("control %llu B, pieces %llu B", static_cast<unsigned long long>(control),
                           static_cast<unsigned long long>(pieces))});
    rows.push_back({"request time-outs / requests", Ratio(static_cast<double>(timeouts), static_cast<double>(requests)),
                    std::nullopt,
                    Format("%llu / %llu", static_cast<unsigned long long>(timeouts),
                           static_cast<unsigned long long>(requests))});
    rows.push_back({"damaged / repeated records", static_cast<double>(damaged), static_cast<double>(repeats),
                    "at the players, all lives"});
    const double lives = static_cast<double>(r.lives.size());
    const size_t killed = static_cast<size_t>(
        std::count_if(r.lives.begin(), r.lives.end(), [](const LifeFigures& l) { return l.killed; }));
    rows.push_back({"CPU per peer (s)", lives ? std::optional<double>(r.cpu_s / lives) : std::nullopt, std::nullopt,
                    Format("process %.1f s / %zu peer lives (%zu killed); wall %.1f s for %.0f s of run", r.cpu_s,
                           r.lives.size(), killed, r.wall_s, r.run_s),
                    true});
    const Values held_bytes = Collect(r, [](const LifeFigures& l) {
        return std::optional<double>(static_cast<double>(l.peak_held_bytes) / (1024.0 * 1024.0));
    });
    rows.push_back({"bytes held per session (MiB)", Mean(held_bytes), Max(held_bytes),
                    "peak of core blocks, network buffers and shared blocks: mean / max"});
    return rows;
}

std::string FigureTable(const ScenarioResults& r) {
    const ScenarioConfig& c = r.config;
    std::string out = Format(
        "relay simulation: %u peers, %g min, %u bit/s, source cap %u, churn %g%%, loss %g%%, delay %u ms, "
        "bandwidth %llu bit/s, seed %llu\n",
        c.peers, c.minutes, c.rate_bps, c.source_cap, c.churn_percent, c.loss_percent, c.delay_ms,
        static_cast<unsigned long long>(c.bandwidth_bps), static_cast<unsigned long long>(c.seed));
    const std::vector<FigureRow> rows = FigureRows(r);
    size_t width = 6;
    for (const FigureRow& row : rows) width = std::max(width, row.name.size());
    auto cell = [](std::optional<double> v) { return v ? Format("%.2f", *v) : std::string("n/a"); };
    out += Format("%-*s  %10s  %10s  %s\n", static_cast<int>(width), "figure", "p50/mean", "p95/max", "note");
    out += std::string(width + 56, '-') + "\n";
    for (const FigureRow& row : rows)
        out += Format("%-*s  %10s  %10s  %s\n", static_cast<int>(width), row.name.c_str(), cell(row.first).c_str(),
                      row.second ? cell(row.second).c_str() : "", row.note.c_str());
    return out;
}

std::string ResultsJson(const ScenarioResults& r, bool with_host) {
    const ScenarioConfig& c = r.config;
    JsonFields config;
    config.Count("peers", c.peers).Num("minutes", c.minutes).Count("rate", c.rate_bps);
    config.Count("source_cap", c.source_cap).Num("churn", c.churn_percent).Num("loss", c.loss_percent);
    config.Count("delay", c.delay_ms).Count("jitter", c.jitter_ms);
    config.Count("bandwidth", c.bandwidth_bps).Count("source_bandwidth", c.source_bandwidth_bps).Count("seed", c.seed);
    config.Count("piece_bytes", c.piece_bytes);

    JsonFields run;
    run.Raw("config", config.Object()).Num("run_s", r.run_s).Count("pieces_produced", r.pieces_produced);
    run.Count("source_refusals", r.source_refusals).Count("events", r.events).Count("messages", r.messages);
    run.Count("stray_messages", r.stray_messages).Count("bad_frees", r.bad_frees);
    if (with_host) run.Num("cpu_s", r.cpu_s).Num("wall_s", r.wall_s);

    std::string rows;
    for (const FigureRow& row : FigureRows(r)) {
        if (row.of_host && !with_host) continue;
        rows += Format("%s\n  [%s, %s, %s, %s]", rows.empty() ? "" : ",", Quoted(row.name).c_str(),
                       Number(row.first).c_str(), Number(row.second).c_str(), Quoted(row.note).c_str());
    }
    run.Raw("rows", "[" + rows + "\n ]");

    std::string lives;
    for (const LifeFigures& l : r.lives) {
        JsonFields life;
        life.Text("name", l.name).Flag("opened", l.opened).Flag("killed", l.killed).Num("created_s", l.created_s);
        life.Num("lived_s", l.lived_s);
        life.Num("joined_s", l.joined_s).Num("held_s", l.held_s).Num("first_byte_s", l.first_byte_s);
        life.Num("continuity", l.continuity).Num("completeness", l.completeness);
        life.Num("lag_p50_ms", l.lag_p50_ms).Num("lag_p95_ms", l.lag_p95_ms).Num("stall_ratio", l.stall_ratio);
        life.Raw("first_piece", l.first_piece ? Format("%u", *l.first_piece) : "null");
        life.Count("pieces", l.pieces).Count("gaps", l.gaps).Count("repeats", l.repeats).Count("damaged", l.damaged);
        life.Count("player_connects", l.player_connects).Flag("reply_ok", l.reply_ok).Flag("header_ok", l.header_ok);
        life.Count("requests", l.requests).Count("timeouts", l.timeouts);
        life.Count("piece_received", l.traffic.piece_received).Count("control_received", l.traffic.control_received);
        life.Count("piece_sent", l.traffic.piece_sent).Count("control_sent", l.traffic.control_sent);
        life.Count("peak_held_bytes", l.peak_held_bytes);
        lives += (lives.empty() ? "\n  " : ",\n  ") + life.Object();
    }
    run.Raw("lives", "[" + lives + "\n ]");
    return run.Object("\n ") + "\n";
}

}  // namespace sim
