// Files as the editor keeps them: New, Open, Save and Save As with their
// questions, titles and bytes on disk; saves on real full, read-only and
// foreign disks, for other accounts, through links, ACLs and attributes;
// the desktop services underneath (code pages, file access, message boxes).
#include "app/Application.h"
#include "app/EmergencyExit.h"
#include "platform/CodePage.h"
#include "platform/FileAccess.h"
#include "platform/QtPlatform.h"
#include "runner/RunCommands.h"
#include "support/Editor.h"
#include "support/Harness.h"
#include "support/MemoryLimit.h"
#include "support/OtherAccounts.h"
#include "support/TmpfsMount.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDirIterator>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <optional>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

const QString untitled = "Untitled - Tarnwick";
const QString unsaved = "Do you want to save the changes|File not saved|3";
const QString noSpace = "No space left on device";
const QString overwrite = "File already exists, overwrite(Y/N)|Overwrite?|4";

QByteArray allBytes(int times = 1) {
    QByteArray bytes;
    for (int i = 0; i < 256 * times; ++i)
        bytes.append(char(i));
    return bytes;
}

QString box(const PlatformCall& c) {
    return c.text + '|' + c.title + '|' + QString::number(c.style);
}

// Every message box shown, whole, one a line in order.
QString boxes(const FakePlatform& platform) {
    QStringList shown;
    for (const PlatformCall& c : platform.callsOf("messageBox"))
        shown << box(c);
    return shown.join('\n');
}

QByteArray javaLike(qint64 size) {
    QByteArray bytes;
    for (qint64 i = 0; i < size; ++i)
        bytes.append(char(i % 251 == 250 ? '\n' : 'a' + i % 26));
    return bytes;
}

// Root passes every permission check; without these capabilities, in this
// thread only, the kernel refuses it new files in a 0555 folder as it would
// the owner, while the owner's own 0644 file stays writable.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &=
            ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        active_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~WithoutPermissionOverride() {
        if (active_)
            syscall(SYS_capset, &header_, saved_);
    }
    Q_DISABLE_COPY_MOVE(WithoutPermissionOverride)
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

// A shell command run in `folder`, with ALICE, BOB (uid:gid), BOBGROUP and
// LONG (a name of 250 bytes) set; what it printed, or nullopt when it failed.
std::optional<QString> shell(const QString& folder, const QString& command,
                             const std::optional<OtherAccounts>& accounts = {}) {
    QProcess sh;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const auto id = [](const Account& a) { return QString("%1:%2").arg(a.uid).arg(a.gid); };
    if (accounts) {
        env.insert("ALICE", id(accounts->alice));
        env.insert("BOB", id(accounts->bob));
        env.insert("BOBGROUP", QString::number(accounts->bob.gid));
    }
    env.insert("LONG", QString(250, 'L'));
    sh.setProcessEnvironment(env);
    sh.setWorkingDirectory(folder);
    sh.start("sh", {"-c", command});
    sh.waitForFinished();
    const bool ok = sh.exitStatus() == QProcess::NormalExit && sh.exitCode() == 0;
    return ok ? std::optional(QString::fromLocal8Bit(sh.readAll())) : std::nullopt;
}

// What a user sees of every name under the folder but contents: owner, group,
// mode, link count or link target, and every extended attribute with the ACL.
QString identities(const QString& folder) {
    return shell(folder, "find . -printf '%P %U %G %m %n %l\\n' | sort; getfattr -Rhd -m - -e hex "
                         ". 2>/dev/null; true")
        .value_or("failed");
}

struct AskRow {
    const char *name, *command;
    bool saved;
    int answer;
    const char *saveAs, *open, *dialogs, *text;
};
// q: the unsaved-changes question, s: save dialog, o: open dialog.
const AskRow askRows[] = {
    {"new, saved: no question", "new", true, 0, "", "", "", ""},
    {"new, Cancel", "new", false, 2, "", "", "q", "typed"},
    {"new, No", "new", false, 7, "", "", "q", ""},
    {"new, Yes, save cancelled", "new", false, 6, "", "", "qs", "typed"},
    {"new, Yes, saved", "new", false, 6, "New.java", "", "qs", ""},
    {"open, saved: no question", "open", true, 0, "", "Second.java", "o", "second\r\n"},
    {"open, Cancel", "open", false, 2, "", "Second.java", "q", "typed"},
    {"open, No", "open", false, 7, "", "Second.java", "qo", "second\r\n"},
    {"open, No, open cancelled", "open", false, 7, "", "", "qo", "typed"},
    {"open, Yes, save cancelled", "open", false, 6, "", "Second.java", "qs", "typed"},
    {"open, Yes, saved", "open", false, 6, "New.java", "Second.java", "qso", "second\r\n"},
};

// Save As: a name without a suffix is a Java file, and the overwrite question
// (asked again on No, with the dialog again) is about the file written.
struct SaveAsRow {
    const char *name, *typed, *written, *existing; // nullptr: no file there
    QList<int> answers;
    int dialogs;
    bool ok;
};
const SaveAsRow saveAsRows[] = {
    {"empty file: replaced without asking", "T.java", "T.java", "", {}, 1, true},
    {"non-empty, No, dialog cancelled", "T.java", "T.java", "old longer", {7}, 2, false},
    {"non-empty, No, No, Yes", "T.java", "T.java", "old longer", {7, 7, 6}, 3, true},
    {"no suffix", "Prog", "Prog.java", nullptr, {}, 1, true},
    {"no suffix, Prog.java there: Yes", "Prog", "Prog.java", "old longer", {6}, 1, true},
    {"Prog.txt kept", "Prog.txt", "Prog.txt", nullptr, {}, 1, true},
    {".hidden: a dot file keeps its name", ".hidden", ".hidden", nullptr, {}, 1, true},
};

