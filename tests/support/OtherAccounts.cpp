#include "support/OtherAccounts.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnwick::test {

// Made once per machine, by the system's own tools; a failure says which.
std::optional<OtherAccounts> OtherAccounts::get(QString* why) {
    if (::geteuid() != 0) {
        *why = QStringLiteral("making and becoming other accounts needs root");
        return std::nullopt;
    }
    QProcess make;
    make.start(QStringLiteral("sh"),
               {QStringLiteral("-ec"),
                QStringLiteral("getent group tarnwick-class >/dev/null || groupadd tarnwick-class; "
                               "for a in tarnwick-alice tarnwick-bob; do id -u $a >/dev/null "
                               "2>&1 || useradd --user-group --no-create-home --shell "
                               "/usr/sbin/nologin --groups tarnwick-class $a; done")});
    make.waitForFinished();
    // getpwnam and getgrnam hand out one static entry each: copied at once.
    const auto account = [](const char* name) {
        const passwd* entry = ::getpwnam(name);
        return entry ? std::optional<Account>({QLatin1String(name), entry->pw_uid, entry->pw_gid})
                     : std::nullopt;
    };
    const std::optional<Account> alice = account("tarnwick-alice"), bob = account("tarnwick-bob");
    const group* shared = ::getgrnam("tarnwick-class");
    if (make.exitCode() != 0 || !shared || !alice || !bob) {
        *why = QStringLiteral("cannot make the accounts: ") +
               QString::fromLocal8Bit(make.readAllStandardError()).trimmed() + make.errorString();
        return std::nullopt;
    }
    return OtherAccounts{*alice, *bob, shared->gr_gid};
}

QString runAs(const Account& account, gid_t sharedGroup, const std::function<QString()>& body) {
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return QStringLiteral("no pipe: ") + qt_error_string(errno);
    const pid_t child = ::fork();
    if (child < 0)
        return QStringLiteral("no child: ") + qt_error_string(errno);
    if (child == 0) {
        ::close(channel[0]);
        const gid_t groups[] = {sharedGroup};
        if (::setgroups(1, groups) != 0 ||
            ::setresgid(account.gid, account.gid, account.gid) != 0 ||
            ::setresuid(account.uid, account.uid, account.uid) != 0)
            ::_exit(3);
        QFile out;
        const QByteArray answer = body().toUtf8();
        const bool sent = out.open(channel[1], QIODevice::WriteOnly) &&
                          out.write(answer) == answer.size() && out.flush();
        ::_exit(sent ? 0 : 4);
    }
    ::close(channel[1]);
    QFile in;
    in.open(channel[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray answer = in.readAll();
    in.close();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("the child as %1 failed (status %2)").arg(account.name).arg(status);
    return QString::fromUtf8(answer);
}

bool openToOthers(const QString& folder) {
    for (QDir dir(folder); !dir.isRoot(); dir.cdUp()) {
        struct stat info {};
        const QByteArray path = QFile::encodeName(dir.absolutePath());
        if (::stat(path.constData(), &info) != 0)
            return false;
        if ((info.st_mode & 0001) == 0 &&
            ::chmod(path.constData(), (info.st_mode & 07777) | 0011) != 0)
            return false;
    }
    return true;
}

} // namespace tarnwick::test
