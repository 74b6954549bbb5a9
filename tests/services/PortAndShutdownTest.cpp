// The local port probe, and the privilege step of forced restart and
// shutdown, which ends in a stand-in for the system's shutdown call: no test
// may restart or shut down the machine it runs on.
#include <winsock2.h>

#include "SystemServices.h"

#include <brenvald/Kernel.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {

class Winsock : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data_), 0); }
    void TearDown() override { WSACleanup(); }

    // A TCP socket bound to 127.0.0.1 at a port the system picks.
    SOCKET BoundLoopbackSocket(unsigned short &port) {
        SOCKET bound = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = inet_addr("127.0.0.1");
        int length = sizeof address;
        if (bound == INVALID_SOCKET ||
            bind(bound, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            getsockname(bound, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return INVALID_SOCKET;
        port = ntohs(address.sin_port);
        return bound;
    }

private:
    WSADATA data_;
};

TEST_F(Winsock, ListeningPortIsOpenAndTheProbeIsClosedAfter) {
    unsigned short port = 0;
    SOCKET listener = BoundLoopbackSocket(port);
    ASSERT_NE(listener, INVALID_SOCKET);
    ASSERT_EQ(listen(listener, 1), 0);
    EXPECT_EQ(isPortOpen(port), 1);
    // The probe's connection waits in the backlog; its end of it must be
    // closed, which the accepted side reads as the end of the stream.
    SOCKET accepted = accept(listener, nullptr, nullptr);
    ASSERT_NE(accepted, INVALID_SOCKET);
    DWORD timeoutMs = 5000;
    setsockopt(accepted, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&timeoutMs),
               sizeof timeoutMs);
    char byte;
    EXPECT_EQ(recv(accepted, &byte, 1, 0), 0);
    closesocket(accepted);
    closesocket(listener);
}

TEST_F(Winsock, PortWithoutListenerIsClosed) {
    unsigned short port = 0;
    SOCKET bound = BoundLoopbackSocket(port);
    ASSERT_NE(bound, INVALID_SOCKET);
    closesocket(bound);
    EXPECT_EQ(isPortOpen(port), 0);
}

// The shutdown privilege as the process's token holds it now.
bool ShutdownPrivilegeEnabled() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    LUID shutdown{};
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown);
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    bool enabled = false;
    if (size && GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
        auto privileges = reinterpret_cast<const TOKEN_PRIVILEGES *>(buffer.data());
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES &entry = privileges->Privileges[i];
            if (entry.Luid.LowPart == shutdown.LowPart && entry.Luid.HighPart == shutdown.HighPart)
                enabled = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    CloseHandle(token);
    return enabled;
}

bool SetShutdownPrivilege(bool enabled) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = enabled ? SE_PRIVILEGE_ENABLED : 0;
    bool adjusted = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                    GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return adjusted;
}

// What the stand-in for ExitWindowsEx saw.
struct ShutdownRequest {
    unsigned flags;
    unsigned long reason;
    bool privilegeEnabled;
};
std::vector<ShutdownRequest> requests;
int standInResult = 1;

int __stdcall StandInExitWindows(unsigned int flags, unsigned long reason) {
    requests.push_back({flags, reason, ShutdownPrivilegeEnabled()});
    return standInResult;
}

class ForcedExit : public ::testing::Test {
protected:
    void SetUp() override {
        requests.clear();
        standInResult = 1;
        ASSERT_TRUE(SetShutdownPrivilege(false));
        ASSERT_FALSE(ShutdownPrivilegeEnabled());
    }
};

TEST_F(ForcedExit, RestartEnablesThePrivilegeThenAsksForAForcedReboot) {
    EXPECT_EQ(kernel::ForceRestart(StandInExitWindows), 1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].flags, 6u); // EWX_REBOOT | EWX_FORCE
    EXPECT_EQ(requests[0].reason, 0u);
    EXPECT_TRUE(requests[0].privilegeEnabled);
}

TEST_F(ForcedExit, ShutdownEnablesThePrivilegeThenAsksForAForcedShutdown) {
    EXPECT_EQ(kernel::ForceShutdown(StandInExitWindows), 1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].flags, 5u); // EWX_SHUTDOWN | EWX_FORCE
    EXPECT_EQ(requests[0].reason, 0u);
    EXPECT_TRUE(requests[0].privilegeEnabled);
}

TEST_F(ForcedExit, RefusalOfTheSystemIsTheResult) {
    standInResult = 0;
    EXPECT_EQ(kernel::ForceShutdown(StandInExitWindows), 0);
    EXPECT_EQ(kernel::ForceRestart(StandInExitWindows), 0);
    EXPECT_EQ(requests.size(), 2u);
}

} // namespace
