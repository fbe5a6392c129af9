#include "host_session.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "engine_tick.h"
#include "guid_text.h"
#include "ipv4_text.h"
#include "json_line.h"
#include "line_reader.h"
#include "notify_window.h"
#include "param_block.h"
#include "platform.h"
#include "stats_report.h"
#include "sys_info_report.h"

namespace {
constexpr uint32_t kMetaRetryMs = 100;
constexpr uint32_t kMetaGiveUpMs = 10000;
constexpr unsigned kLoopWaitMs = 50;

std::vector<std::string> SplitWords(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    std::string word;
    while (stream >> word) words.push_back(word);
    return words;
}

bool ParseHex(const std::string& text, std::vector<uint8_t>& out) {
    if (text.size() % 2) return false;
    out.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        unsigned v;
        if (std::sscanf(text.substr(i, 2).c_str(), "%2x", &v) != 1) return false;
        out.push_back(static_cast<uint8_t>(v));
    }
    return true;
}

uint8_t* Mapped(const SharedBlockDesc& d) {
    return static_cast<uint8_t*>(d.address);
}

void SetBlockName(SharedBlockDesc& desc, const std::string& name) {
    std::memset(&desc, 0, sizeof(desc));
    std::snprintf(desc.name, sizeof(desc.name), "%s", name.c_str());
}

JsonObject DescriptorJson(const SharedBlockDesc& d) {
    return JsonObject()
        .Str("name", d.name)
        .Str("address", Hex32(ToWord(d.address)))
        .Int("size", d.size);
}
}  // namespace

int HostSession::Run() {
    for (const std::string& module : m_options.modules) m_vor.ts0009(module.c_str());
    Start();
    if (m_sys_info.address) PrintSysInfo(Mapped(m_sys_info));
    for (const ChannelSpec& channel : m_options.channels) CreateChannel(channel);

    auto* reader = new LineReader;  // outlives its thread, which is never joined
    if (!m_options.no_stdin) reader->Start();
    const uint32_t started = EngineTick();
    bool go_on = true;
    while (go_on) {
        std::string line;
        if (!m_options.no_stdin && reader->WaitLine(line, kLoopWaitMs)) {
            go_on = HandleCommand(line);
        } else if (m_options.no_stdin) {
            platform::SleepMs(kLoopWaitMs);
        }
        if (!m_options.no_stdin && reader->Ended()) go_on = false;
        if (m_options.seconds > 0 && EngineTick() - started >= static_cast<uint32_t>(m_options.seconds) * 1000u) {
            go_on = false;
        }
        PumpNotifyMessages();
        WatchChannels(EngineTick());
    }
    for (auto it = m_channels.rbegin(); it != m_channels.rend(); ++it) {
        uint32_t w[4];
        std::memcpy(w, it->guid.data(), 16);
        if (m_running) m_vor.ts0005(w[0], w[1], w[2], w[3]);
    }
    Stop();
    for (Channel& channel : m_channels) CloseChannelMeta(channel);
    for (auto& entry : m_blocks) m_vor.ts0008(&entry.second);
    return 0;
}

void HostSession::Start() {
    m_tcp = m_options.tcp;
    m_udp = m_options.udp;
    const int rc = m_vor.ts0001(&m_tcp, &m_udp);
    m_running = true;
    OpenSysInfo();
    PrintStarted(rc);
}

void HostSession::Stop() {
    if (!m_running) return;
    const int rc = m_vor.ts0002();
    m_running = false;
    PrintEvent("stopped", JsonObject().Int("rc", rc));
    CloseSysInfo();
}

void HostSession::PrintStarted(int rc) {
    bool ports_ok = false;
    if (m_sys_info.address) {
        uint16_t tcp, udp;
        std::memcpy(&tcp, Mapped(m_sys_info) + 14, 2);
        std::memcpy(&udp, Mapped(m_sys_info) + 16, 2);
        ports_ok = tcp != 0 && udp != 0;
    }
    PrintEvent("started", JsonObject()
                              .Int("pid", platform::CurrentProcessId())
                              .Int("tcp", m_tcp)
                              .Int("udp", m_udp)
                              .Bool("ports_ok", ports_ok)
                              .Int("rc", rc));
}

