#include "app/Form1.h"

#include "app/ClientFit.h"
#include "app/KeyHoldFilter.h"
#include "document/DocumentCommands.h"
#include "document/DocumentTexts.h"
#include "platform/PlatformServices.h"
#include "platform/Twips.h"
#include "textarea/Text1.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>

namespace tarnwick {

namespace {
constexpr int clientWidth = pixelsFromTwips(8070);
constexpr int clientHeight = pixelsFromTwips(5265);
} // namespace

Form1::Form1(PlatformServices& platform, FontSettings& fontSettings, QWidget* parent)
    : QMainWindow(parent), platform_(platform), fontSettings_(fontSettings),
      keyHold_(new KeyHoldFilter(this)) {
    setWindowTitle(doctexts::untitledTitle);
    configureText1();
    document::markUnsavedOnChange(*text1_, state_);
    followSessionManager();
    createMenus();
    connectText1Events();
    acceptFileDrops();
    resize(clientWidth, clientHeight + menuBar()->sizeHint().height());
}

Form1::~Form1() = default;

void Form1::configureText1() {
    // A plain client widget, not a layout: the text area follows the client
    // area by the resize rule, which keeps its last size in a collapsed window.
    client_ = new QWidget(this);
    setCentralWidget(client_);
    client_->installEventFilter(this);
    text1_ = new Text1(client_);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setCodePage(platform_.codePage());
    text1_->setGeometry(rectFromTwips(0, 0, 8055, 5295));
    setFocusProxy(text1_);
    text1_->setFocus();
}

QAction* Form1::addCommand(QMenu* menu, const QString& name, const QString& caption,
                           const QKeySequence& shortcut, void (Form1::*slot)()) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    if (menu)
        menu->addAction(action);
    else
        menuBar()->addAction(action);
    // Also on the window itself, so the shortcut is live whenever the window
    // is active, whether or not a menu was ever opened.
    addAction(action);
    // A held key runs a command once: auto-repeat would start a console, or
    // write a file, for every repeat. Only the Edit menu repeats, as keys
    // in the text do. Qt drops the repeats it recognises; on X it cannot
    // (the server sends no release between them), so they are told apart
    // here too.
    action->setAutoRepeat(false);
    connect(action, &QAction::triggered, this, [this, action, slot] {
        if (action->autoRepeat() || !keyHold_->repeating())
            (this->*slot)();
    });
    actions_.insert(name, action);
    return action;
}

