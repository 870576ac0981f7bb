// Files and text as the editor keeps them: New, Open, Save and Save As with
// their questions, titles and bytes on disk, the question before closing or
// a logout, Edit and indentation; writes on real full, read-only and
// foreign disks, for other accounts, through links, ACLs and attributes;
// the desktop services underneath (code pages, file access, message boxes).
#include "app/Application.h"
#include "app/EmergencyExit.h"
#include "files/FileAccess.h"
#include "platform/CodePage.h"
#include "platform/QtPlatform.h"
#include "support/Editor.h"
#include "support/Harness.h"
#include "support/OtherAccounts.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <clocale>
#include <cstring>
#include <functional>
#include <numeric>
#include <optional>

#include <sys/mman.h>
#include <unistd.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

QByteArray allBytes(int size) {
    QByteArray bytes(size, 0);
    std::iota(bytes.begin(), bytes.end(), char(0));
    return bytes;
}
const QByteArray typed = allBytes(256) + QByteArray("\r\n\0end", 6);
// Over 1 MiB, one read, so the pieces of a read must join up.
const QByteArray mixed = allBytes((1 << 20) + 256) + "a\r\nb\rc\nd\r\r\n\n\re\r" +
                         "\xc3(\xe2\x82\r\n\xf0\x9f\x98\xc0\xaf\xed\xa0\x80\xf4\x90\x80"
                         "\x80\xef\xbb\xbfGr\xc3\xbc\xc3\x9f\x65\xf0\x9f\x98\x80\xc3";