void HostSession::OpenSysInfo() {
    char name[64];
    std::snprintf(name, sizeof(name), "%d%s", static_cast<int>(platform::CurrentProcessId()), "OS_SYS_INFO");
    SetBlockName(m_sys_info, name);
    if (m_vor.ts0007(&m_sys_info) != 0 || !m_sys_info.address) {
        m_sys_info.address = nullptr;
        PrintError(std::string("cannot open ") + name);
        return;
    }
    uint8_t* b = Mapped(m_sys_info);
    if (m_options.local_ip != "keep") {
        uint32_t ip = 0;
        ParseIPv4(m_options.local_ip, ip);
        const uint16_t one = 1;
        std::memcpy(b + 106, &one, 2);
        std::memcpy(b + 108, &ip, 4);
    }
    const uint16_t alt_tcp = static_cast<uint16_t>(m_options.alt_tcp), alt_udp = static_cast<uint16_t>(m_options.alt_udp);
    if (alt_tcp) std::memcpy(b + 24, &alt_tcp, 2);
    if (alt_udp) std::memcpy(b + 26, &alt_udp, 2);
    if (m_options.notify) {
        const uint32_t window = CreateNotifyWindow();
        std::memcpy(b + 28, &window, 4);
    }
}

void HostSession::CloseSysInfo() {
    if (m_sys_info.address) m_vor.ts0008(&m_sys_info);
    m_sys_info.address = nullptr;
}

void HostSession::CreateChannel(const ChannelSpec& spec) {
    const std::vector<uint8_t> block = BuildCreateParamBlock(spec);
    const int rc = m_vor.ts0004(block.data());
    PrintEvent("created", JsonObject()
                              .Str("guid", GuidBraceText(spec.guid.data()))
                              .Int("len", static_cast<long long>(block.size()))
                              .Int("rc", rc));
    Channel channel;
    channel.guid = spec.guid;
    channel.type = spec.type;
    channel.watch_started = EngineTick();
    channel.next_stats = channel.watch_started;
    m_channels.push_back(channel);
    if (!spec.hostpeers.empty()) SendHostPeers(spec.guid, spec.hostpeers);
}

void HostSession::DeleteChannel(const GuidBytes& guid) {
    uint32_t w[4];
    std::memcpy(w, guid.data(), 16);
    const int rc = m_vor.ts0005(w[0], w[1], w[2], w[3]);
    PrintEvent("deleted", JsonObject().Str("guid", GuidBraceText(guid.data())).Int("len", 16).Int("rc", rc));
    for (auto it = m_channels.begin(); it != m_channels.end(); ++it) {
        if (it->guid == guid) {
            CloseChannelMeta(*it);
            m_channels.erase(it);
            break;
        }
    }
}

void HostSession::SendHostPeers(const GuidBytes& guid, const std::vector<PeerSpec>& peers) {
    const std::vector<uint8_t> data = BuildHostPeers(guid, peers);
    const int rc = m_vor.ts0003(2010, data.data(), static_cast<uint32_t>(data.size()));
    PrintEvent("cmd", JsonObject().Int("cmd", 2010).Int("len", static_cast<long long>(data.size())).Int("rc", rc));
}

void HostSession::CloseChannelMeta(Channel& channel) {
    if (channel.meta_open) m_vor.ts0008(&channel.meta);
    channel.meta_open = false;
}

