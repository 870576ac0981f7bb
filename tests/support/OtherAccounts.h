#pragma once

#include <QProcess>
#include <QString>

#include <cerrno>
#include <functional>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnwick::test {

// An unprivileged account of the machine.
struct Account {
    QString name;
    uid_t uid = 0;
    gid_t gid = 0;
};

// Two accounts that share a group, as two students of a lab share a class
// folder. The tests run as root, which passes every permission check; what
// another account may or may not do is only seen by running as one.
struct OtherAccounts {
    Account alice, bob;
    gid_t shared = 0; // both are members

    // Made by the system's tools the first time (the machine keeps them);
    // none, with the reason in why, where accounts cannot be made or used.
    static std::optional<OtherAccounts> get(QString* why) {
        QProcess make;
        make.start("sh",
                   {"-ec", "getent group tarnwick-class >/dev/null || groupadd tarnwick-class"
                           "; for a in tarnwick-alice tarnwick-bob; do id -u $a >/dev/null 2>&1"
                           " || useradd -U -M -s /usr/sbin/nologin -G tarnwick-class $a; done"});
        make.waitForFinished();
        // getpwnam hands out one static entry: copied at once.
        const auto account = [](const char* name) {
            const passwd* entry = ::getpwnam(name);
            return entry ? std::optional<Account>({name, entry->pw_uid, entry->pw_gid})
                         : std::nullopt;
        };
        const auto alice = account("tarnwick-alice"), bob = account("tarnwick-bob");
        const group* shared = ::getgrnam("tarnwick-class");
        if (::geteuid() == 0 && make.exitCode() == 0 && shared && alice && bob)
            return OtherAccounts{*alice, *bob, shared->gr_gid};
        *why = "cannot make or become other accounts (needs root): " +
               QString::fromLocal8Bit(make.readAllStandardError()).trimmed() + make.errorString();
        return std::nullopt;
    }
};

// Runs body in a child process as the account, with the shared group as a
// supplementary group, and hands back what it returned (at most 4 KiB). A
// child that fails gives a text that says so, which no test expects.
inline QString runAs(const Account& account, gid_t sharedGroup,
                     const std::function<QString()>& body) {
    const int size = 4096;
    char* answer = static_cast<char*>(
        ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    const pid_t child = answer == MAP_FAILED ? -1 : ::fork();
    if (child == 0) {
        const gid_t groups[] = {sharedGroup};
        if (::setgroups(1, groups) || ::setresgid(account.gid, account.gid, account.gid) ||
            ::setresuid(account.uid, account.uid, account.uid))
            ::_exit(3);
        qstrncpy(answer, body().toUtf8().constData(), size);
        ::_exit(0);
    }
    int status = -1;
    while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const QString got = status == 0 ? QString::fromUtf8(answer)
                                    : QString("as %1: status %2").arg(account.name).arg(status);
    ::munmap(answer, size);
    return got;
}

// The folder and every folder above it made passable for other accounts
// (QTemporaryDir makes 0700 folders).
inline bool openToOthers(const QString& folder) {
    return QProcess::execute("sh", {"-c",
                                    "d=$0; while [ \"$d\" != / ]; do chmod go+x \"$d\" || exit; "
                                    "d=$(dirname \"$d\"); done",
                                    folder}) == 0;
}

} // namespace tarnwick::test
