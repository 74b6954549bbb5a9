// Scoped owners for Winsock: a session (WSAStartup / WSACleanup) and a
// socket. Winsock's header must come before <windows.h>, so this header is
// included first.
#pragma once

#include <winsock2.h>

#include "WinHandle.h"

namespace brenvald {

struct SocketKind {
    using Handle = SOCKET;
    static Handle None() { return INVALID_SOCKET; }
    static bool Valid(Handle handle) { return handle != INVALID_SOCKET; }
    static void Close(Handle handle) { closesocket(handle); }
};

using SocketHandle = ScopedHandle<SocketKind>;

// Winsock started for a scope; a failed start shows up as sockets that
// cannot be made.
class WinsockSession {
public:
    WinsockSession() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession() {
        if (started_)
            WSACleanup();
    }
    WinsockSession(const WinsockSession &) = delete;
    WinsockSession &operator=(const WinsockSession &) = delete;

private:
    bool started_ = false;
};

} // namespace brenvald