// Untouched anonymous memory reads as zeros and costs nothing.
const char* const zeros = static_cast<const char*>(
    mmap(nullptr, size_t(Text1::largestDocument), PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
// Keys around bytes that form no UTF-8 character (the lone FF, the C3 that
// starts nothing, the cut four bytes): moved over, deleted, typed next to.
const char* const oddKeys =
    "file:B=a%FF%C3x%E2%82%ACy%F0%9F%98%0A%C3 open:B show key:Right "
    "key:Right char:\u00fc key:Delete key:End key:Backspace char:\u03a9 do:saveim";

// "name=bytes" for every file in the folder, hidden ones too, by name; the
// filler of a full disk by name only.
QByteArray listing(const QString& folder) {
    QByteArrayList seen;
    for (const QString& name : filesIn(folder))
        seen << name.toUtf8() + '=' + (name == "filler" ? "" : readBytes(folder + '/' + name));
    return seen.join(' ');
}

// A shell line run in `folder`, with `arg` as $1; true when it succeeded.
bool sh(const QString& folder, const QString& line, const QString& arg = {}) {
    return QProcess::execute("sh", {"-c", "cd \"$0\" && " + line, folder, arg}) == 0;
}

// A small tmpfs of its own (mounting needs root): real full and read-only
// disks, which a write cannot tell from any other. fill() leaves exactly
// `free` bytes to the file "filler".
struct Tmpfs : QTemporaryDir {
    bool mounted = sh(path(), "mount -t tmpfs -o size=64k,mode=0755 tmpfs .");
    ~Tmpfs() { // lazily: a file there may still be open
        if (mounted)
            sh("/", "umount -l \"$1\"", path());
    }
    bool fill(int free) {
        return sh(path(),
                  "cat /dev/zero >filler 2>/dev/null; truncate -s -$1 filler && "
                  "[ $(($(stat -f -c %a*%S .))) = $1 ]",
                  QString::number(free));
    }
};

// How seen() writes texts the user sees, each whole and exact.
const char* const shortFor[][2] = {
    {"q ", "Do you want to save the changes|File not saved|3 "},
    {"w ", "File already exists, overwrite(Y/N)|Overwrite?|4 "},
    {"<changed> ", "The file has changed on disk since it was opened\r@/E\rSave anyway?|File "
                   "changed on disk|260 "},
    {"<inexact>",
     "This locale's character set cannot spell the name exactly, so the editor could reach another "
     "file by it; a name of ASCII letters and digits works in every locale"},
    {" <read> ", " could not be read\r"},
    {" <write> ", " could not be written\r"},
    {" <open> ", "|Can't open|64 "},
    {" <save> ", "|Can't save|64 "},
    {"<2 GiB>", "The file is larger than 2 GiB, the most the editor can hold"},
    {"", " - Tarnwick"},
    {"<U>", "|Untitled||"},
    {"<EIO>", "Input/output error"},
    {"<NOSPC>", "No space left on device"},
    {"<T>", "q o @/big/T <read>"},
    {"<B>", "|B|@/B|bound edit * u"},
    {"<B=>", "|B=bound"},
    {"<mem>", "Not enough memory\rThe last key or command could not be carried out.|Tarnwick|64 "},
    {"<uc>", "unsaved-changes"},
    {"<H>", "|H|@/H|(both) * u"},
    {"<H.java>", "|H.java|@/H.java| +|H.java= filler= temc.bat="},
    {"<kept>", "clip=kept desk=desk"},
    {"<ab cd>", "desk=desk undo>ab cd shown|"}};

// A folder of the test's own, the working folder, with an editor in it that
// tells the user when memory runs out.
struct Doc : Folder, Editor {
    explicit Doc(CodePage codePage = CodePage::SingleByte) : Editor(codePage) {
        static_cast<Application*>(qApp)->setPlatform(&platform);
        qApp->clipboard()->clear();
    }
    ~Doc() { static_cast<Application*>(qApp)->setPlatform(nullptr); }
    QByteArray notes;                     // a refused drag, the file an emergency copy went to
    bool editing = false, undone = false; // seen() shows caret and keys; the text undone
    std::optional<Tmpfs> fs;              // the folder ("@") of rows with an fs step
    QTemporaryDir home;                   // where an emergency copy goes when not beside the file
    QString at() const { return fs ? fs->path() : path(); }

    // What the user does, one step a word ("~" for a space, "@" the folder):
    // file:NAME=BYTES (percent-encoded), open:NAME, type:TEXT, key:SEQUENCE,
    // char:TEXT, a:ANSWER (to the next question), s:NAME and o:NAME (the
    // next save and open dialogs' choices; any other is cancelled),
    // do:ACTION, fail:CALL (fails with "Input/output error"), limit:MIB
    // (memory, for the next do or key), clip:MIB, select:ANCHOR=CARET,
    // drop:URL,URL (dropw: onto the window), sh:LINE, fs:ro or fs:FREE (of
    // the tmpfs), and saved, indent, clear, show, undo, newline, emergency
    // (ended from outside); type:* types every byte value, CR LF and NUL.
    // Where rows begin alike: sub (B open, sub/D beside it), big:SIZE (Open
    // asked for the sparse big/T) and odd (oddKeys).
    void run(const QString& script) {
        std::optional<MemoryLimit> limit;
        for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
            const QString verb = step.section(':', 0, 0),
                          arg = step.section(':', 1).replace('~', ' ').replace('@', at());
            const QString name = arg.section('=', 0, 0), file = at() + '/' + name;
            const QByteArray bytes = QByteArray::fromPercentEncoding(arg.section('=', 1).toUtf8());
            const QHash<QString, std::function<void()>> steps{
                {"file", [&] { QVERIFY(writeBytes(file, bytes == "*" ? mixed : bytes)); }},
                {"open", [&] { open(file); }},
                {"type", [&] { type(arg == "*" ? typed : arg.toUtf8()); }},
                {"keys", [&] { QTest::keyClicks(&text(), arg); }},
                {"key", [&] { QTest::keySequence(&text(), QKeySequence(arg)), limit.reset(); }},
                {"char", [&] { QTest::sendKeyEvent(QTest::Click, &text(), {}, arg, {}); }},
                {"a", [&] { platform.messageAnswers.push_back(MsgAnswer(arg.toInt())); }},
                {"s", [&] { platform.saveAnswers.push_back(FakePlatform::choose(file)); }},
                {"o", [&] { platform.openAnswers.push_back(FakePlatform::choose(file)); }},
                {"do", [&] { form.action(arg)->trigger(), limit.reset(); }},
                {"fail", [&] { platform.fail.insert(arg, "Input/output error"); }},
                {"limit", [&] { QVERIFY(limit.emplace(arg.toLongLong() << 20).active); }},
                {"clip", [&] { qApp->clipboard()->setText(QString(arg.toInt() << 20, 'x')); }},
                {"desk", [&] { qApp->clipboard()->setText(arg); }},
                {"prog",
                 [&] {
                     const qsizetype zeroes = arg == "big" ? 512 << 20 : Text1::largestDocument - 2;
                     state().clipText = arg == "big" || arg == "huge"
                                            ? QByteArray::fromRawData(zeros, zeroes)
                                            : arg.toUtf8();
                 }},
                {"click",
                 [&] {
                     // in the text, past the line numbers
                     QTest::mouseClick(text().viewport(), Qt::LeftButton, {},
                                       {5 + text().marginWidth(0), 5});
                 }},
                {"undone", [&] { undone = true; }},
                {"events", [] { QCoreApplication::processEvents(); }},
                {"logout", [&] { notes += form.sessionMayEnd() ? "ends " : "stays "; }},
                {"spy",
                 [&] {
                     QObject::connect(&form, &Form1::savedChanged,
                                      [&](bool saved) { notes += saved ? "saved " : "unsaved "; });
                 }},
                {"select", [&] { text().setSelectionRange(name.toLong(), bytes.toLong()); }},
                {"drop", [&] { drop(arg.split(','), text().viewport()); }},
                {"dropw", [&] { drop(arg.split(','), &form); }},
                {"sh", [&] { QVERIFY(sh(path(), arg)); }},
                {"saved", [&] { state().isSaved = true; }},
                {"indent", [&] { state().indentLevel = 2, state().lastKeyCode = 13; }},
                {"clear", [&] { platform.clearCalls(); }},
                {"show", [&] { QVERIFY(showActive()); }},
                {"undo", [&] { text().undo(); }},
                {"newline", [&] { text().SendScintilla(QsciScintillaBase::SCI_NEWLINE); }},
                {"fs",
                 [&] {
                     QVERIFY(arg == "ro" ? sh(at(), "mount -o remount,ro .")
                                         : fs->fill(arg.toInt()));
                 }},
                {"emergency",
                 [&] {
                     EmergencyExit emergency(state(), text(), platform, home.path());
                     notes += emergency.run().toUtf8() + ' ';
                     QCOMPARE(emergency.run(), QString());
                 }},
                {"sub", [&] { run("sh:mkdir~sub file:sub/D=d file:B=b open:B"); }},
                {"big",
                 [&] { run("sh:mkdir~big&&truncate~-s" + arg + "~big/T clear o:big/T do:open"); }},
                {"odd", [&] { run(oddKeys); }},
                {"rt", [&] { run("open:S do:saveim s:C.java do:save type:+ do:saveim undo"); }},
                {"K", [&] { run("file:K.java=k type:t fail:write~@/K.java s:K.java"); }},
                {"bound", [&] { run("file:B=bound open:B type:~edit a:7 clear"); }},
                {"end", [&] { run("key:Ctrl+End newline"); }},
                {"U", [&] { run("show spy type:unsaved events"); }},
                {"ed", [&] { run("show prog:kept desk:desk"), editing = true; }},
                {"abcd", [&] { run("ed type:ab~cd saved"), text().clearUndoHistory(); }},
                {"H", [&] { run("file:H=h open:H type:* file:temc.bat=javac~H"); }}};
            steps.value(verb, [&] { QFAIL(qPrintable("no such step: " + step)); })();
        }
    }

    // Through real Qt drag events. File managers offer the names as text
    // too, which the text area would insert.
    void drop(const QStringList& names, QWidget* target) {
        QMimeData mime;
        mime.setUrls(QList<QUrl>(names.begin(), names.end()));
        mime.setText(names.first());
        QDragEnterEvent enter({20, 20}, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        notes += enter.isAccepted() && enter.dropAction() == Qt::CopyAction ? "" : "refused ";
        QDropEvent drop({20, 20}, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        QCoreApplication::processEvents(); // the file opens once the drop is over
    }

    // All the user was shown, in order: message boxes, file dialogs by
    // initial where they offer Java files; then the title, the bound file,
    // the text, "*" unsaved, "+" the last save completed, "u" undo
    // available; [anchor caret] of a selection, {indentation, last key}
    // where set; then the files in the folder ("@").
    QByteArray seen() {
        Text1& t = text();
        QByteArray s = notes;
        for (const PlatformCall& c : platform.calls)
            if (c.service == "messageBox")
                s += (c.text + '|' + c.title + '|' + QString::number(c.style)).toUtf8() + ' ';
            else if (c.service.endsWith("Dialog"))
                s += c.text + c.title == "Java Files (*.java)*.java"
                         ? c.service.toUtf8().left(1) + ' '
                         : "? ";
        s += platform.started.join(' ').toUtf8() + '|' + form.windowTitle().toUtf8() + '|' +
             state().filePath.toUtf8() + '|' + t.bytes() + (state().isSaved ? "" : " *") +
             (state().saveCompleted ? " +" : "") + (t.isUndoAvailable() ? " u" : "");
        if (t.anchorPosition() != t.caretPosition())
            s += QString(" [%1 %2]").arg(t.anchorPosition()).arg(t.caretPosition()).toUtf8();
        else if (editing)
            s += " ^" + QByteArray::number(t.caretPosition());
        if (state().indentLevel || editing)
            s += QString(" {%1 %2}").arg(state().indentLevel).arg(state().lastKeyCode).toUtf8();
        const QByteArray clip = state().clipText, desk = qApp->clipboard()->text().toUtf8();
        s += (clip.isEmpty() ? "" : " clip=" + (clip.size() > 99 ? "huge" : clip)) +
             (desk.isEmpty() || desk.size() > 99 ? "" : " desk=" + desk);
        if (undone)
            t.undo(), s += " undo>" + t.bytes();
        s += (form.isVisible() ? " shown" : "") +
             (QDir::currentPath() == at() ? "" : " in " + QDir::currentPath().toUtf8()) + '|' +
             listing(at());
        s += filesIn(home.path()).isEmpty() ? "" : " ~" + listing(home.path());
        s.replace(at().toUtf8(), "@").replace(home.path().toUtf8(), "~");
        s.replace("h" + typed, "(both)").replace(typed, "(typed)").replace(mixed, "(mixed)");
        for (const auto& [written, full] : shortFor)
            s.replace(full, written);
        return s;
    }
};

// What the user does (Doc::run), as the row's name, and then sees (Doc::seen).
struct EditorRow {
    const char *name, *seen;
};
const EditorRow editorRows[] = {
    // New and Open ask before they discard unsaved text.
    {"type:t a:2 do:new", "q <U>t * u|"},
    {"type:t a:7 do:new", "q <U>|"},
    {"type:t a:6 do:new", "q s <U>t * u|"},
    {"type:t a:6 s:N do:new", "q s <U> +|N.java=t"},
    {"file:S=s type:t a:7 o:S do:open", "q o |S|@/S|s|S=s"},
    {"type:t a:7 do:open", "q o <U>t * u|"},
    {"type:t a:6 o:S do:open", "q s <U>t * u|"},
    // Asked before the window closes, or at a logout and then at the close
    // that follows (No): Cancel or a save that did not happen keeps the
    // window or the session; agreeing to end without saving also answers the
    // close after it, until the text changes (U: unsaved text typed). The
    // logout inhibitor follows savedChanged (spy).
    {"U a:2 do:exit", "unsaved q <U>unsaved * u shown|"},
    {"U a:7 do:exit", "unsaved q <U>unsaved * u|"},
    {"U a:6 s:S.java do:exit", "unsaved q s |S.java|@/S.java|unsaved + u|S.java=unsaved"},
    {"U a:6 do:exit", "unsaved q s <U>unsaved * u shown|"},
    {"show spy logout a:7 do:exit", "ends <U>|"},
    {"U a:2 a:7 logout do:exit", "unsaved stays q q <U>unsaved * u|"},
    {"U a:7 a:7 logout do:exit", "unsaved ends q <U>unsaved * u|"},
    {"U a:7 a:7 logout type:+ events do:exit", "unsaved ends q q <U>unsaved+ * u|"},
    {"U a:6 a:7 s:S.java logout do:exit",
     "unsaved saved ends q s |S.java|@/S.java|unsaved + u|S.java=unsaved"},
    {"U a:6 a:7 logout do:exit", "unsaved stays q s q <U>unsaved * u|"},
    // Save As: a name without a suffix is a Java file, and the overwrite
    // question, asked again with the dialog on No, is about the file written.
    {"file:T.java= type:t s:T.java do:save", "s |T.java|@/T.java|t + u|T.java=t"},
    {"file:T.java=o type:t a:7 s:T.java do:save", "s w s <U>t * u|T.java=o"},
    {"file:P.java=o a:7 a:7 a:6 s:P s:P s:P do:save", "s w s w s w |P.java|@/P.java| +|P.java="},
    {"type:t s:P.txt do:save", "s |P.txt|@/P.txt|t + u|P.txt=t"},
    {"type:t s:.h do:save", "s |.h|@/.h|t + u|.h=t"},
    // A failed write binds no name, and nothing that asked for the save
    // goes on to discard the text.
    {"K a:6 do:saveim", "s w @/K.java <write> <EIO> <save> <U>t * u|K.java=k"},
    {"show K a:6 a:6 do:exit", "q s w @/K.java <write> <EIO> <save> <U>t * u shown|K.java=k"},
    // Qt spells file names in UTF-8 whatever the locale: a name the code
    // page spells otherwise, or one Qt could not read, would reach another
    // file than the one chosen.
    {"type:t s:\u00ff.java do:save", "s @/\u00ff.java <write> <inexact> <save> <U>t * u|"},
    {"utf8 type:t s:\u00ff.java do:save", "s |\u00ff.java|@/\u00ff.java|t + u|\u00ff.java=t"},
    {"utf8 o:\ufffd.java do:open", "o @/\ufffd.java <read> <inexact> <open> <U>|"},
    // Another program changed the file after it was opened: Save asks
    // before it throws that change away, and No leaves it.
    {"file:E=e open:E type:+ do:saveim clear do:saveim", "|E|@/E|e+ + u|E=e+"},
    {"file:E=e open:E type:+ sh:echo~t>>E a:7 do:saveim", "o <changed> |E|@/E|e+ * u|E=et\n"},
    {"file:E=e open:E type:+ sh:echo~t>>E a:6 do:saveim", "o <changed> |E|@/E|e+ + u|E=e+"},
    {"file:E=e open:E type:+ sh:echo~f>F&&mv~F~E a:7 do:saveim", "o <changed> |E|@/E|e+ * u|E=f\n"},
    {"file:E=e open:E type:+ sh:rm~E do:saveim", "o |E|@/E|e+ + u|E=e+"},
    // Whatever makes Open fail, the document before it comes back exactly:
    // text, marks, state, selection, and its undo history and line breaks.
    // The files opened are sparse: no room taken on disk.
    {"bound indent select:2=7 o:big/T do:open", "<T> No such file <open> <B> [2 7] {2 13}<B=>"},
    {"bound indent fail:read~@/big/T big:4000 undo newline",
     "<T> <EIO> <open> |B|@/B|bound\n * u {2 13} in @/big<B=>"},
    {"bound big:2147483648", "<T> <2 GiB> <open> <B> in @/big<B=>"},
    {"bound limit:256 big:1500000000", "<T> Not enough memory <open> <B> in @/big<B=>"},
    // Dropped from the desktop: one local file opens as Open does after its
    // dialog; anything else is refused while still dragging.
    {"sub clear drop:file://@/sub/D", "|D|@/sub/D|d in @/sub|B=b"},
    {"sub clear dropw:file://@/sub/D", "|D|@/sub/D|d in @/sub|B=b"},
    {"sub type:! a:2 clear drop:file://@/sub/D", "q |B|@/B|b! * u|B=b"},
    {"sub type:! a:6 clear drop:file://@/sub/D", "q |D|@/sub/D|d + in @/sub|B=b!"},
    {"sub clear drop:file://@/sub", "@/sub <read> Not a regular file <open> |B|@/B|b|B=b"},
    {"sub clear drop:file://@/sub/D,file://@/B", "refused |B|@/B|b|B=b"},
    {"file:B=b open:B clear drop:https://example.org/D", "refused |B|@/B|b|B=b"},
    // Typed and undone changes leave the text unsaved; caret and selection do not.
    {"show type:abc select:1=1 saved key:Z", "<U>azbc * u shown|"},
    {"show type:abc select:1=1 saved key:Backspace", "<U>bc * u shown|"},
    {"show type:abc select:1=1 saved key:Ctrl+Z", "<U> * shown|"},
    {"show type:abc select:1=1 saved key:Right", "<U>abc u shown|"},
    {"show type:abc select:1=1 saved key:Shift+Right", "<U>abc u [1 2] shown|"},
    // Edit and indentation, in a shown window whose program clipboard holds
    // "kept" and the desktop's "desk" (ed), or with "ab cd" as opened (abcd).
    // Enter adds the level's Tabs, Tab raises it, a Backspace straight after
    // an Enter lowers it; what is not typed into the text resets it. The
    // desktop's clipboard is never touched by Edit; a paste that does not
    // fit changes nothing, and in a single-byte code page a text its
    // character set lacks is not pasted from the desktop at all.
    {"ed keys:a\t\tb\r undone", "<U>a\t\tb\n\t\t * u ^7 {2 13} <kept> undo>a\t\tb\n shown|"},
    {"ed keys:\txy key:Left keys:\r", "<U>\tx\ny\t * u ^5 {1 13} <kept> shown|"},
    {"ed keys:\ta key:Num+Enter", "<U>\ta\n\t * u ^4 {1 13} <kept> shown|"},
    {"ed keys:\t\ta\r\b\b", "<U>\t\ta\n * u ^4 {1 8} <kept> shown|"},
    {"ed keys:a\r\b", "<U>a * u ^1 {0 8} <kept> shown|"},
    {"ed keys:\ta\r key:Shift keys:\b", "<U>\ta\n * u ^3 {1 8} <kept> shown|"},
    {"ed keys:ab\rcd key:Ctrl+A keys:\t", "<U>\t * u ^1 {1 9} <kept> shown|"},
    {"ed keys:\t\tx\r key:Left", "<U>\t\tx\n\t\t * u ^5 {2 16777234} <kept> shown|"},
    {"ed keys:\t\tx\r click", "<U>\t\tx\n\t\t * u ^0 {0 0} <kept> shown|"},
    {"ed file:Hello.java=class~Hello~{}%0A keys:\t\tx\r a:7 o:Hello.java do:open",
     "q o |Hello.java|@/Hello.java|class Hello {}\n ^0 {0 0} <kept> shown|Hello.java=class Hello "
     "{}\n"},
    {"ed keys:\t\tx\r a:7 do:open", "q o <U>\t\tx\n\t\t * u ^6 {2 13} <kept> shown|"},
    {"ed keys:\t\tx\r a:7 do:new", "q <U> ^0 {2 13} <kept> shown|"},
    {"abcd select:1=1 do:edcopy undone", "<U>ab cd ^1 {0 0} <ab cd>"},
    {"abcd select:3=5 do:edcopy undone", "<U>ab cd [3 5] {0 0} clip=cd <ab cd>"},
    {"abcd select:3=5 do:edcut undone", "<U>ab  * u ^3 {0 0} clip=cd <ab cd>"},
    {"abcd select:0=3 prog: do:edpaste undone", "<U>cd * u ^0 {0 0} <ab cd>"},
    {"abcd select:3=5 do:edpaste undone", "<U>ab kept * u ^7 {0 0} <kept> undo>ab cd shown|"},
    {"abcd select:3=5 prog:\t\t do:edpaste undone", "<U>ab \t\t * u ^5 {0 0} clip=\t\t <ab cd>"},
    {"abcd select:2=5 do:eddel undone", "<U>ab * u ^2 {0 0} <kept> undo>ab cd shown|"},
    {"abcd select:3=5 prog:huge do:edpaste undone",
     "The text could not be pasted\rThe text would grow larger than 2 GiB, the most the editor can "
     "hold|Can't paste|64 <U>ab cd [3 5] {0 0} clip=huge <ab cd>"},
    {"abcd select:3=5 prog:big limit:128 do:edpaste undone",
     "The text could not be pasted\rNot enough memory|Can't paste|64 <U>ab cd [3 5] {0 0} "
     "clip=huge <ab cd>"},
    {"abcd select:3=5 desk:caf\u00e9 key:Ctrl+V undone",
     "<U>ab caf\xE9 * u ^7 {0 16777249} clip=kept desk=caf\xC3\xA9 undo>ab cd shown|"},
    {"abcd select:3=5 desk:\u041f key:Ctrl+V undone",
     "<U>ab cd [3 5] {0 16777249} clip=kept desk=\xD0\x9F undo>ab cd shown|"},
    // Enter takes the file's first line break, LF where it has none; New
    // returns to LF.
    {"file:B=a%0D%0Ab%0Ac open:B end do:saveim do:new newline", "o <U>\n * + u|B=a\r\nb\nc\r\n"},
    {"file:B=a%0Db%0D%0A open:B end", "o |B|@/B|a\rb\r\n\r * u|B=a\rb\r\n"},
    {"file:B=a%0Ab%0D%0A open:B end", "o |B|@/B|a\nb\r\n\n * u|B=a\nb\r\n"},
    {"file:B=a open:B end", "o |B|@/B|a\n * u|B=a"},
    // Real keys around bytes that form no UTF-8 character (the lone FF, the
    // C3 that starts nothing, the cut four bytes): each moves, deletes and
    // is typed next to as a character of its own, and every byte no key
    // touched is saved as it was. Single-byte: the euro sign is three
    // characters, and Omega cannot be typed.
    {"utf8 odd", "o |B|@/B|a\xff\xc3\xbcx\u20acy\xf0\x9f\u03a9\n\xc3 + u "
                 "shown|B=a\xff\xc3\xbcx\u20acy\xf0\x9f\u03a9\n\xc3"},
    {"odd", "o |B|@/B|a\xff\xfcx\u20acy\xf0\x9f\n\xc3 + u shown|B=a\xff\xfcx\u20acy\xf0\x9f\n\xc3"},
    // Out of memory inside the text component, where no command of ours is
    // on the stack: the editor tells the user and carries on.
    {"show type:hi clip:64 limit:32 key:Ctrl+V clip:0 key:Ctrl+End key:!",
     "<mem><U>hi! * u shown|"},
    // Ended from outside (a signal, a lost display), unsaved text goes byte
    // for byte into a new file named after the document, beside it or,
    // untitled or where the folder refuses, in the home folder ("~"); never
    // over another file, only once; the launch scripts go either way.
    // "(both)": the file's bytes and then the typed ones.
    {"H emergency", "@/H.<uc> o <H>|H=h H.<uc>=(both)"},
    {"type:* file:temc.bat=javac~H emergency",
     "~/Untitled.java.<uc> <U>(typed) * u| ~Untitled.java.<uc>=(typed)"},
    {"file:H.unsaved-changes=o H emergency", "@/H.2.<uc> o <H>|H=h H.2.<uc>=(both) H.<uc>=o"},
    {"H fs:ro emergency", "~/H.<uc> o <H>|H=h temc.bat=javac H ~H.<uc>=(both)"},
    {"H fs:0 emergency", "~/H.<uc> o <H>|H=h filler= ~H.<uc>=(both)"},
    {"H saved emergency", " o |H|@/H|(both) u|H=h"},
    // A launch script that could not be written whole is told and never
    // started: an empty or cut script must not run. Creating the empty
    // script needs no room; only its bytes do.
    {"s:H do:save fs:0 do:compile", "s temc.bat <write> <NOSPC>|Can't compile|64 <H.java>"},
    {"s:H do:save fs:12288 do:compile",
     "s temc.bat<H.java>@echo OFF\r\nclearscr\r\njavac H.java\r\nkeypress"},
    // /proc/self/pagemap claims 0 bytes and reads hundreds of gigabytes:
    // Open ends at the limit.
    // Load and save never look at the code page; Save As binds the copy,
    // and undo works again after Open.
    {"utf8 file:S= rt", "o s |C.java|@/C.java| * +|C.java=+ S="},
    {"utf8 file:S=* rt", "o s |C.java|@/C.java|(mixed) * +|C.java=(mixed)+ S=(mixed)"},
    {"sh:mkdir~x&&ln~-s~/proc/self/pagemap~x/pm o:x/pm do:open",
     "o @/x/pm <read> <2 GiB> <open> <U> in @/x|"},
};

// A write of `size` bytes on a real disk, by alice where the scene names
// other accounts and by root otherwise, to a file made
// by root with a shell line in work/, which holds x.java: everything the
// user can see but the content stays, as when a shell's redirection writes,
// or it is refused as that redirection is. Disks: "" the temporary folder's,
// else a small tmpfs with "0" or "12288" bytes left free, or "ro". Sizes
// past 16 KiB matter: smaller writes used to wait in a buffer whose failure
// was lost.
struct DiskRow {
    const char *name, *disk, *scene, *reason; // reason: empty when written
    int size = 100;
};
const DiskRow diskRows[] = {
    {"full, 1 byte", "0", "true", "No space left on device", 1},
    {"nearly full, 100 bytes", "12288", "true", ""},
    {"nearly full, 16 KiB + 1", "12288", "true", "No space left on device", 16385},
    {"read-only", "ro", "true", "Read-only file system"},
    {"no new files, shorter", "", "chown -R $ALICE . && chmod 555 .", "", 10},
    {"no new files, no room", "12288", "chown -R $ALICE . && chmod 555 .",
     "No space left on device", 16385},
    {"second hard link", "", "ln x.java x2.java", ""},
    {"ACL, attribute", "", "setfacl -m u:nobody:rw x.java && setfattr -n user.x -v 1 x.java", ""},
    {"bob's 644 file", "", "chown $ALICE . && chown $BOB x.java", "Permission denied"},
    {"bob's 666 file", "", "chown $ALICE . && chown $BOB x.java && chmod 666 x.java", ""},
    {"sticky, bob's 666", "", "chmod 1777 . && chown $BOB x.java && chmod 666 x.java", ""},
    {"append-only folder", "", "chattr +a .", ""},
    {"name of 255 bytes", "", "cp x.java LONG.java", ""},
    {"dangling links", "", "ln -sf b x.java && ln -s ../other/c b && ln -s m ../other/c", ""},
};

// Bytes show as the set's characters and typed ones become its bytes; ASCII
// and a set the system cannot convert keep Latin-1.
struct CharsetRow {
    const char *name, *text, *bytes, *outside; // outside: a character the set lacks
};
const CharsetRow charsetRows[] = {{"KOI8-R", "\u0436", "\xd6", "\u00e9"},
                                  {"ISO-8859-15", "\u20ac", "\xa4", "\u00a4"},
                                  {"ANSI_X3.4-1968", "\u00e9", "\xe9", "\u0436"},
                                  {"NO-SUCH-SET", "\u00e9", "\xe9", "\u0436"}};

// The button pressed and the style (-1: the input box, where a pasted command
// longer than a line edit's default limit comes back whole and Cancel gives
// the empty string); the box's title, buttons, icon and texts as shown, and
// the answer.
const EditorRow boxRows[] = {
    {"OK 0", "T|OK|icon 0|\n<b>f\ns|plain|1"},
    {"OK 64", "T|OK|icon 1|\n<b>f\ns|plain|1"},
    {"No 4", "T|No Yes|icon 0|\n<b>f\ns|plain|7"},
    {"Yes 3", "T|Cancel No Yes|icon 0|\n<b>f\ns|plain|6"},
    {"Cancel 3", "T|Cancel No Yes|icon 0|\n<b>f\ns|plain|2"},
    {"OK -1", "T|Cancel OK|icon 0|Prompt|rich|(long)"},
    {"Cancel -1", "T|Cancel OK|icon 0|Prompt|rich|"},
};

} // namespace

class TestFiles : public QObject {
    Q_OBJECT

private slots:

    // The text component takes the platform's code page.
    void editor_data() { addRows(editorRows); }
    void editor() {
        const EditorRow& r = row(editorRows);
        if (strstr(r.name, "limit:") && !canLimitMemory)
            QSKIP("address sanitizer: a memory limit cannot produce a failed allocation");
        const bool utf8 = !strncmp(r.name, "utf8 ", 5);
        Doc d(utf8 ? CodePage::Utf8 : CodePage::SingleByte);
        if (strstr(r.name, "fs:") && !d.fs.emplace().mounted)
            QSKIP("cannot mount a tmpfs");
        QCOMPARE(d.text().SendScintilla(QsciScintillaBase::SCI_GETCODEPAGE), utf8 ? 65001L : 0L);
        d.run(r.name + (utf8 ? 5 : 0));
        QCOMPARE(d.seen(), QByteArray(r.seen));
    }

    void writesOnRealDisks_data() { addRows(diskRows); }
    void writesOnRealDisks() {
        const DiskRow& r = row(diskRows);
        const QString longName(250, 'L'),
            target = strstr(r.scene, "LONG") ? "work/" + longName + ".java" : "work/x.java";
        QString why;
        std::optional<OtherAccounts> accounts;
        if (::geteuid() != 0 || (strchr(r.scene, '$') && !(accounts = OtherAccounts::get(&why))))
            QSKIP(qPrintable("needs d.at() and other accounts: " + why));
        Doc d;
        if (*r.disk && !d.fs.emplace().mounted)
            QSKIP("cannot mount a tmpfs");
        const QByteArray text = allBytes(r.size);
        // Or the folders could not be removed.
        const auto unmark = qScopeGuard([&] { sh(d.at(), "chattr -a */work 2>/dev/null"); });
        QString scene = "mkdir \"$1\" && cd \"$1\" && mkdir work other && cd work && "
                        "echo 'class Old {}' >x.java && " +
                        QString(r.scene).replace("LONG", longName);
        const auto id = [](const Account& a) { return QString("%1:%2").arg(a.uid).arg(a.gid); };
        if (accounts)
            scene.replace("$ALICE", id(accounts->alice)).replace("$BOB", id(accounts->bob));
        // The same scene twice; in "shell" the shell's redirection writes, or nothing.
        if (!openToOthers(d.at()) || !sh(d.at(), scene, "mine") || !sh(d.at(), scene, "shell"))
            QSKIP("this file system refuses the scene");
        QVERIFY(*r.reason || writeBytes(d.at() + "/shell/" + target, text));
        d.run(*r.disk ? "fs:" + QString(r.disk) : "");
        const auto write = [&] {
            QString error;
            fileaccess::writeFile(d.at() + "/mine/" + target, text.constData(), text.size(),
                                  &error);
            return error;
        };
        QCOMPARE(accounts ? runAs(accounts->alice, accounts->shared, write) : write(), r.reason);
        // What a user sees of every name: owner, group, mode, link count or
        // target, content, and every extended attribute with the ACL.
        const auto seen = [&](const QString& twin) {
            sh(d.at() + '/' + twin,
               "find . -printf '%P %U %G %m %n %l\\n' | sort >\"$1\"; find . -type f -exec "
               "md5sum {} + | sort -k 2 >>\"$1\"; getfattr -Rhd -m - -e hex . >>\"$1\" 2>/dev/null",
               d.filePath(twin + ".seen"));
            return readBytes(d.filePath(twin + ".seen"));
        };
        QCOMPARE(seen("mine"), seen("shell"));
    }

    // The reasons the editor shows when a file is not there to work on; a
    // reader that gives up ends the read as a failure. The code page follows
    // the locale the program is started in: only a UTF-8 character set,
    // however spelled, gives UTF-8. The names are those nl_langinfo gives.
    void desktopServices() {
        QString error;
        QVERIFY(!fileaccess::deleteFile("/absent", &error));
        QCOMPARE(error, "No such file");
        QCOMPARE(fileaccess::fileLength("/absent"), qint64(-1));
        QVERIFY(!fileaccess::readFile(
            "/proc/self/stat", [](const char*, qint64) { return false; }, &error));
        const QByteArray previous = qgetenv("LC_ALL");
        for (const char* locale : {"C.UTF-8", "C.utf8", "POSIX"}) {
            qputenv("LC_ALL", locale);
            QCOMPARE(localeCodePage() == CodePage::Utf8, strcmp(locale, "POSIX") != 0);
        }
        qputenv("LC_ALL", previous);
        std::setlocale(LC_ALL, "");
    }

    void singleByteCharsets_data() { addRows(charsetRows); }
    void singleByteCharsets() {
        const CharsetRow& r = row(charsetRows);
        useSingleByteCharset(r.name);
        const auto reset = qScopeGuard([] { useSingleByteCharset(nullptr); });
        QCOMPARE(encodeText(r.text, CodePage::SingleByte), r.bytes);
        QCOMPARE(decodeSingleByte(r.bytes, qsizetype(strlen(r.bytes))), r.text);
        QCOMPARE(firstUnencodable(r.outside, CodePage::SingleByte),
                 std::optional<char32_t>(QString(r.outside).at(0).unicode()));
    }

    // A file name in a message is shown as itself, never as markup. The box
    // is modal: it is read and answered from inside its own loop. It opens
    // over the window the user is in, the font dialog here, not the main window.
    void boxes_data() { addRows(boxRows); }
    void boxes() {
        const EditorRow& r = row(boxRows);
        const int style = QString(r.name).section(' ', 1).toInt();
        QWidget main, fonts(&main, Qt::Dialog);
        main.show(), fonts.show(), fonts.activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == &fonts);
        QStringList shown;
        QWindow* over = nullptr;
        QTimer::singleShot(0, [&] {
            QWidget* w = QApplication::activeModalWidget();
            over = w->windowHandle()->transientParent();
            if (auto* edit = w->findChild<QLineEdit*>())
                edit->insert(QString(40000, 'x'));
            auto* box = qobject_cast<QMessageBox*>(w);
            QStringList captions;
            const auto buttons = w->findChildren<QAbstractButton*>();
            for (QAbstractButton* b : buttons)
                captions << b->text().remove('&');
            buttons.at(captions.indexOf(QString(r.name).section(' ', 0, 0)))->click();
            captions.sort();
            shown << w->windowTitle() << captions.join(' ')
                  << QString("icon %1").arg(box ? box->icon() : 0);
            for (QLabel* label : w->findChildren<QLabel*>())
                if (!label->text().isEmpty())
                    shown << label->text()
                          << (label->textFormat() == Qt::PlainText ? "plain" : "rich");
        });
        QtPlatform p(CodePage::Utf8, &main);
        shown << (style < 0
                      ? p.inputBox("Prompt", "T")
                      : QString::number(int(p.messageBox("\r<b>f\rs", MsgStyle(style), "T"))));
        QCOMPARE(shown.join('|').replace(QString(40000, 'x'), "(long)"), r.seen);
        QVERIFY(over == fonts.windowHandle());
    }

    // A console that fails after it started is told while the window is
    // open, and never once the window has gone.
    void lateFailureOnlyWhileOpen() {
        const Folder dir;
        QVERIFY(QDir().mkdir("bin") && writeBytes("bin/xterm", "#!/bin/sh\necho gone >&2; exit 1"));
        QVERIFY(QFile::setPermissions("bin/xterm", QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH"), display = qgetenv("DISPLAY");
        qputenv("PATH", dir.filePath("bin").toLocal8Bit()), qputenv("DISPLAY", ":9");
        QWidget main;
        QtPlatform p(CodePage::Utf8, &main);
        QStringList told;
        const qsizetype fds = QDir("/proc/self/fd").count();
        for (const bool open : {true, false}) {
            main.setVisible(open);
            QVERIFY(
                p.startProcess("command.com", nullptr, [&](const QString& why) { told << why; }));
            QTRY_COMPARE(QDir("/proc/self/fd").count(), fds); // the watch has ended
        }
        qputenv("PATH", path), qputenv("DISPLAY", display);
        QCOMPARE(told, QStringList{"gone"});
    }
};

int main(int argc, char* argv[]) {
    Application app(argc, argv);
    TestFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_files.moc"
