#pragma once

#include "e2e/Desktop.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

namespace tarnwick::e2e {

// One test's desktop with the editor started in a fresh working folder, and
// the user's roads through it that many tests share.
struct Session {
    QTemporaryDir dir;
    std::unique_ptr<Desktop> desktop;

    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    // The file's bytes, or "(absent)" when there is no such file.
    QByteArray read(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("(absent)");
    }

    // Empty on success, else what went wrong.
    QString start(Desktop::WindowManager wm = Desktop::WindowManager::Openbox,
                  const QProcessEnvironment& editorEnvironment = {},
                  const QString& locale = QStringLiteral("C.UTF-8")) {
        desktop = std::make_unique<Desktop>(wm, locale);
        if (!desktop->startError().isEmpty())
            return desktop->startError();
        if (!desktop->startEditor(dir.path(), editorEnvironment))
            return QStringLiteral("the editor's window did not appear with the focus");
        return {};
    }

    // Answers a file dialog that has just been asked for: the full path into
    // its name field, then Enter. Empty on success, else what went wrong.
    QString answerFileDialog(const QString& title, const QString& name) const {
        if (!desktop->waitForFocus(QLatin1Char('^') + title + QLatin1Char('$')))
            return QStringLiteral("no dialog \"%1\"; focus on \"%2\"")
                .arg(title, desktop->focusedTitle());
        desktop->type(path(name));
        desktop->keys({QStringLiteral("Return")});
        return {};
    }

    // File, Open (Ctrl+O) through Qt's open dialog, done once the main
    // window has the file's title and the keyboard again. Empty on success.
    QString open(const QString& name) const {
        desktop->keys({QStringLiteral("ctrl+o")});
        if (QString error = answerFileDialog(QStringLiteral("Open"), name); !error.isEmpty())
            return error;
        if (!desktop->waitForFocus(titleOf(name)))
            return QStringLiteral("after Open the focus is on \"%1\"").arg(desktop->focusedTitle());
        return {};
    }

    // Title pattern of the main window bound to the file.
    static QString titleOf(const QString& name) {
        return QLatin1Char('^') + QRegularExpression::escape(name) + QStringLiteral(" - Tarnwick$");
    }

    // The menu bar by keyboard: Alt, then the keys that reach the item.
    void menu(const QStringList& keys) const {
        desktop->keys({QStringLiteral("alt")});
        desktop->keys(keys);
    }
};

} // namespace tarnwick::e2e
