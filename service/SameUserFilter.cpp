#include "service/SameUserFilter.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on

#include <cstring>
#include <memory>
#include <vector>

namespace quillmar::service {

namespace {

// The whole table of one address family, grown until it fits (connections come and go meanwhile).
std::vector<unsigned char> TcpTable(ULONG family) {
    std::vector<unsigned char> table;
    DWORD size = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD status = GetExtendedTcpTable(table.empty() ? nullptr : table.data(), &size, FALSE, family,
                                           TCP_TABLE_OWNER_PID_ALL, 0);
        if (status == NO_ERROR) return table;
        if (status != ERROR_INSUFFICIENT_BUFFER) break;
        table.resize(size + 16 * sizeof(MIB_TCP6ROW_OWNER_PID));
        size = static_cast<DWORD>(table.size());
    }
    return {};
}

// The table's ports are in network order in the low 16 bits.
int PortOf(DWORD port) {
    return ntohs(static_cast<u_short>(port));
}

std::optional<unsigned long> FindV4(const in_addr& peer, const in_addr& local, const ConnectionEnds& ends) {
    std::vector<unsigned char> bytes = TcpTable(AF_INET);
    if (bytes.empty()) return std::nullopt;
    const auto* table = reinterpret_cast<const MIB_TCPTABLE_OWNER_PID*>(bytes.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_TCPROW_OWNER_PID& row = table->table[i];
        // The client's row: its local end is our peer, its remote end is us.
        if (row.dwLocalAddr == peer.s_addr && PortOf(row.dwLocalPort) == ends.peerPort &&
            row.dwRemoteAddr == local.s_addr && PortOf(row.dwRemotePort) == ends.localPort)
            return row.dwOwningPid;
    }
    return std::nullopt;
}

std::optional<unsigned long> FindV6(const in6_addr& peer, const in6_addr& local, const ConnectionEnds& ends) {
    std::vector<unsigned char> bytes = TcpTable(AF_INET6);
    if (bytes.empty()) return std::nullopt;
    const auto* table = reinterpret_cast<const MIB_TCP6TABLE_OWNER_PID*>(bytes.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_TCP6ROW_OWNER_PID& row = table->table[i];
        if (std::memcmp(row.ucLocalAddr, &peer, sizeof peer) == 0 &&
            PortOf(row.dwLocalPort) == ends.peerPort &&
            std::memcmp(row.ucRemoteAddr, &local, sizeof local) == 0 &&
            PortOf(row.dwRemotePort) == ends.localPort)
            return row.dwOwningPid;
    }
    return std::nullopt;
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// The token user's SID of a process, as bytes; empty when it cannot be asked.
std::vector<unsigned char> UserOf(HANDLE process) {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &rawToken)) return {};
    Handle token(rawToken);
    DWORD size = 0;
    GetTokenInformation(rawToken, TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<unsigned char> user(size);
    if (!GetTokenInformation(rawToken, TokenUser, user.data(), size, &size)) return {};
    return user;
}

}  // namespace

std::optional<unsigned long> ClientProcess(const ConnectionEnds& ends) {
    in_addr peer4{}, local4{};
    if (inet_pton(AF_INET, ends.peerAddress.c_str(), &peer4) == 1 &&
        inet_pton(AF_INET, ends.localAddress.c_str(), &local4) == 1)
        return FindV4(peer4, local4, ends);
    in6_addr peer6{}, local6{};
    if (inet_pton(AF_INET6, ends.peerAddress.c_str(), &peer6) == 1 &&
        inet_pton(AF_INET6, ends.localAddress.c_str(), &local6) == 1)
        return FindV6(peer6, local6, ends);
    return std::nullopt;
}

bool RunsAsThisUser(unsigned long processId) {
    Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return false;
    std::vector<unsigned char> theirs = UserOf(process.get());
    std::vector<unsigned char> ours = UserOf(GetCurrentProcess());
    if (theirs.empty() || ours.empty()) return false;
    const auto* their = reinterpret_cast<const TOKEN_USER*>(theirs.data());
    const auto* our = reinterpret_cast<const TOKEN_USER*>(ours.data());
    return EqualSid(their->User.Sid, our->User.Sid) != FALSE;
}

bool FromThisUser(const ConnectionEnds& ends) {
    std::optional<unsigned long> process = ClientProcess(ends);
    return process && RunsAsThisUser(*process);
}

}  // namespace quillmar::service
