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

namespace {

const char* const sharedGroupName = "tarnwick-class";

bool run(const QString& program, const QStringList& arguments, QString* why) {
    QProcess process;
    process.start(program, arguments);
    if (process.waitForFinished() && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return true;
    *why = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QStringLiteral(": ") +
           QString::fromLocal8Bit(process.readAllStandardError()).trimmed() + process.errorString();
    return false;
}

std::optional<Account> account(const char* name, QString* why) {
    if (!::getpwnam(name) &&
        !run(QStringLiteral("useradd"),
             {QStringLiteral("--user-group"), QStringLiteral("--no-create-home"),
              QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"),
              QStringLiteral("--groups"), QLatin1String(sharedGroupName), QLatin1String(name)},
             why))
        return std::nullopt;
    const passwd* entry = ::getpwnam(name);
    if (!entry) {
        *why = QStringLiteral("no account %1 after useradd").arg(QLatin1String(name));
        return std::nullopt;
    }
    return Account{QLatin1String(name), entry->pw_uid, entry->pw_gid};
}

} // namespace

std::optional<OtherAccounts> OtherAccounts::get(QString* why) {
    if (::geteuid() != 0) {
        *why = QStringLiteral("making and becoming other accounts needs root");
        return std::nullopt;
    }
    if (!::getgrnam(sharedGroupName) &&
        !run(QStringLiteral("groupadd"), {QLatin1String(sharedGroupName)}, why))
        return std::nullopt;
    const group* shared = ::getgrnam(sharedGroupName);
    const std::optional<Account> alice = account("tarnwick-alice", why);
    const std::optional<Account> bob = alice ? account("tarnwick-bob", why) : std::nullopt;
    if (!shared || !bob)
        return std::nullopt;
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