void HostSession::WatchChannels(uint32_t now) {
    for (Channel& channel : m_channels) {
        if (channel.type != 1001) continue;
        if (!channel.meta_open && !channel.meta_given_up && now - channel.next_meta_try < 0x80000000u) {
            channel.next_meta_try = now + kMetaRetryMs;
            SetBlockName(channel.meta, StatsBlockName(channel.guid.data()));
            if (m_vor.ts0007(&channel.meta) == 0 && channel.meta.address) {
                channel.meta_open = true;
                PrintEvent("meta", JsonObject()
                                       .Str("guid", GuidBraceText(channel.guid.data()))
                                       .Str("name", channel.meta.name)
                                       .Int("size", channel.meta.size));
            } else if (now - channel.watch_started >= kMetaGiveUpMs) {
                channel.meta_given_up = true;
                PrintError("no statistics block " + StatsBlockName(channel.guid.data()));
            }
        }
        if (!channel.meta_open) continue;
        const uint8_t* b = Mapped(channel.meta);
        if (!channel.stream_port_printed && channel.meta.size >= 358) {
            uint16_t port;
            std::memcpy(&port, b + 356, 2);
            if (port) {
                channel.stream_port_printed = true;
                PrintEvent("stream_port",
                           JsonObject().Str("guid", GuidBraceText(channel.guid.data())).Int("port", port));
            }
        }
        if (m_options.status_ms > 0 && now - channel.next_stats < 0x80000000u) {
            channel.next_stats = now + static_cast<uint32_t>(m_options.status_ms);
            PrintStats(channel.guid.data(), b, channel.meta.size, m_options.peers, false);
        }
    }
}

bool HostSession::HandleCommand(const std::string& line) {
    const std::vector<std::string> words = SplitWords(line);
    if (words.empty()) return true;
    const std::string& verb = words[0];
    GuidBytes guid{};
    if (verb == "quit") return false;
    if (verb == "create") {
        CommandCreate(words);
    } else if (verb == "rawcreate") {
        CommandRawCreate(words);
    } else if (verb == "delete") {
        if (words.size() < 2 || !ParseGuidText(words[1], guid)) return PrintError("delete needs a GUID"), true;
        DeleteChannel(guid);
    } else if (verb == "hostpeers") {
        if (words.size() < 2 || !ParseGuidText(words[1], guid)) return PrintError("hostpeers needs a GUID"), true;
        std::vector<PeerSpec> peers;
        for (size_t i = 2; i < words.size(); ++i) {
            PeerSpec peer;
            if (!ParsePeer(words[i], peer)) return PrintError("bad peer " + words[i]), true;
            peers.push_back(peer);
        }
        SendHostPeers(guid, peers);
    } else if (verb == "cmd") {
        CommandCmd(words);
    } else if (verb == "sysinfo") {
        if (m_sys_info.address) PrintSysInfo(Mapped(m_sys_info));
        else PrintError("no SysInfoBlock");
    } else if (verb == "stats") {
        CommandStats(words);
    } else if (verb == "portlist") {
        CommandPortList(words);
    } else if (verb == "block") {
        CommandBlock(words);
    } else if (verb == "stop") {
        Stop();
    } else if (verb == "start") {
        if (!m_running) Start();
    } else if (verb == "restart") {
        Stop();
        Start();
    } else if (verb == "sleep") {
        if (words.size() >= 2) platform::SleepMs(static_cast<uint32_t>(std::strtoul(words[1].c_str(), nullptr, 10)));
    } else {
        PrintError("unknown command " + verb);
    }
    return true;
}

void HostSession::CommandCreate(const std::vector<std::string>& words) {
    ChannelSpec spec;
    if (words.size() < 2 || !ParseGuidText(words[1], spec.guid)) return PrintError("create needs a GUID");
    std::string error;
    for (size_t i = 2; i < words.size(); ++i) {
        const size_t eq = words[i].find('=');
        if (eq == std::string::npos) return PrintError("bad setting " + words[i]);
        if (!ApplyChannelSetting(words[i].substr(0, eq), words[i].substr(eq + 1), spec, error)) return PrintError(error);
    }
    if (!ChannelWithinLimits(spec, error)) return PrintError(error);
    CreateChannel(spec);
}

void HostSession::CommandRawCreate(const std::vector<std::string>& words) {
    std::vector<uint8_t> bytes;
    if (words.size() < 2 || !ParseHex(words[1], bytes)) return PrintError("rawcreate needs hex bytes");
    // The framework reads as many bytes as the block's first word says; keep at least that many.
    uint32_t length = 0;
    if (bytes.size() >= 4) std::memcpy(&length, bytes.data(), 4);
    std::vector<uint8_t> block = bytes;
    if (length <= (1u << 20) && block.size() < length) block.resize(length, 0);
    const int rc = m_vor.ts0004(block.data());
    JsonObject json;
    if (bytes.size() >= 156) json.Str("guid", GuidBraceText(bytes.data() + 140));
    PrintEvent("created", json.Int("len", length).Int("rc", rc));
}

