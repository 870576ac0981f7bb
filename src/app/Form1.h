#pragma once

#include "document/DocumentCommands.h"
#include "fontdialog/FontDialogMemory.h"
#include "navigation/NavigationCommands.h"
#include "state/EditorState.h"
#include "state/FontSettings.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QSessionManager;

namespace tarnwick {
class KeyHoldFilter;
}

namespace tarnwick {

class FindBox;
class PlatformServices;
class Text1;

// The main window: the text area under the menu bar. It wires menu items and
// the text area's events to the commands of each subsystem.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    Form1(PlatformServices& platform, FontSettings& fontSettings, QWidget* parent = nullptr);
    ~Form1() override;

    EditorState& state() { return state_; }
    Text1* text1() const { return text1_; }
    // The menu item of the given name ("new", "saveim", "font", "About", ...).
    QAction* action(const QString& name) const { return actions_.value(name); }
    // The font dialog (a Form2) and the About box (a frmAbout) while open.
    QWidget* form2Window() const { return form2_; }
    QWidget* aboutWindow() const { return about_; }
    // The session manager's question before a logout (Form1Session.cpp):
    // true when the session may end. Agreeing to end it without saving
    // also answers the close that follows.
    bool sessionMayEnd();

signals:
    // The text became unsaved, or saved again (or replaced).
    void savedChanged(bool saved);

public slots:
    // File
    void new_();
    void open();
    void saveim();
    void save();
    void exit();
    // Edit
    void edcut();
    void edcopy();
    void edpaste();
    void eddel();
    // Font....
    // Trailing underscore: font() would hide QWidget::font().
    void font_();
    // Run
    void compile();
    void exec();
    void comlne();
    void compro();
    void ncomp();
    void nexec();
    // Help
    void About();
    void Condi();
    // The text area's own commands: on keys and its context menu, never on
    // the menu bar (Form1Navigation.cpp).
    void goToLine();
    void find();
    void replace();
    void findNext();
    void findPrevious();
    void nextError();
    void previousError();
    // The last compile's messages, when they are new (also each time the
    // window becomes active again, as when a console closes).
    void followCompile();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void configureText1();
    void createMenus();
    // Opens the first menu of the bar, as F10 does.
    void openMenuBar();
    QAction* addCommand(QMenu* menu, const QString& name, const QString& caption,
                        const QKeySequence& shortcut, void (Form1::*slot)());
    void connectText1Events();
    void createTextCommands();
    QAction* addTextCommand(const QString& name, const QString& caption,
                            const QKeySequence& shortcut, void (Form1::*slot)());
    void openFindBox(bool replacing);
    void searchFromBox(bool forward);
    void replaceFromBox();
    void replaceAllFromBox();
    // Files dropped from the desktop (Form1Drop.cpp): one local file opens
    // as with Open, anything else is refused.
    void acceptFileDrops();
    bool fileDragEvent(QEvent* event);
    void openDropped(const QString& path);
    document::Parts documentParts();

    // Text area events, handled by the editing aids.
    void text1KeyPress(int charCode);
    void text1KeyRelease(int keyCode);
    void text1Click();

    // The font dialog and the About box delete themselves when closed, a
    // little later; until then their pointers are set but they are not open.
    static QWidget* stillOpen(const QPointer<QWidget>& window) {
        return window && window->isVisible() ? window.data() : nullptr;
    }

    // The session manager's requests, and what the window reports of the
    // saved state (Form1Session.cpp).
    void followSessionManager();
    void commitData(QSessionManager& manager);
    void followSaved();

    // Close steps, in the order they run.
    void removeLaunchScriptsStep();
    void closeFontDialogStep();
    void closeAboutStep();

    PlatformServices& platform_;
    FontSettings& fontSettings_;
    KeyHoldFilter* keyHold_;
    EditorState state_;
    QWidget* client_ = nullptr;
    Text1* text1_ = nullptr;
    QHash<QString, QAction*> actions_;
    QPointer<QWidget> form2_;
    // Outlives every opening of the font dialog.
    FontDialogMemory fontDialogMemory_;
    QPointer<QWidget> about_;
    QPointer<FindBox> findBox_;
    navigation::SearchRequest search_;
    navigation::CompileWatch compileWatch_;
    bool lastSaved_ = true;
    // The user let the session end without saving; until the next change.
    bool sessionEndAgreed_ = false;
};

} // namespace tarnwick
