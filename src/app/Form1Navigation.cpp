// The text area's own commands (go to line, find and replace, the compile's
// marks, line numbers): keys on the window and the text area's context menu.
// The menu bar stays as it is.
#include "app/Form1.h"

#include "navigation/FindBox.h"
#include "navigation/NavigationTexts.h"
#include "platform/PlatformServices.h"
#include "textarea/Text1.h"

#include <QAction>
#include <QApplication>
#include <QEvent>

namespace tarnwick {

QAction* Form1::addTextCommand(const QString& name, const QString& caption,
                               const QKeySequence& shortcut, void (Form1::*slot)()) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    addAction(action);
    connect(action, &QAction::triggered, this, slot);
    actions_.insert(name, action);
    return action;
}

void Form1::createTextCommands() {
    // None of these keys is the menu bar's or the text component's.
    const QList<QAction*> commands{
        addTextCommand(QStringLiteral("goToLine"), QStringLiteral("&Go to Line..."),
                       QKeySequence(Qt::CTRL | Qt::Key_G), &Form1::goToLine),
        addTextCommand(QStringLiteral("find"), QStringLiteral("&Find..."),
                       QKeySequence(Qt::CTRL | Qt::Key_F), &Form1::find),
        addTextCommand(QStringLiteral("findNext"), QStringLiteral("Find &Next"),
                       QKeySequence(Qt::Key_F3), &Form1::findNext),
        addTextCommand(QStringLiteral("findPrevious"), QStringLiteral("Find Pre&vious"),
                       QKeySequence(Qt::SHIFT | Qt::Key_F3), &Form1::findPrevious),
        addTextCommand(QStringLiteral("replace"), QStringLiteral("&Replace..."),
                       QKeySequence(Qt::CTRL | Qt::Key_H), &Form1::replace),
        addTextCommand(QStringLiteral("nextError"), QStringLiteral("Next &Error"),
                       QKeySequence(Qt::Key_F8), &Form1::nextError),
        addTextCommand(QStringLiteral("previousError"), QStringLiteral("Previous E&rror"),
                       QKeySequence(Qt::SHIFT | Qt::Key_F8), &Form1::previousError),
    };
    auto* lineNumbers = new QAction(QStringLiteral("&Line Numbers"), this);
    lineNumbers->setObjectName(QStringLiteral("lineNumbers"));
    lineNumbers->setCheckable(true);
    lineNumbers->setChecked(text1_->lineNumbersShown());
    connect(lineNumbers, &QAction::toggled, text1_, &Text1::setLineNumbersShown);
    actions_.insert(lineNumbers->objectName(), lineNumbers);
    text1_->setContextActions(commands + QList<QAction*>{lineNumbers});
}

void Form1::goToLine() {
    navigation::goToLine(*text1_, platform_);
}

void Form1::find() {
    openFindBox(false);
}

void Form1::replace() {
    openFindBox(true);
}

void Form1::openFindBox(bool replacing) {
    if (!findBox_) {
        findBox_ = new FindBox(this);
        findBox_->setAttribute(Qt::WA_DeleteOnClose);
        connect(findBox_, &FindBox::findRequested, this, &Form1::searchFromBox);
        connect(findBox_, &FindBox::replaceRequested, this, &Form1::replaceFromBox);
        connect(findBox_, &FindBox::replaceAllRequested, this, &Form1::replaceAllFromBox);
    }
    // A selection on one line is what the user most likely looks for.
    const QByteArray selected = text1_->selectedBytes();
    if (!selected.isEmpty() && !selected.contains('\n') && !selected.contains('\r'))
        search_.text =
            text1_->readableText(qMin(text1_->anchorPosition(), text1_->caretPosition()),
                                 qMax(text1_->anchorPosition(), text1_->caretPosition()));
    findBox_->showFor(replacing, search_);
}

void Form1::searchFromBox(bool forward) {
    search_ = findBox_->request();
    findBox_->tell(navigation::findNext(*text1_, search_, forward)
                       ? QString()
                       : navtexts::notFoundText(search_.text));
}

void Form1::replaceFromBox() {
    search_ = findBox_->request();
    navigation::replaceOne(*text1_, search_, platform_.codePage());
}

void Form1::replaceAllFromBox() {
    search_ = findBox_->request();
    const int replaced = navigation::replaceAll(*text1_, search_, platform_.codePage());
    findBox_->tell(replaced < 0 ? navtexts::unencodableText : navtexts::replacedText(replaced));
}

void Form1::findNext() {
    if (search_.text.isEmpty())
        return find();
    if (!navigation::findNext(*text1_, search_, true))
        QApplication::beep();
}

void Form1::findPrevious() {
    if (search_.text.isEmpty())
        return find();
    if (!navigation::findNext(*text1_, search_, false))
        QApplication::beep();
}

void Form1::nextError() {
    navigation::nextMarkedLine(*text1_, true);
}

void Form1::previousError() {
    navigation::nextMarkedLine(*text1_, false);
}

void Form1::followCompile() {
    navigation::followCompile(compileWatch_, state_, *text1_, platform_);
}

void Form1::changeEvent(QEvent* event) {
    // A console closing gives the window back: the compile it ran is done.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        followCompile();
    QMainWindow::changeEvent(event);
}

} // namespace tarnwick
