// A small X11 session manager (XSMP over libSM) for the session test: it
// prints the SESSION_MANAGER address on its first line, then one line for
// each step a client takes. A line "logout" on its standard input asks every
// client to save for a shutdown that allows interaction, as a desktop's
// logout does; after the clients' answers the session ends ("die") or, when
// a client cancelled, goes on ("cancelled").
#include <X11/SM/SMlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Client {
    SmsConn conn = nullptr;
    bool cancelled = false;
};
std::vector<Client*> clients;
std::vector<IceConn> connections;

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

Status registerClient(SmsConn conn, SmPointer, char*) {
    char* id = SmsGenerateClientID(conn);
    SmsRegisterClientReply(conn, id);
    std::free(id);
    say("registered");
    return 1;
}

void interactRequest(SmsConn conn, SmPointer, int) {
    say("interact");
    SmsInteract(conn);
}

void interactDone(SmsConn, SmPointer data, Bool cancelShutdown) {
    static_cast<Client*>(data)->cancelled = cancelShutdown;
    say(std::string("interact done, cancel ") + (cancelShutdown ? "yes" : "no"));
}

void saveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}
void saveYourselfPhase2Request(SmsConn conn, SmPointer) {
    SmsSaveYourselfPhase2(conn);
}

void saveYourselfDone(SmsConn conn, SmPointer data, Bool success) {
    auto* client = static_cast<Client*>(data);
    say(std::string("save done, success ") + (success ? "yes" : "no"));
    if (client->cancelled) {
        SmsShutdownCancelled(conn);
        say("cancelled");
    } else {
        SmsDie(conn);
        say("die");
    }
}

void closeConnection(SmsConn conn, SmPointer data, int count, char** reasons) {
    SmFreeReasons(count, reasons);
    say("closed");
    for (auto it = clients.begin(); it != clients.end(); ++it) {
        if (*it == data) {
            clients.erase(it);
            break;
        }
    }
    delete static_cast<Client*>(data);
    SmsCleanUp(conn);
}

void setProperties(SmsConn, SmPointer, int count, SmProp** props) {
    for (int i = 0; i < count; ++i)
        SmFreeProperty(props[i]);
    std::free(props);
}
void deleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i)
        std::free(names[i]);
    std::free(names);
}
void getProperties(SmsConn conn, SmPointer) {
    SmsReturnProperties(conn, 0, nullptr);
}

Status newClient(SmsConn conn, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**) {
    auto* client = new Client;
    client->conn = conn;
    clients.push_back(client);
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
            SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
            SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
    callbacks->register_client = {registerClient, client};
    callbacks->interact_request = {interactRequest, client};
    callbacks->interact_done = {interactDone, client};
    callbacks->save_yourself_request = {saveYourselfRequest, client};
    callbacks->save_yourself_phase2_request = {saveYourselfPhase2Request, client};
    callbacks->save_yourself_done = {saveYourselfDone, client};
    callbacks->close_connection = {closeConnection, client};
    callbacks->set_properties = {setProperties, client};
    callbacks->delete_properties = {deleteProperties, client};
    callbacks->get_properties = {getProperties, client};
    return 1;
}

// Any local client may connect: the test's own private session.
Bool anyHost(char*) {
    return True;
}

} // namespace

int main() {
    char error[256] = "";
    if (!SmsInitialize("tarnwick-test", "1.0", newClient, nullptr, anyHost, sizeof error, error)) {
        std::fprintf(stderr, "SmsInitialize: %s\n", error);
        return 1;
    }
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!IceListenForConnections(&count, &listeners, sizeof error, error)) {
        std::fprintf(stderr, "IceListenForConnections: %s\n", error);
        return 1;
    }
    std::string address;
    for (int i = 0; i < count; ++i) {
        IceSetHostBasedAuthProc(listeners[i], anyHost);
        char* id = IceGetListenConnectionString(listeners[i]);
        if (std::strncmp(id, "local/", 6) == 0)
            address = id;
        std::free(id);
    }
    say(address);

    for (;;) {
        std::vector<pollfd> fds{{STDIN_FILENO, POLLIN, 0}};
        for (int i = 0; i < count; ++i)
            fds.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
        for (IceConn conn : connections)
            fds.push_back({IceConnectionNumber(conn), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents) {
            char line[64] = "";
            if (!std::fgets(line, sizeof line, stdin))
                return 0;
            if (std::strncmp(line, "logout", 6) == 0) {
                for (Client* client : clients) {
                    client->cancelled = false;
                    SmsSaveYourself(client->conn, SmSaveBoth, True, SmInteractStyleAny, False);
                }
            }
        }
        for (int i = 0; i < count; ++i) {
            if (fds[1 + i].revents) {
                IceAcceptStatus status;
                if (IceConn conn = IceAcceptConnection(listeners[i], &status))
                    connections.push_back(conn);
            }
        }
        const std::vector<IceConn> open = connections;
        for (size_t i = 0; i < open.size(); ++i) {
            if (!fds[1 + count + i].revents)
                continue;
            const IceProcessMessagesStatus status = IceProcessMessages(open[i], nullptr, nullptr);
            if (status == IceProcessMessagesIOError) {
                IceSetShutdownNegotiation(open[i], False);
                IceCloseConnection(open[i]);
            }
            if (status != IceProcessMessagesSuccess)
                std::erase(connections, open[i]);
        }
    }
}
