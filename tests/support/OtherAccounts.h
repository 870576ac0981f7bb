#pragma once

#include <QString>

#include <functional>
#include <optional>

#include <sys/types.h>

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
    Account alice;
    Account bob;
    gid_t shared = 0; // both are members

    // Made with useradd the first time (the machine keeps them); none, with
    // the reason in why, where accounts cannot be made or used.
    static std::optional<OtherAccounts> get(QString* why);
};

// Runs body in a child process as the account, with the shared group as a
// supplementary group, and hands back what it returned. A child that dies
// gives a text that says so, which no test expects.
QString runAs(const Account& account, gid_t sharedGroup, const std::function<QString()>& body);

// The folder and every folder above it made passable for other accounts
// (QTemporaryDir makes 0700 folders).
bool openToOthers(const QString& folder);

} // namespace tarnwick::test