// The document's folder: "work", "none" (untitled), "read-only" or "full" (tmpfs).
struct EmergencyRow {
    const char *name, *folder;
    bool taken, saved; // taken: the copy's first name exists already
    const char* copy;  // "work/..." or "home/..."; empty: none
};
const EmergencyRow emergencyRows[] = {
    {"every byte, beside the file", "work", false, false, "work/Hello.java.unsaved-changes"},
    {"untitled: home folder", "none", false, false, "home/Untitled.java.unsaved-changes"},
    {"name taken: a number added", "work", true, false, "work/Hello.java.2.unsaved-changes"},
    {"read-only folder: home", "read-only", false, false, "home/Hello.java.unsaved-changes"},
    {"full disk: home, nothing left", "full", false, false, "home/Hello.java.unsaved-changes"},
    {"saved: no copy", "work", false, true, ""},
};

struct CommandRow {
    const char *name, *command;
};
const CommandRow failedSaveRows[] = {{"Save", "saveim"},
                                     {"Save As", "save"},
                                     {"New after Yes", "new"},
                                     {"Open after Yes", "open"},
                                     {"Exit after Yes", "exit"}};

struct ChangeRow {
    const char *name, *change;
    int answer; // 0: no question expected
    bool written;
};
const ChangeRow changeRows[] = {
    {"unchanged", "none", 0, true},
    {"unchanged since the last save", "saved", 0, true},
    {"appended to, No", "appended", 7, false},
    {"appended to, Yes", "appended", 6, true},
    {"another file put in its place", "replaced", 7, false},
    {"deleted", "deleted", 0, true},
};

struct InexactRow {
    const char* name;
    bool utf8;
    const char *command, *file, *title; // title of the refusal; empty: none
};
const InexactRow inexactRows[] = {
    {"single-byte Save As beyond ASCII", false, "save", "a\u00ff.java", "Can't save"},
    {"UTF-8 Save As beyond ASCII", true, "save", "a\u00ff.java", ""},
    {"a name Qt could not read", true, "open", "a\ufffd.java", "Can't open"},
};

struct FailedOpenRow {
    const char* name;
    qint64 size; // of the sparse file opened; -1: none
    bool failsHalfway;
    qint64 headroom; // of memory; 0: no limit
    const char* reason;
};
const FailedOpenRow failedOpenRows[] = {
    {"vanished file", -1, false, 0, "No such file"},
    {"read error halfway", 4000, true, 0, "Input/output error"},
    {"over 2 GiB", Text1::largestDocument + 1, false, 0,
     "The file is larger than 2 GiB, the most the editor can hold"},
    {"memory runs out", 1'500'000'000, false, 256 << 20, "Not enough memory"},
};

struct DropRow {
    const char* name;
    const char* urls; // "@" stands for the test's folder
    bool ontoWindow;
    int answer; // to the unsaved-changes question; 0: none asked
    bool accepted, opens;
    const char* message; // besides the question
};
const DropRow dropRows[] = {
    {"one file, nothing unsaved", "file://@/sub/Drop.java", false, 0, true, true, ""},
    {"onto the menu bar's window", "file://@/sub/Drop.java", true, 0, true, true, ""},
    {"unsaved, Cancel", "file://@/sub/Drop.java", false, 2, true, false, ""},
    {"unsaved, Yes: saved first", "file://@/sub/Drop.java", false, 6, true, true, ""},
    {"a folder", "file://@/sub", false, 0, true, false,
     "@/sub could not be read\rNot a regular file|Can't open|64"},
    {"two files", "file://@/sub/Drop.java file://@/Bound.java", false, 0, false, false, ""},
    {"a web address", "https://example.org/Drop.java", false, 0, false, false, ""},
};

// Typed and undone changes leave the document unsaved; caret and selection do not.
struct KeyRow {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool unsaved;
};
const KeyRow keyRows[] = {
    {"typed letter", Qt::Key_Z, Qt::NoModifier, true},
    {"Backspace", Qt::Key_Backspace, Qt::NoModifier, true},
    {"undo", Qt::Key_Z, Qt::ControlModifier, true},
    {"caret move", Qt::Key_Right, Qt::NoModifier, false},
    {"selection", Qt::Key_Right, Qt::ShiftModifier, false},
};

struct LineBreakRow {
    const char *name, *content, *lineBreak;
};
const LineBreakRow lineBreakRows[] = {{"CRLF file", "a\r\nb\nc", "\r\n"},
                                      {"CR file", "a\rb\r\n", "\r"},
                                      {"LF file", "a\nb\r\n", "\n"},
                                      {"no line break", "abc", "\n"}};

// A save on a real small disk: every write that did not reach it is told and
// leaves the old file as it was. Sizes past 16 KiB matter: smaller writes used
// to wait in a buffer whose failure was lost. In a folder that forbids new
// files the file is written in place.
struct SmallDiskRow {
    const char* name;
    qint64 freeBytes; // -1: not filled
    bool readOnly, noNewFiles;
    qint64 size;
    const char* reason; // empty: saved
};
const SmallDiskRow smallDiskRows[] = {
    {"full, empty text", 0, false, false, 0, ""},
    {"full, 1 byte", 0, false, false, 1, "No space left on device"},
    {"nearly full, 100 bytes", 12 << 10, false, false, 100, ""},
    {"nearly full, 16 KiB + 1", 12 << 10, false, false, (16 << 10) + 1, "No space left on device"},
    {"read-only", -1, true, false, 100, "Read-only file system"},
    {"no new files, shorter", -1, false, true, 10, ""},
    {"no new files, longer", -1, false, true, (16 << 10) + 1, ""},
    {"no new files, no room", 12 << 10, false, true, (16 << 10) + 1, "No space left on device"},
};

// Whoever saves, a save writes the text and leaves everything else the user
// sees as it was, or is refused as a shell's redirection is. Each scene is
// made by root in work/, which holds x.java.
struct SceneRow {
    const char *name, *scene;
    bool asAlice, throughSave;
    const char *target, *rewritten, *reason; // reason: empty when saved
};
const SceneRow sceneRows[] = {
    {"second hard link", "ln x.java x2.java", false, false, "work/x.java",
     "work/x.java work/x2.java", ""},
    {"ACL and attribute", "setfacl -m u:nobody:rw x.java && setfattr -n user.x -v 1 x.java", false,
     false, "work/x.java", "work/x.java", ""},
    {"bob's 644 file as alice, through Save", "chown $ALICE . && chown $BOB x.java", true, true,
     "work/x.java", "", "Permission denied"},
    {"bob's 666 file as alice", "chown $ALICE . && chown $BOB x.java && chmod 666 x.java", true,
     false, "work/x.java", "work/x.java", ""},
    {"alice's file in bob's group",
     "chown $ALICE . x.java && chgrp $BOBGROUP x.java && chmod 664 x.java", true, false,
     "work/x.java", "work/x.java", ""},
    {"bob's 666 file in a sticky folder, as alice",
     "chmod 1777 . && chown $BOB x.java && "
     "chmod 666 x.java",
     true, false, "work/x.java", "work/x.java", ""},
    {"append-only folder", "chattr +a .", false, false, "work/x.java", "work/x.java", ""},
    {"name of 255 bytes", "cp x.java $LONG.java", false, false, "work/LONG.java", "work/LONG.java",
     ""},
    {"Save As onto a dangling chain of links",
     "ln -s b.java a.java && ln -s ../other/c.java b.java && ln -s missing.java ../other/c.java",
     false, false, "work/a.java", "other/missing.java", ""},
};

struct LocaleRow {
    const char* name;
    bool utf8;
};
const LocaleRow localeRows[] = {{"C.UTF-8", true}, {"C.utf8", true}, {"POSIX", false}};

// Bytes show as the set's characters and typed ones become its bytes; ASCII
// and a set the system cannot convert keep Latin-1.
struct CharsetRow {
    const char *name, *codeset, *text, *bytes, *outside; // outside: a character the set lacks
};
const CharsetRow charsetRows[] = {
    {"KOI8-R", "KOI8-R", "\u0436", "\xd6", "\u00e9"},
    {"ISO-8859-15", "ISO-8859-15", "\u20ac", "\xa4", "\u00a4"},
    {"ASCII: Latin-1", "ANSI_X3.4-1968", "\u00e9", "\xe9", "\u0436"},
    {"unknown: Latin-1", "NO-SUCH-SET", "\u00e9", "\xe9", "\u0436"},
};

struct BoxRow {
    const char* name;
    int style;
    const char* press;
    int answer;
    const char* buttons; // sorted, and the icon
};
const BoxRow boxRows[] = {
    {"OK only", 0, "OK", 1, "OK, no icon"},
    {"information", 64, "OK", 1, "OK, information"},
    {"Yes/No: No", 4, "No", 7, "No Yes, no icon"},
    {"Yes/No/Cancel: Yes", 3, "Yes", 6, "Cancel No Yes, no icon"},
    {"Yes/No/Cancel: Cancel", 3, "Cancel", 2, "Cancel No Yes, no icon"},
};

} // namespace

