// A minimal X session manager (XSMP over ICE) for whole-program tests: it
// takes one client and, on commands read from standard input, asks it to
// save for a logout, cancels that logout or tells it to end.
//
// Prints "address <SESSION_MANAGER value>" once it listens, then one line
// per command: "ok <command>" or "timeout <command>".
//   registered  wait until a client has registered (and done its first save)
//   save        SaveYourself for a logout (global and local, shutdown, no
//               interaction); waits for SaveYourselfDone
//   cancel      ShutdownCancelled
//   die         Die; waits until the client has closed its connection
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr auto kWaitLimit = std::chrono::seconds(60);

struct Client {
    SmsConn conn = nullptr;
    bool registered = false;
    int savesDone = 0;
    bool closed = false;
};

Client client;
std::vector<IceConn> connections;

Bool AcceptAnyLocalHost(char*) {
    return True;
}

void IgnoreIoError(IceConn) {}

Status RegisterClient(SmsConn conn, SmPointer, char* previousId) {
    char* id = SmsGenerateClientID(conn);
    char fallback[] = "1zebtest000000000000000000000000000001";
    SmsRegisterClientReply(conn, id ? id : fallback);
    std::free(id);
    std::free(previousId);
    client.registered = true;
    // A new client gets a local save right away (XSMP).
    SmsSaveYourself(conn, SmSaveLocal, False, SmInteractStyleNone, False);
    return 1;
}

void InteractRequest(SmsConn conn, SmPointer, int) {
    SmsInteract(conn);
}
void InteractDone(SmsConn, SmPointer, Bool) {}
void SaveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}
void SaveYourselfPhase2Request(SmsConn conn, SmPointer) {
    SmsSaveYourselfPhase2(conn);
}
void SaveYourselfDone(SmsConn, SmPointer, Bool) {
    ++client.savesDone;
}
void CloseConnection(SmsConn conn, SmPointer, int count, char** reasons) {
    SmFreeReasons(count, reasons);
    SmsCleanUp(conn);
    client.conn = nullptr;
    client.closed = true;
}
void SetProperties(SmsConn, SmPointer, int count, SmProp** props) {
    for (int i = 0; i < count; ++i)
        SmFreeProperty(props[i]);
    std::free(props);
}
void DeleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i)
        std::free(names[i]);
    std::free(names);
}
void GetProperties(SmsConn conn, SmPointer) {
    SmsReturnProperties(conn, 0, nullptr);
}

Status NewClient(SmsConn conn, SmPointer, unsigned long* mask, SmsCallbacks* cb, char**) {
    client = Client{};
    client.conn = conn;
    std::memset(cb, 0, sizeof *cb);
    cb->register_client.callback = RegisterClient;
    cb->interact_request.callback = InteractRequest;
    cb->interact_done.callback = InteractDone;
    cb->save_yourself_request.callback = SaveYourselfRequest;
    cb->save_yourself_phase2_request.callback = SaveYourselfPhase2Request;
    cb->save_yourself_done.callback = SaveYourselfDone;
    cb->close_connection.callback = CloseConnection;
    cb->set_properties.callback = SetProperties;
    cb->delete_properties.callback = DeleteProperties;
    cb->get_properties.callback = GetProperties;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
            SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
            SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
    return 1;
}

// Serves the listeners and connections until `done` holds or the limit passes.
template <typename Done>
bool ServeUntil(int listenerCount, IceListenObj* listeners, Done done) {
    auto limit = std::chrono::steady_clock::now() + kWaitLimit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::vector<pollfd> fds;
        for (int i = 0; i < listenerCount; ++i)
            fds.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
        for (IceConn c : connections)
            fds.push_back({IceConnectionNumber(c), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 100) <= 0)
            continue;
        std::vector<IceConn> open;
        for (size_t k = 0; k < connections.size(); ++k) {
            IceConn c = connections[k];
            if (fds[size_t(listenerCount) + k].revents &&
                IceProcessMessages(c, nullptr, nullptr) == IceProcessMessagesIOError) {
                IceSetShutdownNegotiation(c, False);
                IceCloseConnection(c);
                if (client.conn)
                    SmsCleanUp(client.conn);
                client.conn = nullptr;
                client.closed = true;
                continue;
            }
            open.push_back(c);
        }
        for (int i = 0; i < listenerCount; ++i) {
            if (fds[size_t(i)].revents & POLLIN) {
                IceAcceptStatus status;
                if (IceConn c = IceAcceptConnection(listeners[i], &status))
                    open.push_back(c);
            }
        }
        connections = open;
    }
    return true;
}

} // namespace

int main() {
    std::signal(SIGPIPE, SIG_IGN);
    IceSetIOErrorHandler(IgnoreIoError);
    char error[256] = "";
    if (!SmsInitialize("zebtest", "1.0", NewClient, nullptr, AcceptAnyLocalHost, sizeof error,
                       error)) {
        std::fprintf(stderr, "session manager: %s\n", error);
        return 1;
    }
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!IceListenForConnections(&count, &listeners, sizeof error, error)) {
        std::fprintf(stderr, "session manager: %s\n", error);
        return 1;
    }
    for (int i = 0; i < count; ++i)
        IceSetHostBasedAuthProc(listeners[i], AcceptAnyLocalHost);
    char* address = IceComposeNetworkIdList(count, listeners);
    std::cout << "address " << address << std::endl;
    std::free(address);

    std::string command;
    while (std::getline(std::cin, command)) {
        bool ok = false;
        if (command == "registered") {
            ok = ServeUntil(count, listeners,
                            [] { return client.registered && client.savesDone > 0; });
        } else if (command == "save" && client.conn) {
            int before = client.savesDone;
            SmsSaveYourself(client.conn, SmSaveBoth, True, SmInteractStyleNone, False);
            ok = ServeUntil(count, listeners, [before] { return client.savesDone > before; });
        } else if (command == "cancel" && client.conn) {
            SmsShutdownCancelled(client.conn);
            ok = IceFlush(SmsGetIceConnection(client.conn)) != 0;
        } else if (command == "die" && client.conn) {
            SmsDie(client.conn);
            ok = ServeUntil(count, listeners, [] { return client.closed; });
        }
        std::cout << (ok ? "ok " : "timeout ") << command << std::endl;
    }
    IceFreeListenObjs(count, listeners);
    return 0;
}