void Form1::createMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("file"));
    addCommand(file, QStringLiteral("new"), QStringLiteral("&New"),
               QKeySequence(Qt::CTRL | Qt::Key_N), &Form1::new_);
    addCommand(file, QStringLiteral("open"), QStringLiteral("&Open"),
               QKeySequence(Qt::CTRL | Qt::Key_O), &Form1::open);
    addCommand(file, QStringLiteral("saveim"), QStringLiteral("&Save"),
               QKeySequence(Qt::CTRL | Qt::Key_S), &Form1::saveim);
    addCommand(file, QStringLiteral("save"), QStringLiteral("Save &As"), QKeySequence(),
               &Form1::save);
    addCommand(file, QStringLiteral("exit"), QStringLiteral("E&xit"),
               QKeySequence(Qt::CTRL | Qt::Key_X), &Form1::exit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("edit"));
    addCommand(edit, QStringLiteral("edcut"), QStringLiteral("Cu&t"),
               QKeySequence(Qt::SHIFT | Qt::Key_Delete), &Form1::edcut);
    addCommand(edit, QStringLiteral("edcopy"), QStringLiteral("&Copy"),
               QKeySequence(Qt::CTRL | Qt::Key_Insert), &Form1::edcopy);
    addCommand(edit, QStringLiteral("edpaste"), QStringLiteral("&Paste"),
               QKeySequence(Qt::SHIFT | Qt::Key_Insert), &Form1::edpaste);
    addCommand(edit, QStringLiteral("eddel"), QStringLiteral("&Delete"), QKeySequence(),
               &Form1::eddel);
    for (QAction* action : edit->actions())
        action->setAutoRepeat(true);

    addCommand(nullptr, QStringLiteral("font"), QStringLiteral("F&ont...."), QKeySequence(),
               &Form1::font_);

    QMenu* run = menuBar()->addMenu(QStringLiteral("&Run"));
    run->setObjectName(QStringLiteral("run"));
    addCommand(run, QStringLiteral("compile"), QStringLiteral("&Compile"), QKeySequence(Qt::Key_F9),
               &Form1::compile);
    addCommand(run, QStringLiteral("exec"), QStringLiteral("&Execute"),
               QKeySequence(Qt::CTRL | Qt::Key_F9), &Form1::exec);
    addCommand(run, QStringLiteral("comlne"), QStringLiteral("Command &Line"),
               QKeySequence(Qt::Key_F5), &Form1::comlne);
    addCommand(run, QStringLiteral("compro"), QStringLiteral("Command &Prompt"),
               QKeySequence(Qt::Key_F7), &Form1::compro);
    addCommand(run, QStringLiteral("ncomp"), QStringLiteral("&Normal Compile"),
               QKeySequence(Qt::CTRL | Qt::Key_F5), &Form1::ncomp);
    addCommand(run, QStringLiteral("nexec"), QStringLiteral("Normal E&xecute"),
               QKeySequence(Qt::CTRL | Qt::Key_F7), &Form1::nexec);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help"));
    addCommand(help, QStringLiteral("About"), QStringLiteral("&About"), QKeySequence(),
               &Form1::About);
    addCommand(help, QStringLiteral("Condi"), QStringLiteral("&Conditions"), QKeySequence(),
               &Form1::Condi);

    // F10 opens the menu bar, as in the desktop's other applications; Qt
    // itself gives the key no meaning.
    auto* openBar = new QAction(this);
    openBar->setObjectName(QStringLiteral("openMenuBar"));
    openBar->setShortcut(QKeySequence(Qt::Key_F10));
    addAction(openBar);
    connect(openBar, &QAction::triggered, this, &Form1::openMenuBar);

    createTextCommands();

    // Every shortcut of the window, the text area's own commands included.
    QList<QKeySequence> menuKeys{openBar->shortcut()};
    for (QAction* action : std::as_const(actions_)) {
        if (!action->shortcut().isEmpty())
            menuKeys.append(action->shortcut());
    }
    // Alt and the underlined letter of a menu on the bar.
    for (QAction* top : menuBar()->actions())
        menuKeys.append(QKeySequence::mnemonic(top->text()));
    text1_->setReservedShortcuts(menuKeys);
}

void Form1::openMenuBar() {
    const QList<QAction*> bar = menuBar()->actions();
    if (!bar.isEmpty())
        menuBar()->setActiveAction(bar.first());
}

void Form1::connectText1Events() {
    connect(text1_, &Text1::keyPressedCode, this, &Form1::text1KeyPress);
    connect(text1_, &Text1::keyReleasedCode, this, &Form1::text1KeyRelease);
    connect(text1_, &Text1::clicked, this, &Form1::text1Click);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize)
        text1_->resize(text1SizeFor(client_->size(), text1_->size()));
    if (text1_ && watched == text1_->viewport() && fileDragEvent(event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void Form1::new_() {
    document::Parts parts = documentParts();
    document::new_(parts);
    followSaved();
}

void Form1::open() {
    document::Parts parts = documentParts();
    document::open(parts);
    followSaved();
}

void Form1::saveim() {
    document::Parts parts = documentParts();
    document::saveim(parts);
    followSaved();
}

void Form1::save() {
    document::Parts parts = documentParts();
    document::save(parts);
    followSaved();
}

document::Parts Form1::documentParts() {
    return {state_, platform_, *text1_, *this};
}

void Form1::exit() {
    close();
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing never throws away unsaved work without asking: Ctrl+X, the key
    // of Exit, is also the key most people press to cut.
    document::Parts parts = documentParts();
    const MsgAnswer answer =
        sessionEndAgreed_ ? MsgAnswer::No : document::unsavedChangesAnswer(parts);
    if (answer == MsgAnswer::Cancel) {
        event->ignore();
        return;
    }
    if (answer == MsgAnswer::Yes) {
        document::saveim(parts);
        if (!state_.saveCompleted) {
            event->ignore();
            return;
        }
    }
    removeLaunchScriptsStep();
    closeFontDialogStep();
    closeAboutStep();
    event->accept();
}

} // namespace tarnwick