void HostSession::CommandCmd(const std::vector<std::string>& words) {
    std::vector<uint8_t> bytes;
    if (words.size() < 2) return PrintError("cmd needs a number");
    if (words.size() >= 3 && !ParseHex(words[2], bytes)) return PrintError("bad hex");
    const int command = static_cast<int>(std::strtol(words[1].c_str(), nullptr, 0));
    const int rc = m_vor.ts0003(command, bytes.empty() ? nullptr : bytes.data(), static_cast<uint32_t>(bytes.size()));
    PrintEvent("cmd", JsonObject().Int("cmd", command).Int("len", static_cast<long long>(bytes.size())).Int("rc", rc));
}

void HostSession::CommandStats(const std::vector<std::string>& words) {
    GuidBytes guid{};
    if (words.size() < 2 || !ParseGuidText(words[1], guid)) return PrintError("stats needs a GUID");
    bool peers = false, full = false;
    for (size_t i = 2; i < words.size(); ++i) {
        peers = peers || words[i] == "peers";
        full = full || words[i] == "full";
    }
    for (Channel& channel : m_channels) {
        if (channel.guid == guid && channel.meta_open) {
            PrintStats(guid.data(), Mapped(channel.meta), channel.meta.size, peers, full);
            return;
        }
    }
    PrintError("no statistics block " + StatsBlockName(guid.data()));
}

void HostSession::CommandPortList(const std::vector<std::string>& words) {
    GuidBytes guid{};
    if (words.size() < 2 || !ParseGuidText(words[1], guid)) return PrintError("portlist needs a GUID");
    SharedBlockDesc desc;
    SetBlockName(desc, GuidPlatformText(guid.data()));
    if (m_vor.ts0007(&desc) != 0 || !desc.address) return PrintError(std::string("cannot open ") + desc.name);
    const uint8_t* b = Mapped(desc);
    std::string entries = "[";
    const unsigned count = desc.size >= 152 ? b[151] : 0;
    for (unsigned k = 0; k < count && 152 + 5 * (k + 1) <= desc.size; ++k) {
        uint32_t port;
        std::memcpy(&port, b + 152 + 5 * k, 4);
        entries += (k ? ", " : "") + JsonObject().Int("port", port).Int("flag", b[156 + 5 * k]).Text();
    }
    entries += "]";
    PrintEvent("portlist", JsonObject()
                               .Str("name", desc.name)
                               .Int("size", desc.size)
                               .Int("b150", desc.size > 150 ? b[150] : 0)
                               .Int("count", count)
                               .Raw("entries", entries));
    m_vor.ts0008(&desc);
}

void HostSession::CommandBlock(const std::vector<std::string>& words) {
    if (words.size() < 3) return PrintError("block needs an operation and a name");
    const std::string& op = words[1];
    const std::string& name = words[2];
    SharedBlockDesc desc;
    SetBlockName(desc, name);
    desc.size = words.size() >= 4 ? static_cast<uint32_t>(std::strtoul(words[3].c_str(), nullptr, 0)) : 0;
    int rc;
    if (op == "create") {
        rc = m_vor.ts0006(&desc);
        if (rc == 0) m_blocks[name] = desc;
    } else if (op == "open") {
        rc = m_vor.ts0007(&desc);
        if (rc == 0) m_blocks[name] = desc;
    } else if (op == "close") {
        auto it = m_blocks.find(name);
        if (it == m_blocks.end()) return PrintError("block " + name + " is not open here");
        desc = it->second;
        rc = m_vor.ts0008(&desc);
        m_blocks.erase(it);
    } else {
        return PrintError("unknown block operation " + op);
    }
    PrintEvent("block", DescriptorJson(desc).Str("op", op).Int("rc", rc));
}
