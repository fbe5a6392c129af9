// One run of the engine host: starts the framework, creates the channels, answers the stdin
// commands, prints the status lines and stops the framework at the end.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host_options.h"
#include "outside_abi.h"
#include "vor_library.h"

class HostSession {
public:
    HostSession(const VorLibrary& vor, const HostOptions& options) : m_vor(vor), m_options(options) {}

    // Returns the process exit code.
    int Run();

private:
    struct Channel {
        GuidBytes guid{};
        int32_t type = 0;
        SharedBlockDesc meta{};
        bool meta_open = false;
        bool meta_given_up = false;
        bool stream_port_printed = false;
        uint32_t watch_started = 0;
        uint32_t next_meta_try = 0;
        uint32_t next_stats = 0;
    };

    void Start();
    void Stop();
    void OpenSysInfo();
    void CloseSysInfo();
    void PrintStarted(int rc);

    void CreateChannel(const ChannelSpec& spec);
    void DeleteChannel(const GuidBytes& guid);
    void SendHostPeers(const GuidBytes& guid, const std::vector<PeerSpec>& peers);
    void WatchChannels(uint32_t now);
    void CloseChannelMeta(Channel& channel);

    // False when the command ends the run.
    bool HandleCommand(const std::string& line);
    void CommandCreate(const std::vector<std::string>& words);
    void CommandRawCreate(const std::vector<std::string>& words);
    void CommandCmd(const std::vector<std::string>& words);
    void CommandStats(const std::vector<std::string>& words);
    void CommandPortList(const std::vector<std::string>& words);
    void CommandBlock(const std::vector<std::string>& words);

    const VorLibrary& m_vor;
    HostOptions m_options;
    int m_tcp = 0;
    int m_udp = 0;
    bool m_running = false;
    SharedBlockDesc m_sys_info{};
    std::vector<Channel> m_channels;
    std::map<std::string, SharedBlockDesc> m_blocks;
};
