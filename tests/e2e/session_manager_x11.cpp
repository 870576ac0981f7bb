// A small X11 session manager (XSMP over libSM) for one client: prints its
// SESSION_MANAGER address, then a line for each step the client takes. A line
// "logout" on standard input asks the client to save for a shutdown that
// allows interaction, as a desktop's logout does; then the session ends
// ("die") or, when the client cancelled, goes on ("cancelled").
#include <X11/SM/SMlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {

IceConn connection = nullptr;
SmsConn client = nullptr;
bool cancelled = false;

void say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

Status newClient(SmsConn conn, SmPointer, unsigned long* mask, SmsCallbacks* c, char**) {
    client = conn;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
            SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
            SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
    c->register_client.callback = [](SmsConn conn, SmPointer, char*) -> Status {
        char* id = SmsGenerateClientID(conn);
        SmsRegisterClientReply(conn, id);
        std::free(id);
        say("registered");
        return 1;
    };
    c->interact_request.callback = [](SmsConn conn, SmPointer, int) {
        say("interact");
        SmsInteract(conn);
    };
    c->interact_done.callback = [](SmsConn, SmPointer, Bool cancel) {
        cancelled = cancel;
        say(cancel ? "interact done, cancel yes" : "interact done, cancel no");
    };
    c->save_yourself_request.callback = [](SmsConn, SmPointer, int, Bool, int, Bool, Bool) {};
    c->save_yourself_phase2_request.callback = [](SmsConn conn, SmPointer) {
        SmsSaveYourselfPhase2(conn);
    };
    c->save_yourself_done.callback = [](SmsConn conn, SmPointer, Bool success) {
        say(success ? "save done, success yes" : "save done, success no");
        say(cancelled ? "cancelled" : "die");
        cancelled ? SmsShutdownCancelled(conn) : SmsDie(conn);
    };
    c->close_connection.callback = [](SmsConn conn, SmPointer, int count, char** reasons) {
        SmFreeReasons(count, reasons);
        say("closed");
        SmsCleanUp(conn);
    };
    c->set_properties.callback = [](SmsConn, SmPointer, int count, SmProp** props) {
        for (int i = 0; i < count; ++i)
            SmFreeProperty(props[i]);
        std::free(props);
    };
    c->delete_properties.callback = [](SmsConn, SmPointer, int count, char** names) {
        SmFreeReasons(count, names);
    };
    c->get_properties.callback = [](SmsConn conn, SmPointer) {
        SmsReturnProperties(conn, 0, nullptr);
    };
    return 1;
}

} // namespace

int main() {
    char error[256] = "";
    int count = 0;
    IceListenObj* listeners = nullptr;
    auto anyHost = [](char*) -> Bool { return True; }; // the test's own private session
    if (!SmsInitialize("tarnwick-test", "1.0", newClient, nullptr, anyHost, sizeof error, error) ||
        !IceListenForConnections(&count, &listeners, sizeof error, error))
        return std::fprintf(stderr, "%s\n", error), 1;
    for (int i = 0; i < count; ++i) {
        IceSetHostBasedAuthProc(listeners[i], anyHost);
        char* id = IceGetListenConnectionString(listeners[i]);
        if (std::strncmp(id, "local/", 6) == 0)
            say(id);
        std::free(id);
    }
    for (;;) {
        pollfd fds[8];
        for (pollfd& fd : fds)
            fd = {-1, POLLIN, 0};
        fds[0].fd = STDIN_FILENO;
        for (int i = 0; i < count && i < 6; ++i)
            fds[1 + i] = {IceGetListenConnectionNumber(listeners[i]), POLLIN, 0};
        fds[7].fd = connection ? IceConnectionNumber(connection) : -1;
        ::poll(fds, 8, -1);
        char line[64] = "";
        if (fds[0].revents && !std::fgets(line, sizeof line, stdin))
            return 0;
        if (std::strncmp(line, "logout", 6) == 0)
            SmsSaveYourself(client, SmSaveBoth, True, SmInteractStyleAny, False);
        for (int i = 0; i < count && i < 6; ++i) {
            IceAcceptStatus status;
            if (fds[1 + i].revents)
                connection = IceAcceptConnection(listeners[i], &status);
        }
        if (fds[7].revents &&
            IceProcessMessages(connection, nullptr, nullptr) == IceProcessMessagesIOError) {
            IceCloseConnection(connection);
            connection = nullptr;
        }
    }
}