class TestFiles : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }

    // Load and save never look at the code page. Save rewrites the file
    // without a dialog, Save As writes a copy and binds it. Over 1 MiB, one
    // read, so the pieces of a read must join up exactly.
    void roundTripKeepsEveryByte() {
        const QByteArray invalid = "\xc3(\xe2\x82\r\n\xf0\x9f\x98\xc0\xaf\xed\xa0\x80\xf4\x90\x80"
                                   "\x80\xef\xbb\xbfGr\xc3\xbc\xc3\x9f\x65\xf0\x9f\x98\x80\xc3";
        for (const QByteArray& content :
             {QByteArray(), allBytes(4100) + "a\r\nb\rc\nd\r\r\n\n\re\r" + invalid}) {
            Folder f;
            Editor e(CodePage::Utf8);
            QVERIFY(writeBytes("Source.java", content));
            e.open(f.filePath("Source.java"));
            QCOMPARE(e.text().bytes(), content);
            QCOMPARE(e.text().byteLength(), qint64(content.size()));
            e.form.saveim();
            e.platform.saveAnswers.push_back(FakePlatform::choose(f.filePath("Copy.java")));
            e.form.save();
            QCOMPARE(readBytes("Source.java"), content);
            QCOMPARE(readBytes("Copy.java"), content);
            e.type("+");
            e.form.saveim();
            QCOMPARE(readBytes("Copy.java"), content + "+");
            QCOMPARE(readBytes("Source.java"), content);
            QCOMPARE(e.platform.callsOf("saveDialog").size(), 1);
            QCOMPARE(boxes(e.platform), "");
        }
    }

    void askBeforeDiscarding_data() { addRows(askRows); }
    void askBeforeDiscarding() {
        const AskRow& r = row(askRows);
        Folder f;
        QVERIFY(writeBytes("Second.java", "second\r\n"));
        Editor e;
        e.type("typed");
        e.state().isSaved = r.saved;
        if (r.answer)
            e.platform.messageAnswers.push_back(MsgAnswer(r.answer));
        const auto choice = [&f](const QString& name) {
            return name.isEmpty() ? std::nullopt
                                  : std::optional(FakePlatform::choose(f.filePath(name)));
        };
        e.platform.saveAnswers.push_back(choice(r.saveAs));
        e.platform.openAnswers.push_back(choice(r.open));
        e.form.action(r.command)->trigger();

        QString shown;
        for (const PlatformCall& c : e.platform.calls) {
            if (c.service == "messageBox")
                shown += box(c) == unsaved ? 'q' : '?';
            else if (c.service.endsWith("Dialog"))
                shown += c.text + c.title == "Java Files (*.java)*.java" ? c.service.at(0) : '?';
        }
        QCOMPARE(shown, r.dialogs);
        const bool second = QByteArray(r.text) == "second\r\n";
        QCOMPARE(e.text().bytes(), QByteArray(r.text));
        QCOMPARE(e.form.windowTitle(), second ? "Second.java - Tarnwick" : untitled);
        QCOMPARE(e.state().filePath, second ? f.filePath("Second.java") : "");
        QCOMPARE(e.state().isSaved, QByteArray(r.text) != "typed");
        QCOMPARE(readBytes("New.java"), *r.saveAs ? "typed" : "(absent)");
        if (QByteArray(r.text) != "typed") {
            // Undo never reaches back across New or Open, and works after.
            QVERIFY(!e.text().isUndoAvailable());
            e.type("+");
            e.text().undo();
            QCOMPARE(e.text().bytes(), QByteArray(r.text));
        }
    }

    void saveAs_data() { addRows(saveAsRows); }
    void saveAs() {
        const SaveAsRow& r = row(saveAsRows);
        Folder f;
        if (r.existing)
            QVERIFY(writeBytes(r.written, r.existing));
        Editor e;
        e.type("new");
        for (int a : r.answers)
            e.platform.messageAnswers.push_back(MsgAnswer(a));
        for (int i = 0; i < std::max(int(r.answers.size()), 1); ++i)
            e.platform.saveAnswers.push_back(FakePlatform::choose(f.filePath(r.typed)));
        e.form.save();

        QCOMPARE(e.platform.callsOf("saveDialog").size(), r.dialogs);
        QCOMPARE(boxes(e.platform), QStringList(r.answers.size(), overwrite).join('\n'));
        QCOMPARE(e.state().saveCompleted, r.ok);
        QCOMPARE(e.state().isSaved, r.ok);
        QCOMPARE(readBytes(r.written), r.ok ? "new" : r.existing);
        QCOMPARE(filesIn(f.path()), QStringList{r.written});
        QCOMPARE(e.form.windowTitle(), r.ok ? r.written + QString(" - Tarnwick") : untitled);
        QCOMPARE(e.state().fileTitle, r.ok ? r.written : "");
        QCOMPARE(e.state().filePath, r.ok ? f.filePath(r.written) : "");
    }

    // Ended from outside (a signal, a lost display), unsaved text goes byte
    // for byte into a new file named after the document, beside it or, for an
    // untitled text or a folder that refuses, in the home folder; never over
    // another file, only once; the launch scripts go either way.
    void emergencyCopyKeepsTheText_data() { addRows(emergencyRows); }
    void emergencyCopyKeepsTheText() {
        const EmergencyRow& r = row(emergencyRows);
        const QString folder = r.folder, copy = r.copy;
        Folder f;
        QTemporaryDir home;
        std::optional<TmpfsMount> mount;
        if ((folder == "read-only" || folder == "full") && !mount.emplace().mounted())
            QSKIP(qPrintable(mount->error()));
        const QString document = (mount ? mount->path() : f.path()) + "/Hello.java";
        const QByteArray original = "class Hello {}\r\n";
        const QByteArray typed = allBytes() + "\r\n" + QByteArray(1, '\0') + "end";
        if (r.taken)
            QVERIFY(writeBytes(document + ".unsaved-changes", "an older copy"));
        Editor e;
        if (folder != "none") {
            QVERIFY(writeBytes(document, original));
            e.open(document);
        }
        e.type(typed);
        if (r.saved)
            e.state().isSaved = true;
        // In the working folder, where Open has left it.
        QVERIFY(writeBytes("temc.bat", "javac Hello.java"));
        if (folder == "read-only")
            QVERIFY(mount->makeReadOnly());
        if (folder == "full")
            QVERIFY(mount->fill());

        EmergencyExit emergency(e.state(), e.text(), e.platform, home.path());
        const QString written = emergency.run();
        QCOMPARE(
            written,
            QString(copy).replace("work/", f.path() + "/").replace("home/", home.path() + "/"));
        if (!copy.isEmpty())
            QCOMPARE(readBytes(written), (folder == "none" ? "" : original) + typed);
        QCOMPARE(emergency.run(), QString());
        QStringList left{"Hello.java", "Hello.java.unsaved-changes", copy.mid(5), "temc.bat",
                         TmpfsMount::fillerName};
        const QList<bool> kept{folder != "none", r.taken, copy.startsWith("work/"),
                               folder == "read-only", folder == "full"};
        for (int i = int(kept.size()) - 1; i >= 0; --i)
            if (!kept[i])
                left.removeAt(i);
        left.sort();
        QCOMPARE(filesIn(QFileInfo(document).path()), left);
        QCOMPARE(filesIn(home.path()),
                 copy.startsWith("home/") ? QStringList(copy.mid(5)) : QStringList());
        if (r.taken)
            QCOMPARE(readBytes(document + ".unsaved-changes"), "an older copy");
        QCOMPARE(readBytes(document), folder == "none" ? "(absent)" : original);
    }

    // A failed write is told, binds no name, and nothing that asked for the
    // save goes on to discard the text.
    void failedSaveIsReportedAndKeepsText_data() { addRows(failedSaveRows); }
    void failedSaveIsReportedAndKeepsText() {
        Folder f;
        Editor e;
        e.form.show();
        const QString path = f.filePath("Kept.java");
        QVERIFY(writeBytes(path, "on disk"));
        e.type("typed");
        e.platform.fail.insert("write " + path, noSpace);
        e.platform.messageAnswers = {MsgAnswer::Yes, MsgAnswer::Yes}; // save, then overwrite
        e.platform.saveAnswers.push_back(FakePlatform::choose(path));
        e.platform.openAnswers.push_back(FakePlatform::choose(path));
        e.form.action(row(failedSaveRows).command)->trigger();

        QVERIFY(boxes(e.platform)
                    .endsWith(path + " could not be written\r" + noSpace + "|Can't save|64"));
        QCOMPARE(e.text().bytes(), QByteArray("typed"));
        QVERIFY(!e.state().isSaved);
        QVERIFY(!e.state().saveCompleted);
        QCOMPARE(e.state().filePath, QString());
        QCOMPARE(e.form.windowTitle(), untitled);
        QCOMPARE(readBytes(path), QByteArray("on disk"));
        QVERIFY(e.platform.callsOf("openDialog").isEmpty());
        QVERIFY(e.form.isVisible());
    }

    // Another program changed the file after it was opened: Save asks before
    // it throws that change away, and No leaves disk and text as they are.
    void saveAfterChangeOnDisk_data() { addRows(changeRows); }
    void saveAfterChangeOnDisk() {
        const ChangeRow& r = row(changeRows);
        const QString change = r.change;
        Folder f;
        const QString path = f.filePath("E.java");
        QVERIFY(writeBytes(path, "class E {}\n"));
        Editor e;
        e.open(path);
        e.type("// mine\n");
        if (change == "saved") {
            e.form.saveim();
            e.type("// more\n");
        }
        QFile file(path);
        if (change == "appended")
            QVERIFY(file.open(QIODevice::Append) && file.write("// theirs\n") == 10);
        if (change == "replaced")
            QVERIFY(writeBytes("other", "class F {}\n") &&
                    std::rename("other", qPrintable(path)) == 0);
        if (change == "deleted")
            QVERIFY(file.remove());
        file.close();
        const QByteArray theirs = readBytes(path);
        if (r.answer)
            e.platform.messageAnswers.push_back(MsgAnswer(r.answer));
        e.platform.clearCalls();

        e.form.saveim();

        QCOMPARE(boxes(e.platform), r.answer
                                        ? "The file has changed on disk since it was opened\r" +
                                              path + "\rSave anyway?|File changed on disk|260"
                                        : "");
        QCOMPARE(readBytes(path), r.written ? e.text().bytes() : theirs);
        QCOMPARE(e.state().saveCompleted, r.written);
        QCOMPARE(e.state().isSaved, r.written);
    }

    // Qt spells file names in UTF-8 whatever the locale: a name the locale's
    // code page spells otherwise, or one Qt could not read, would make the
    // editor act on another file than the one chosen.
    void inexactNamesAreRefused_data() { addRows(inexactRows); }
    void inexactNamesAreRefused() {
        const InexactRow& r = row(inexactRows);
        const QString name = QString::fromUtf8(r.file), title = r.title;
        Folder f;
        Editor e(r.utf8 ? CodePage::Utf8 : CodePage::SingleByte);
        e.platform.saveAnswers.push_back(FakePlatform::choose(f.filePath(name)));
        e.platform.openAnswers.push_back(FakePlatform::choose(f.filePath(name)));
        e.form.action(r.command)->trigger();

        QCOMPARE(boxes(e.platform),
                 title.isEmpty() ? ""
                                 : f.filePath(name) +
                                       (title == "Can't open" ? " could not be read\r"
                                                              : " could not be written\r") +
                                       "This locale's character set cannot spell the name "
                                       "exactly, so the editor could reach another file by it; a "
                                       "name of ASCII letters and digits works in every locale|" +
                                       title + "|64");
        QCOMPARE(filesIn(f.path()), title.isEmpty() ? QStringList{name} : QStringList{});
        QCOMPARE(e.form.windowTitle(), title.isEmpty() ? name + " - Tarnwick" : untitled);
    }

    // Whatever makes Open fail, the document before it comes back exactly.
    void failedOpenChangesNothing_data() { addRows(failedOpenRows); }
    void failedOpenChangesNothing() {
        const FailedOpenRow& r = row(failedOpenRows);
        if (r.headroom && !canLimitMemory)
            QSKIP("address sanitizer: a memory limit cannot produce a failed allocation");
        Folder f;
        Editor e;
        const QString bound = f.filePath("Bound.java"), target = f.filePath("Target.java");
        QVERIFY(writeBytes(bound, "bound"));
        e.open(bound);
        e.type(" edit");
        e.state().indentLevel = 2;
        e.state().lastKeyCode = 13;
        // Sparse: no room taken on disk.
        if (r.size >= 0)
            QVERIFY(writeBytes(target, "") && QFile(target).resize(r.size));
        if (r.failsHalfway)
            e.platform.fail.insert("read " + target, r.reason);
        e.text().setSelectionRange(2, 7);
        e.platform.messageAnswers.push_back(MsgAnswer::No);
        {
            std::optional<MemoryLimit> limit;
            if (r.headroom)
                QVERIFY(limit.emplace(r.headroom).active());
            e.open(target);
        }

        QCOMPARE(boxes(e.platform),
                 unsaved + '\n' + target + " could not be read\r" + r.reason + "|Can't open|64");
        QCOMPARE(e.text().bytes(), QByteArray("bound edit"));
        QCOMPARE(e.form.windowTitle(), "Bound.java - Tarnwick");
        QCOMPARE(e.state().filePath, bound);
        QCOMPARE(e.state().fileTitle, "Bound.java");
        QVERIFY(!e.state().isSaved);
        QCOMPARE(e.state().indentLevel, 2);
        QCOMPARE(e.state().lastKeyCode, 13);
        // The very same document: selection, undo history, line breaks.
        QCOMPARE(e.text().anchorPosition(), 2L);
        QCOMPARE(e.text().caretPosition(), 7L);
        e.text().undo();
        e.text().SendScintilla(QsciScintillaBase::SCI_NEWLINE);
        QCOMPARE(e.text().bytes(), QByteArray("bound\n"));
        QCOMPARE(QFileInfo::exists(target), r.size >= 0);
    }

    // /proc/self/pagemap claims 0 bytes and reads hundreds of gigabytes: Open
    // ends at the limit, in a child that a hang would not outlive.
    void openStopsAtTheLimit() {
        if (::geteuid() != 0)
            QSKIP("runs its child through the accounts helper, which needs root");
        Folder f;
        QVERIFY(QFile::link("/proc/self/pagemap", f.filePath("pm.java")));
        Editor e;
        const QString outcome = runAs(Account{"root", 0, 0}, 0, [&] {
            ::alarm(60);
            e.open(f.filePath("pm.java"));
            return boxes(e.platform);
        });
        QCOMPARE(outcome, f.filePath("pm.java") +
                              " could not be read\rThe file is larger than 2 GiB, "
                              "the most the editor can hold|Can't open|64");
    }

    // A file dropped through real Qt drag events on the text area or the window
    // around it: one local file opens as Open does after its dialog; anything
    // else is refused while still dragging, and nothing of it is typed.
    void droppedFileOpens_data() { addRows(dropRows); }
    void droppedFileOpens() {
        const DropRow& r = row(dropRows);
        Folder f;
        Editor e;
        QVERIFY(QDir(f.path()).mkpath("sub"));
        const QString dropped = f.filePath("sub/Drop.java"), bound = f.filePath("Bound.java");
        QVERIFY(writeBytes(dropped, "dropped\r\n") && writeBytes(bound, "bound"));
        e.open(bound);
        if (r.answer) {
            e.type(" edited");
            e.platform.messageAnswers.push_back(MsgAnswer(r.answer));
        }
        const QByteArray before = e.text().bytes();
        e.platform.clearCalls();
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& url : QString(r.urls).replace('@', f.path()).split(' '))
            urls << QUrl(url);
        mime.setUrls(urls);
        // File managers offer the names as text too, which the text area would insert.
        mime.setText(urls.first().toString());
        QWidget* target = r.ontoWindow ? static_cast<QWidget*>(&e.form) : e.text().viewport();
        QDragEnterEvent enter({20, 20}, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QCOMPARE(enter.isAccepted(), r.accepted);
        QVERIFY(!r.accepted || enter.dropAction() == Qt::CopyAction);
        QDropEvent drop({20, 20}, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        QCoreApplication::processEvents(); // the file opens once the drop is over

        const QString message = QString(r.message).replace('@', f.path());
        QCOMPARE(boxes(e.platform),
                 QStringList({r.answer ? unsaved : "", message}).join('\n').trimmed());
        QCOMPARE(e.state().filePath, r.opens ? dropped : bound);
        QCOMPARE(e.form.windowTitle(), r.opens ? "Drop.java - Tarnwick" : "Bound.java - Tarnwick");
        QCOMPARE(e.text().bytes(), r.opens ? "dropped\r\n" : before);
        QCOMPARE(e.state().isSaved, r.opens || !r.answer);
        QCOMPARE(QDir::currentPath(), QFileInfo(r.opens ? dropped : bound).absolutePath());
        // Yes saved the edited text to its own file first.
        QCOMPARE(readBytes(bound), r.answer == 6 ? before : "bound");
        if (!r.accepted)
            QVERIFY(e.platform.calls.isEmpty());
    }

    void everyChangeMarksUnsaved_data() { addRows(keyRows); }
    void everyChangeMarksUnsaved() {
        const KeyRow& r = row(keyRows);
        Editor e;
        QVERIFY(e.showActive());
        e.type("abc");
        e.text().setSelectionRange(1, 1);
        e.state().isSaved = true;
        QTest::keyClick(&e.text(), r.key, r.modifiers);
        QCOMPARE(!e.state().isSaved, r.unsaved);
    }

    // Real keys around bytes that form no UTF-8 character: each moves, deletes
    // and is typed next to as one character of its own, and every byte no key
    // touched is saved as it was. Single-byte: the euro sign is three
    // characters, and Omega cannot be typed. The text component takes the
    // platform's code page.
    void editsAroundInvalidBytes() {
        for (const bool utf8 : {true, false}) {
            Folder f;
            Editor e(utf8 ? CodePage::Utf8 : CodePage::SingleByte);
            QCOMPARE(e.text().SendScintilla(QsciScintillaBase::SCI_GETCODEPAGE),
                     utf8 ? long(QsciScintillaBase::SC_CP_UTF8) : 0L);
            QVERIFY(writeBytes("Bytes.java", "a\xff\xc3"
                                             "b\xe2\x82\xac"
                                             "c\xf0\x9f\x98\n\xc3"));
            e.open(f.filePath("Bytes.java"));
            QVERIFY(e.showActive());
            // Over the lone FF, the C3 that starts nothing, the cut four bytes.
            const std::pair<Qt::Key, const char*> keys[] = {
                {Qt::Key_Right, ""},        {Qt::Key_Right, ""}, {Qt::Key_unknown, "\u00fc"},
                {Qt::Key_Delete, ""},       {Qt::Key_End, ""},   {Qt::Key_Backspace, ""},
                {Qt::Key_unknown, "\u03a9"}};
            for (const auto& [key, text] : keys)
                *text
                    ? QTest::sendKeyEvent(QTest::Click, &e.text(), key, QString::fromUtf8(text), {})
                    : QTest::keyClick(&e.text(), key);
            e.form.saveim();
            QCOMPARE(readBytes("Bytes.java"), utf8 ? QByteArray("a\xff\xc3\xbc"
                                                                "b\xe2\x82\xac"
                                                                "c\xf0\x9f\xce\xa9\n\xc3")
                                                   : QByteArray("a\xff\xfc"
                                                                "b\xe2\x82\xac"
                                                                "c\xf0\x9f\n\xc3"));
        }
    }

    void enterUsesTheFilesLineBreak_data() { addRows(lineBreakRows); }
    void enterUsesTheFilesLineBreak() {
        const LineBreakRow& r = row(lineBreakRows);
        Folder f;
        Editor e;
        QVERIFY(writeBytes("Breaks.java", r.content));
        e.open(f.filePath("Breaks.java"));
        e.text().SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        e.text().SendScintilla(QsciScintillaBase::SCI_NEWLINE);
        QCOMPARE(e.text().bytes(), QByteArray(r.content) + r.lineBreak);
        // New returns to LF.
        e.platform.messageAnswers.push_back(MsgAnswer::No);
        e.form.new_();
        e.text().SendScintilla(QsciScintillaBase::SCI_NEWLINE);
        QCOMPARE(e.text().bytes(), QByteArray("\n"));
    }

    // The failures come from the kernel, not from the test double.
    void saveOnSmallDisk_data() { addRows(smallDiskRows); }
    void saveOnSmallDisk() {
        const SmallDiskRow& r = row(smallDiskRows);
        TmpfsMount mount;
        if (!mount.mounted())
            QSKIP(qPrintable(mount.error()));
        const QString path = mount.filePath("Old.java");
        const QByteArray old = javaLike(1000), typed = javaLike(r.size).replace('a', 'N');
        QVERIFY(writeBytes(path, old));
        Editor e;
        e.open(path);
        e.text().clearDocument();
        e.type(typed);
        QVERIFY(r.freeBytes < 0 || mount.fill(r.freeBytes));
        QVERIFY(!r.readOnly || mount.makeReadOnly());
        QVERIFY(!r.noNewFiles || ::chmod(QFile::encodeName(mount.path()).constData(), 0555) == 0);
        e.platform.clearCalls();
        {
            std::optional<WithoutPermissionOverride> asOwner;
            if (r.noNewFiles && !asOwner.emplace().active_)
                QSKIP("cannot drop the permission override of root");
            // The kernel itself must refuse a new file here, or the row proves nothing.
            QVERIFY(!r.noNewFiles || !QFile(mount.filePath("probe")).open(QIODevice::WriteOnly));
            e.form.saveim();
        }

        const bool ok = !*r.reason;
        QCOMPARE(boxes(e.platform),
                 ok ? "" : path + " could not be written\r" + r.reason + "|Can't save|64");
        QCOMPARE(e.state().saveCompleted, ok);
        QCOMPARE(e.state().isSaved, ok);
        QCOMPARE(e.form.windowTitle(), "Old.java - Tarnwick");
        QCOMPARE(e.text().bytes(), typed);
        QVERIFY(readBytes(path) == (ok ? typed : old));
        QCOMPARE(filesIn(mount.path()),
                 r.freeBytes < 0 ? QStringList({"Old.java"}) : QStringList({"Old.java", "filler"}));
    }

    // A launch script that could not be written whole is told and never
    // started: an empty or cut script must not run. Creating the empty script
    // needs no room; only its bytes do.
    void launchScriptOnSmallDisk() {
        for (const bool fits : {false, true}) {
            TmpfsMount mount;
            if (!mount.mounted())
                QSKIP(qPrintable(mount.error()));
            QVERIFY(QDir::setCurrent(mount.path()) && mount.fill(fits ? 12 << 10 : 0));
            FakePlatform platform;
            runner::compile("Hello.java", platform);
            QCOMPARE(boxes(platform),
                     fits ? "" : "temc.bat could not be written\r" + noSpace + "|Can't compile|64");
            QCOMPARE(platform.started, fits ? QStringList{"temc.bat"} : QStringList{});
            QCOMPARE(readBytes("temc.bat"),
                     fits ? "@echo OFF\r\nclearscr\r\njavac Hello.java\r\nkeypress" : "");
            QCOMPARE(filesIn(mount.path()), QStringList({"filler", "temc.bat"}));
        }
    }

    void saveKeepsWhatTheFileIs_data() { addRows(sceneRows); }
    void saveKeepsWhatTheFileIs() {
        const SceneRow& r = row(sceneRows);
        if (::geteuid() != 0)
            QSKIP("the files of other accounts are made as root");
        QString why;
        std::optional<OtherAccounts> accounts;
        if (r.asAlice && !(accounts = OtherAccounts::get(&why)))
            QSKIP(qPrintable(why));
        QTemporaryDir dir;
        QVERIFY(openToOthers(dir.path()));
        // Or the folder could not be removed.
        const auto unmark = qScopeGuard([&] { shell(dir.path(), "chattr -a work"); });
        if (!shell(dir.path(),
                   QString("mkdir work other && cd work && echo 'class Old {}' >x.java && ") +
                       r.scene,
                   accounts))
            QSKIP("cannot set the row up on this file system");
        const QString target = dir.filePath(QString(r.target).replace("LONG", QString(250, 'L')));
        const QStringList rewritten =
            QString(r.rewritten).replace("LONG", QString(250, 'L')).split(' ', Qt::SkipEmptyParts);
        const QString before = identities(dir.path());
        const auto contents = [&dir] {
            QMap<QString, QByteArray> seen;
            for (QDirIterator it(dir.path(), QDir::Files | QDir::Hidden | QDir::System,
                                 QDirIterator::Subdirectories);
                 it.hasNext();) {
                const QString path = it.next();
                if (!QFileInfo(path).isSymLink())
                    seen.insert(path, readBytes(path));
            }
            return seen;
        };
        const QByteArray newText = "class New { int grown; }\n";
        QMap<QString, QByteArray> expected = contents();
        for (const QString& name : rewritten)
            expected.insert(dir.filePath(name), newText);
        Editor e;
        if (r.throughSave) {
            e.open(target);
            e.text().clearDocument();
            e.type(newText);
            e.platform.clearCalls();
        }
        const Account account = r.asAlice ? accounts->alice : Account{"root", 0, 0};
        const QString outcome = runAs(account, r.asAlice ? accounts->shared : 0, [&] {
            QString error = "completed";
            if (r.throughSave)
                return e.form.saveim(), e.state().saveCompleted ? error : boxes(e.platform);
            return fileaccess::writeFile(target, newText.constData(), newText.size(), &error)
                       ? QString()
                       : error;
        });

        QCOMPARE(outcome, !r.throughSave ? r.reason
                          : *r.reason
                              ? target + " could not be written\r" + r.reason + "|Can't save|64"
                              : "completed");
        QCOMPARE(contents(), expected);
        // A name the save created is a new file as a shell makes one.
        QString after = identities(dir.path());
        const mode_t mask = ::umask(0);
        ::umask(mask);
        for (const QString& name : rewritten)
            if (!before.contains(name + ' '))
                after.remove(name + QString(" 0 0 %1 1 \n").arg(0666 & ~mask, 0, 8));
        QCOMPARE(after, before);
    }

    // Replacing a file keeps its permission bits, and a symbolic link, read
    // from its own folder, through which the file it names is rewritten.
    void writeKeepsModeAndLinks() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kept.java"), link = dir.filePath("Link.java");
        const auto mode = [&path] {
            struct stat info {};
            return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777
                                                                           : 0u;
        };
        QString error;
        const mode_t savedMask = ::umask(027);
        const bool created = fileaccess::writeFile(path, "new", 3, &error);
        ::umask(savedMask);
        QVERIFY(created);
        QCOMPARE(mode(), 0640u);
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0601) == 0);
        QVERIFY(QFile::link("Kept.java", link));
        QVERIFY(fileaccess::writeFile(link, "through the link", 16, &error));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readBytes(path), QByteArray("through the link"));
        QCOMPARE(mode(), 0601u);
        QCOMPARE(filesIn(dir.path()), QStringList({"Kept.java", "Link.java"}));
    }

    // The reasons the editor shows when a file is not there to work on.
    void absentFilesAndFolders() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!fileaccess::deleteFile(dir.filePath("absent"), &error));
        QCOMPARE(error, "No such file");
        QCOMPARE(fileaccess::fileLength(dir.filePath("absent")), qint64(-1));
        // A sink that gives up ends the read as a failure.
        QVERIFY(writeBytes(dir.filePath("x"), "x"));
        QVERIFY(!fileaccess::readFile(
            dir.filePath("x"), [](const char*, qint64) { return false; }, &error));
    }

    // The code page follows the locale the program is started in.
    void codePageFromLocale_data() { addRows(localeRows); }
    void codePageFromLocale() {
        const LocaleRow& r = row(localeRows);
        const QByteArray previous = qgetenv("LC_ALL");
        qputenv("LC_ALL", r.name);
        const CodePage found = localeCodePage();
        qputenv("LC_ALL", previous);
        std::setlocale(LC_ALL, "");
        QCOMPARE(found == CodePage::Utf8, r.utf8);
        // The names nl_langinfo gives for single-byte character sets.
        for (const char* codeset : {"ANSI_X3.4-1968", "ISO-8859-1", "ISO-8859-15", "KOI8-R", ""})
            QCOMPARE(codePageForCodeset(codeset), CodePage::SingleByte);
    }

    void singleByteCharsets_data() { addRows(charsetRows); }
    void singleByteCharsets() {
        const CharsetRow& r = row(charsetRows);
        const QString text = QString::fromUtf8(r.text), outside = QString::fromUtf8(r.outside);
        useSingleByteCharset(r.codeset);
        const QByteArray encoded = encodeText(text, CodePage::SingleByte);
        const QString decoded = decodeSingleByte(r.bytes, qsizetype(strlen(r.bytes)));
        const std::optional<char32_t> refused = firstUnencodable(outside, CodePage::SingleByte);
        useSingleByteCharset(nullptr);
        QCOMPARE(encoded, QByteArray(r.bytes));
        QCOMPARE(decoded, text);
        QCOMPARE(refused, std::optional<char32_t>(outside.at(0).unicode()));
    }

    // A file name in a message is shown as itself, never as markup.
    void messageBoxShowsStyleAndReturnsAnswer_data() { addRows(boxRows); }
    void messageBoxShowsStyleAndReturnsAnswer() {
        const BoxRow& r = row(boxRows);
        QtPlatform platform(CodePage::Utf8);
        QStringList shown; // title, buttons and icon, then each label's text and format
        // The box is modal: inspect and answer it from inside its own loop.
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QStringList captions;
            for (QAbstractButton* b : box->buttons())
                captions << b->text().remove('&');
            QStringList sorted = captions;
            sorted.sort();
            shown << box->windowTitle()
                  << sorted.join(' ') +
                         (box->icon() == QMessageBox::Information ? ", information" : ", no icon");
            for (QLabel* label : box->findChildren<QLabel*>())
                if (!label->text().isEmpty())
                    shown << label->text()
                          << (label->textFormat() == Qt::PlainText ? "plain" : "rich");
            box->buttons().at(captions.indexOf(r.press))->click();
        });
        const MsgAnswer got =
            platform.messageBox("\r<font color=white>first\rsecond", MsgStyle(r.style), "Title");
        QCOMPARE(int(got), r.answer);
        QCOMPARE(shown,
                 QStringList({"Title", r.buttons, "\n<font color=white>first\nsecond", "plain"}));
    }

    // A pasted command longer than a line edit's default limit comes back
    // whole; Cancel gives the empty string.
    void inputBoxKeepsLongAnswers() {
        QtPlatform platform(CodePage::Utf8);
        const QString pasted(40000, 'x');
        for (const bool accept : {true, false}) {
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
                dialog->findChild<QLineEdit*>()->insert(pasted);
                accept ? dialog->accept() : dialog->reject();
            });
            QCOMPARE(platform.inputBox("Prompt", "Title"), accept ? pasted : QString());
        }
    }

    // Out of memory inside the text component, where no command of ours is
    // on the stack: the editor tells the user and carries on.
    void systemClipboardPasteThatDoesNotFit() {
        if (!canLimitMemory)
            QSKIP("address sanitizer: a memory limit cannot produce a failed allocation");
        Editor e;
        static_cast<Application*>(qApp)->setPlatform(&e.platform);
        const auto unset =
            qScopeGuard([] { static_cast<Application*>(qApp)->setPlatform(nullptr); });
        QVERIFY(e.showActive());
        e.type("hello");
        QGuiApplication::clipboard()->setText(QString(64 << 20, 'x'));
        {
            MemoryLimit limit(32 << 20);
            QVERIFY(limit.active());
            QTest::keyClick(&e.text(), Qt::Key_V, Qt::ControlModifier);
        }
        QGuiApplication::clipboard()->clear();
        QCOMPARE(
            boxes(e.platform),
            "Not enough memory\rThe last key or command could not be carried out.|Tarnwick|64");
        QCOMPARE(e.platform.calls.size(), 1);
        QCOMPARE(e.text().bytes(), QByteArray("hello"));
        QTest::keyClick(&e.text(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(&e.text(), Qt::Key_Exclam);
        QCOMPARE(e.text().bytes(), QByteArray("hello!"));
    }
};

int main(int argc, char* argv[]) {
    Application app(argc, argv);
    TestFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_files.moc"
