#include "platform/QtPlatform.h"

#include "console/ProcessStarter.h"
#include "desktop/ActivationToken.h"
#include "desktop/ModalDialog.h"
#include "desktop/StartupNotification.h"
#include "files/FileAccess.h"
#include "files/ScriptFiles.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <limits>

namespace tarnwick {

namespace {

QString dialogFilter(const FileFilter& filter) {
    // Qt reads the pattern from the parentheses of the description; add it
    // when the description does not already carry exactly that pattern.
    if (filter.description.contains(QLatin1Char('(') + filter.pattern + QLatin1Char(')')))
        return filter.description;
    return filter.description + QStringLiteral(" (") + filter.pattern + QLatin1Char(')');
}

// Gives the keyboard back to the window and control that had it before a
// modal dialog. A window manager would reactivate the window; without one the
// keys typed after the dialog go nowhere until the user clicks.
class FocusReturn {
public:
    explicit FocusReturn(QWidget* fallback)
        : window_(QApplication::activeWindow()), focus_(QApplication::focusWidget()) {
        if (!window_ && fallback)
            window_ = fallback->window();
        if (!focus_ && window_)
            focus_ = window_->focusWidget();
    }
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;
    ~FocusReturn() {
        if (!window_ || !window_->isVisible())
            return;
        window_->activateWindow();
        if (focus_ && focus_->window() == window_)
            focus_->setFocus(Qt::ActiveWindowFocusReason);
    }

private:
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
};

// Qt's own file dialog as its static functions make it, shown through
// showModal; the save dialog asks nothing about overwriting.
QString chosenFile(QWidget* owner, const FileFilter& filter, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner, QString(), QDir::currentPath(), dialogFilter(filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    showModal(dialog);
    // The name's completion list is a window without a parent, which Qt
    // would mark on X11 as transient for its hidden leader window; window
    // managers reject that (mutter: "Invalid WM_TRANSIENT_FOR").
    for (QCompleter* completer : dialog.findChildren<QCompleter*>()) {
        completer->popup()->winId();
        completer->popup()->windowHandle()->setTransientParent(dialog.windowHandle());
    }
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

std::optional<FileChoice> choiceFrom(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    const QString full = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    fileaccess::enterFolderOf(full);
    return FileChoice{full, QFileInfo(full).fileName()};
}

} // namespace

QWidget* QtPlatform::owner() const {
    // The window the user is in asked, the font dialog as often as the main
    // window: its dialogs open over it, and a parentless dialog would be
    // given Qt's hidden leader window on X11, which no window manager shows.
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return dialogParent_;
}

MsgAnswer QtPlatform::messageBox(const QString& text, MsgStyle style, const QString& title) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const FocusReturn focusReturn(dialogParent_);
    QMessageBox box(owner());
    box.setWindowTitle(title);
    // Texts carry file names and typed commands: a name such as
    // "<font color=white>x.java" must show as itself, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);
    switch (style) {
    case MsgStyle::OkOnly:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgStyle::Information:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgStyle::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MsgStyle::YesNoDefaultNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    case MsgStyle::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    showModal(box);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        return style == MsgStyle::YesNoCancel ? MsgAnswer::Cancel : MsgAnswer::Ok;
    }
}

QString QtPlatform::inputBox(const QString& prompt, const QString& title) {
    const FocusReturn focusReturn(dialogParent_);
    QInputDialog dialog(owner());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    // A line edit keeps 32,767 characters by default and drops the rest of a
    // longer paste without a word; the caller decides what is too long.
    if (auto* edit = dialog.findChild<QLineEdit*>())
        edit->setMaxLength(std::numeric_limits<int>::max());
    showModal(dialog);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

std::optional<FileChoice> QtPlatform::openFileDialog(const FileFilter& filter) {
    const FocusReturn focusReturn(dialogParent_);
    return choiceFrom(chosenFile(owner(), filter, QFileDialog::AcceptOpen));
}

std::optional<FileChoice> QtPlatform::saveFileDialog(const FileFilter& filter) {
    const FocusReturn focusReturn(dialogParent_);
    return choiceFrom(chosenFile(owner(), filter, QFileDialog::AcceptSave));
}

void QtPlatform::enterFolderOf(const QString& path) {
    fileaccess::enterFolderOf(path);
}

bool QtPlatform::touchFile(const QString& path, QString* error) {
    return scriptfiles::touch(path, error);
}

bool QtPlatform::readFile(const QString& path, const ByteSink& sink, QString* error) {
    return fileaccess::readFile(path, sink, error);
}

bool QtPlatform::writeFile(const QString& path, const char* data, qint64 length, QString* error) {
    return fileaccess::writeFile(path, data, length, error);
}

qint64 QtPlatform::fileLength(const QString& path) {
    return fileaccess::fileLength(path);
}

std::optional<FileStamp> QtPlatform::fileStamp(const QString& path) {
    return fileaccess::fileStamp(path);
}

bool QtPlatform::deleteFile(const QString& path, QString* error) {
    return scriptfiles::remove(path, error);
}

ConsoleSetup QtPlatform::consoleSetup() const {
    ConsoleSetup setup = defaultConsoleSetup();
    setup.userTime = userTime_.latest();
    setup.activationToken = activationToken();
    setup.announce = announceStartup;
    return setup;
}

LateFailure QtPlatform::lateFailure(const FailedLate& failedLate) {
    return {&watches_, [window = QPointer<QWidget>(dialogParent_), failedLate](const QString& why) {
                if (window && window->isVisible() && failedLate)
                    failedLate(why);
            }};
}

bool QtPlatform::startProcess(const QString& commandLine, QString* error,
                              const FailedLate& failedLate) {
    return startInTerminal(commandLine, consoleSetup(), error, lateFailure(failedLate));
}

bool QtPlatform::writeScript(const QString& path, const QByteArray& bytes, QString* error) {
    return scriptfiles::write(path, bytes, error);
}

bool QtPlatform::startScript(const QString& name, const QByteArray& bytes, QString* error,
                             const FailedLate& failedLate) {
    return startScriptInTerminal(name, bytes, consoleSetup(), error, lateFailure(failedLate));
}

QString QtPlatform::compilerMessagesFile() {
    return scriptfiles::compilerMessagesPath(QProcessEnvironment::systemEnvironment())
        .value_or(QString());
}

void QtPlatform::showWindow(QWidget* window) {
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

void QtPlatform::closeWindow(QWidget* window) {
    if (window && window->isVisible())
        window->close();
}

} // namespace tarnwick
