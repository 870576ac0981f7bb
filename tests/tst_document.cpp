// New, Open, Save and Save As: questions, titles, state, and bytes on disk.
#include "app/EmergencyExit.h"
#include "support/Editor.h"
#include "support/MemoryLimit.h"
#include "support/TestFiles.h"
#include "support/TmpfsMount.h"

#include <QDir>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <optional>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

const QString untitled = "Untitled - Tarnwick";
const PlatformCall unsavedQuestion{"messageBox", "Do you want to save the changes",
                                   "File not saved", 3};

QByteArray allByteValues() {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

} // namespace

class TestDocument : public QObject {
    Q_OBJECT

private slots:
    void init() {
        // A fresh folder for every row: files of one row never meet the next.
        dir.emplace();
        QVERIFY(dir->isValid());
        QDir::setCurrent(dir->path());
    }

    void roundTripKeepsEveryByte_data() {
        QTest::addColumn<bool>("utf8"); // the code page: UTF-8 or single-byte
        QTest::addColumn<QByteArray>("content");
        for (const bool utf8 : {false, true}) {
            const auto row = [utf8](const char* name, const QByteArray& content) {
                QTest::addRow("%s, %s", utf8 ? "UTF-8" : "single-byte", name) << utf8 << content;
            };
            row("all 256 byte values, NUL first", allByteValues() + allByteValues());
            row("mixed line breaks", "a\r\nb\rc\nd\r\r\n\n\re\r");
            row("empty file", QByteArray());
            // Cut, overlong, surrogate and out-of-range sequences beside valid ones.
            row("invalid UTF-8", "\xc3(\xe2\x82\r\n\xf0\x9f\x98\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80"
                                 "\xef\xbb\xbfGr\xc3\xbc\xc3\x9f\x65\xf0\x9f\x98\x80\xc3");
        }
    }
    void roundTripKeepsEveryByte() {
        QFETCH(bool, utf8);
        QFETCH(QByteArray, content);
        Editor e(utf8 ? CodePage::Utf8 : CodePage::SingleByte);
        QCOMPARE(e.text().SendScintilla(QsciScintillaBase::SCI_GETCODEPAGE),
                 utf8 ? long(QsciScintillaBase::SC_CP_UTF8) : 0L);
        const QString source = dir->filePath(QStringLiteral("Source.java"));
        QVERIFY(writeBytes(source, content));
        e.open(source);
        QCOMPARE(e.text().bytes(), content);
        QCOMPARE(e.text().byteLength(), qint64(content.size()));

        // Save rewrites the same file without a dialog; Save As writes a copy
        // under a new name.
        const QString copy = dir->filePath("Copy.java");
        e.form.saveim();
        e.platform.saveAnswers.push_back(FakePlatform::choose(copy));
        e.form.save();
        QCOMPARE(readBytes(source), content);
        QCOMPARE(readBytes(copy), content);
        QCOMPARE(e.platform.callsOf("messageBox"), QList<PlatformCall>());
        // Bound to the copy now: Save writes there, without a dialog.
        e.type("+");
        e.form.saveim();
        QCOMPARE(readBytes(copy), content + "+");
        QCOMPARE(readBytes(source), content);
        QCOMPARE(e.platform.callsOf("saveDialog").size(), 1);
    }

    // Given the untitled text "typed", saved or not, when New or Open runs
    // with these answers, then exactly these dialogs appear in this order
    // (q: the question, s: save dialog, o: open dialog), and the editor
    // shows this text under this title.
    void askBeforeDiscarding_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("saveAs"); // the save dialog's choice; empty: cancelled
        QTest::addColumn<QString>("open");   // the open dialog's choice; empty: cancelled
        QTest::addColumn<QString>("dialogs");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("title");
        const QString second = "Second.java - Tarnwick";
        const auto row = [&](const char* tag, const char* command, bool saved, int answer,
                             const char* saveAs, const char* open, const char* dialogs,
                             const QByteArray& text, const QString& title) {
            QTest::newRow(tag) << QString(command) << saved << answer << QString(saveAs)
                               << QString(open) << QString(dialogs) << text << title;
        };
        row("new, saved: no question", "new", true, 0, "", "", "", "", untitled);
        row("new, Cancel", "new", false, 2, "", "", "q", "typed", untitled);
        row("new, No", "new", false, 7, "", "", "q", "", untitled);
        row("new, Yes, save cancelled", "new", false, 6, "", "", "qs", "typed", untitled);
        row("new, Yes, saved", "new", false, 6, "New.java", "", "qs", "", untitled);
        row("open, saved: no question", "open", true, 0, "", "Second.java", "o", "second\r\n",
            second);
        row("open, Cancel", "open", false, 2, "", "Second.java", "q", "typed", untitled);
        row("open, No", "open", false, 7, "", "Second.java", "qo", "second\r\n", second);
        row("open, No, open cancelled", "open", false, 7, "", "", "qo", "typed", untitled);
        row("open, Yes, save cancelled", "open", false, 6, "", "Second.java", "qs", "typed",
            untitled);
        row("open, Yes, saved", "open", false, 6, "New.java", "Second.java", "qso", "second\r\n",
            second);
    }
    void askBeforeDiscarding() {
        QFETCH(QString, command);
        QFETCH(bool, saved);
        QFETCH(int, answer);
        QFETCH(QString, saveAs);
        QFETCH(QString, open);
        QFETCH(QString, dialogs);
        QFETCH(QByteArray, text);
        QFETCH(QString, title);
        QVERIFY(writeBytes("Second.java", "second\r\n"));
        Editor e;
        e.type("typed");
        e.state().isSaved = saved;
        if (answer)
            e.platform.messageAnswers.push_back(MsgAnswer(answer));
        const auto choice = [this](const QString& name) {
            return name.isEmpty() ? std::nullopt
                                  : std::optional(FakePlatform::choose(dir->filePath(name)));
        };
        e.platform.saveAnswers.push_back(choice(saveAs));
        e.platform.openAnswers.push_back(choice(open));
        e.form.action(command)->trigger();

        QString shown;
        for (const PlatformCall& call : e.platform.calls) {
            if (call.service == "messageBox") {
                QCOMPARE(call, unsavedQuestion);
                shown += 'q';
            } else if (call.service.endsWith("Dialog")) {
                QCOMPARE(call.text, "Java Files (*.java)");
                QCOMPARE(call.title, "*.java");
                shown += call.service.at(0);
            }
        }
        QCOMPARE(shown, dialogs);
        QCOMPARE(e.text().bytes(), text);
        QCOMPARE(e.form.windowTitle(), title);
        QCOMPARE(e.state().filePath, title == untitled ? "" : dir->filePath("Second.java"));
        QCOMPARE(e.state().isSaved, text != "typed");
        QCOMPARE(readBytes("New.java"), saveAs.isEmpty() ? "<unreadable>" : "typed");
        if (text != "typed") {
            // Undo never reaches back across New or Open, and works again
            // for the edits that follow.
            QVERIFY(!e.text().isUndoAvailable());
            e.type("+");
            e.text().undo();
            QCOMPARE(e.text().bytes(), text);
        }
    }

    void saveAsOntoExistingFile_data() {
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("dialogsShown");
        QTest::addColumn<bool>("written");
        QTest::newRow("empty file: replaced without asking")
            << QByteArray() << QList<int>{} << 1 << true;
        QTest::newRow("non-empty, Yes")
            << QByteArray("old longer content") << QList<int>{6} << 1 << true;
        QTest::newRow("non-empty, No, then dialog cancelled")
            << QByteArray("old longer content") << QList<int>{7} << 2 << false;
        QTest::newRow("non-empty, No, No, Yes")
            << QByteArray("old longer content") << QList<int>{7, 7, 6} << 3 << true;
    }
    void saveAsOntoExistingFile() {
        QFETCH(QByteArray, existing);
        QFETCH(QList<int>, answers);
        QFETCH(int, dialogsShown);
        QFETCH(bool, written);
        Editor e;
        const QString target = dir->filePath("Target.java");
        QVERIFY(writeBytes(target, existing));
        e.type("new");
        for (int a : answers)
            e.platform.messageAnswers.push_back(MsgAnswer(a));
        for (int i = 0; i < answers.size() || i < 1; ++i)
            e.platform.saveAnswers.push_back(FakePlatform::choose(target));
        e.form.save();

        QCOMPARE(e.platform.callsOf("saveDialog").size(), dialogsShown);
        const PlatformCall question{"messageBox", "File already exists, overwrite(Y/N)",
                                    "Overwrite?", 4};
        QCOMPARE(e.platform.callsOf("messageBox"), QList<PlatformCall>(answers.size(), question));
        QCOMPARE(e.state().saveCompleted, written);
        QCOMPARE(e.state().isSaved, written);
        QCOMPARE(readBytes(target), written ? QByteArray("new") : existing);
        QCOMPARE(e.form.windowTitle(), written ? "Target.java - Tarnwick" : untitled);
        QCOMPARE(e.state().filePath, written ? target : QString());
    }

    // A name typed without any suffix is saved as a Java file; the overwrite
    // question and the title are about that file. Any dot is a suffix chosen.
    void saveAsAddsJavaSuffix_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("existing"); // a non-empty file under the written name
        QTest::newRow("Prog") << "Prog"
                              << "Prog.java" << false;
        QTest::newRow("Prog, Prog.java exists: asks about it") << "Prog"
                                                               << "Prog.java" << true;
        QTest::newRow("Prog.txt: kept") << "Prog.txt"
                                        << "Prog.txt" << false;
        QTest::newRow(".hidden: a dot file keeps its name") << ".hidden"
                                                            << ".hidden" << false;
    }
    void saveAsAddsJavaSuffix() {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(bool, existing);
        Editor e;
        if (existing)
            QVERIFY(writeBytes(dir->filePath(written), "older and longer"));
        e.type("class Prog {}");
        e.platform.saveAnswers.push_back(FakePlatform::choose(dir->filePath(typed)));
        e.platform.messageAnswers.push_back(MsgAnswer::Yes);
        e.form.save();

        QCOMPARE(readBytes(dir->filePath(written)), QByteArray("class Prog {}"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{written});
        QCOMPARE(e.state().filePath, dir->filePath(written));
        QCOMPARE(e.state().fileTitle, written);
        QCOMPARE(e.form.windowTitle(), written + QStringLiteral(" - Tarnwick"));
        const auto questions = e.platform.callsOf(QStringLiteral("messageBox"));
        QCOMPARE(questions.size(), existing ? 1 : 0);
        if (existing)
            QCOMPARE(questions.first().title, QStringLiteral("Overwrite?"));
    }

    // Ended from outside (a signal, a lost display), unsaved text goes byte
    // for byte into a new file named after the document, beside it or, for
    // an untitled text or a folder that refuses, in the home folder; never
    // over another file, and only once. The launch scripts go either way.
    void emergencyCopyKeepsTheText_data() {
        QTest::addColumn<QString>("folder"); // the document's: "work", "none" (untitled),
                                             // "read-only" or "full" (small tmpfs mounts)
        QTest::addColumn<bool>("taken");     // the copy's first name exists already
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("copy"); // "work/..." or "home/..."; empty: none
        QTest::newRow("every byte, beside the file")
            << "work" << false << false << "work/Hello.java.unsaved-changes";
        QTest::newRow("untitled: home folder")
            << "none" << false << false << "home/Untitled.java.unsaved-changes";
        QTest::newRow("name taken: a number added")
            << "work" << true << false << "work/Hello.java.2.unsaved-changes";
        QTest::newRow("read-only folder: home folder")
            << "read-only" << false << false << "home/Hello.java.unsaved-changes";
        QTest::newRow("full disk: home folder, nothing left behind")
            << "full" << false << false << "home/Hello.java.unsaved-changes";
        QTest::newRow("saved: no copy") << "work" << false << true << "";
    }
    void emergencyCopyKeepsTheText() {
        QFETCH(QString, folder);
        QFETCH(bool, taken);
        QFETCH(bool, saved);
        QFETCH(QString, copy);
        QTemporaryDir home;
        std::optional<TmpfsMount> mount;
        QString documentFolder = dir->path();
        if (folder == "read-only" || folder == "full") {
            mount.emplace();
            if (!mount->mounted())
                QSKIP(qPrintable(mount->error()));
            documentFolder = mount->path();
        }
        const QString document = documentFolder + "/Hello.java";
        const QByteArray original = "class Hello {}\r\n";
        const QByteArray typed = allByteValues() + "\r\n" + QByteArray(1, '\0') + "end";
        const QByteArray older = "an older copy";
        if (taken)
            QVERIFY(writeBytes(document + ".unsaved-changes", older));
        Editor e;
        if (folder != "none") {
            QVERIFY(writeBytes(document, original));
            e.open(document);
        }
        e.type(typed);
        if (saved)
            e.state().isSaved = true;
        // In the working folder, where Open has left it.
        QVERIFY(writeBytes("temc.bat", "javac Hello.java"));
        if (folder == "read-only")
            QVERIFY(mount->makeReadOnly());
        if (folder == "full")
            QVERIFY(mount->fill());

        EmergencyExit emergency(e.state(), e.text(), e.platform, home.path());
        const QString written = emergency.run();
        QString expected = copy;
        expected.replace("work/", dir->path() + "/").replace("home/", home.path() + "/");
        QCOMPARE(written, expected);
        if (!copy.isEmpty())
            QCOMPARE(readBytes(written), (folder == "none" ? QByteArray() : original) + typed);
        // Once: a second end finds nothing more to do.
        QCOMPARE(emergency.run(), QString());
        QStringList inWork{"Hello.java"};
        if (taken)
            inWork.append("Hello.java.unsaved-changes");
        if (copy.startsWith("work/"))
            inWork.append(copy.mid(5));
        if (documentFolder == dir->path()) {
            std::sort(inWork.begin(), inWork.end());
            QCOMPARE(filesIn(dir->path()), folder == "none" ? QStringList() : inWork);
        } else {
            QCOMPARE(filesIn(dir->path()), QStringList());
            // A read-only folder keeps its script too.
            QCOMPARE(filesIn(documentFolder),
                     QStringList(
                         {"Hello.java", folder == "full" ? TmpfsMount::fillerName : "temc.bat"}));
        }
        QCOMPARE(filesIn(home.path()),
                 copy.startsWith("home/") ? QStringList(copy.mid(5)) : QStringList());
        if (taken)
            QCOMPARE(readBytes(document + ".unsaved-changes"), older);
        if (folder != "none")
            QCOMPARE(readBytes(document), original);
    }

    // A failed write is reported, binds no name, and nothing that asked for
    // the save goes on to discard the text. (Failures of the real disk,
    // with a bound file, are in tst_fulldisk.)
    void failedSaveIsReportedAndKeepsText_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("Save") << "saveim";
        QTest::newRow("Save As") << "save";
        QTest::newRow("New after Yes") << "new";
        QTest::newRow("Open after Yes") << "open";
        QTest::newRow("Exit after Yes") << "exit";
    }
    void failedSaveIsReportedAndKeepsText() {
        QFETCH(QString, command);
        Editor e;
        e.form.show();
        const QString path = dir->filePath("Kept.java");
        QVERIFY(writeBytes(path, "on disk"));
        e.type("typed");
        e.platform.fail.insert("write " + path, "No space left on device");
        // Yes to the unsaved-changes question, then Yes to overwriting.
        e.platform.messageAnswers = {MsgAnswer::Yes, MsgAnswer::Yes};
        e.platform.saveAnswers.push_back(FakePlatform::choose(path));
        e.platform.openAnswers.push_back(FakePlatform::choose(path));
        e.form.action(command)->trigger();

        QCOMPARE(
            e.platform.callsOf("messageBox").last(),
            PlatformCall({"messageBox", path + " could not be written\rNo space left on device",
                          "Can't save", 64}));
        QCOMPARE(e.text().bytes(), QByteArray("typed"));
        QVERIFY(!e.state().isSaved);
        QVERIFY(!e.state().saveCompleted);
        QCOMPARE(e.state().filePath, QString());
        QCOMPARE(e.form.windowTitle(), untitled);
        QCOMPARE(readBytes(path), QByteArray("on disk"));
        QVERIFY(e.platform.callsOf("openDialog").isEmpty());
        QVERIFY(e.form.isVisible());
    }

    // Whatever makes Open fail, the document before it comes back exactly.
    // Another program changed the file after it was opened: Save asks before
    // it throws that change away, and No leaves disk and text as they are.
    void saveAfterChangeOnDisk_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("answer"); // 0: no question expected
        QTest::addColumn<bool>("written");
        QTest::newRow("unchanged") << "none" << 0 << true;
        QTest::newRow("unchanged since the last save") << "saved" << 0 << true;
        QTest::newRow("appended to, No") << "appended" << int(MsgAnswer::No) << false;
        QTest::newRow("appended to, Yes") << "appended" << int(MsgAnswer::Yes) << true;
        QTest::newRow("another file put in its place") << "replaced" << int(MsgAnswer::No) << false;
        QTest::newRow("deleted") << "deleted" << 0 << true;
    }
    void saveAfterChangeOnDisk() {
        QFETCH(QString, change);
        QFETCH(int, answer);
        QFETCH(bool, written);
        const QString path = dir->filePath("E.java");
        QVERIFY(writeBytes(path, "class E {}\n"));
        Editor e;
        e.open(path);
        e.type("// mine\n");
        if (change == "saved") {
            e.form.saveim();
            e.type("// more\n");
        }
        if (change == "appended") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append) && file.write("// theirs\n") == 10);
        } else if (change == "replaced") {
            QVERIFY(writeBytes("other", "class F {}\n") &&
                    std::rename("other", qPrintable(path)) == 0);
        } else if (change == "deleted") {
            QVERIFY(QFile::remove(path));
        }
        const QByteArray theirs = readBytes(path);
        if (answer)
            e.platform.messageAnswers.push_back(MsgAnswer(answer));
        e.platform.clearCalls();

        e.form.saveim();

        const QList<PlatformCall> question{
            {"messageBox",
             "The file has changed on disk since it was opened\r" + path + "\rSave anyway?",
             "File changed on disk", 260}};
        QCOMPARE(e.platform.callsOf("messageBox"), answer ? question : QList<PlatformCall>{});
        QCOMPARE(readBytes(path), written ? e.text().bytes() : theirs);
        QCOMPARE(e.state().saveCompleted, written);
        QCOMPARE(e.state().isSaved, written);
    }

    // Qt spells file names in UTF-8 whatever the locale: a name that the
    // locale's code page spells otherwise, or one Qt could not read, would
    // make the editor act on another file than the one chosen.
    void inexactNamesAreRefused_data() {
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title"); // of the refusal; empty: no refusal
        QTest::newRow("single-byte Save As beyond ASCII") << false << "save"
                                                          << "a\u00ff.java"
                                                          << "Can't save";
        QTest::newRow("UTF-8 Save As beyond ASCII") << true << "save"
                                                    << "a\u00ff.java"
                                                    << "";
        QTest::newRow("a name Qt could not read") << true << "open"
                                                  << "a\ufffd.java"
                                                  << "Can't open";
    }
    void inexactNamesAreRefused() {
        QFETCH(bool, utf8);
        QFETCH(QString, command);
        QFETCH(QString, name);
        QFETCH(QString, title);
        Editor e(utf8 ? CodePage::Utf8 : CodePage::SingleByte);
        const std::optional<FileChoice> choice = FakePlatform::choose(dir->filePath(name));
        e.platform.saveAnswers.push_back(choice);
        e.platform.openAnswers.push_back(choice);

        e.form.action(command)->trigger();

        const QList<PlatformCall> refusal{
            {"messageBox",
             dir->filePath(name) +
                 (command == "open" ? " could not be read\r" : " could not be written\r") +
                 "This locale's character set cannot spell the name exactly, so the editor "
                 "could reach another file by it; a name of ASCII letters and digits works "
                 "in every locale",
             title, 64}};
        QCOMPARE(e.platform.callsOf("messageBox"),
                 title.isEmpty() ? QList<PlatformCall>{} : refusal);
        QCOMPARE(filesIn(dir->path()), title.isEmpty() ? QStringList{name} : QStringList{});
        QCOMPARE(e.form.windowTitle(), title.isEmpty() ? name + " - Tarnwick" : untitled);
    }

    void failedOpenChangesNothing_data() {
        QTest::addColumn<qint64>("size"); // of the sparse file opened; -1: no file
        QTest::addColumn<bool>("failsHalfway");
        QTest::addColumn<qint64>("memoryHeadroom"); // 0: no limit
        QTest::addColumn<QString>("reason");
        QTest::newRow("vanished file") << qint64(-1) << false << qint64(0) << "No such file";
        QTest::newRow("read error halfway")
            << qint64(4000) << true << qint64(0) << "Input/output error";
        // Files this large are sparse: they take no room on disk.
        QTest::newRow("2 GiB: more than the text area edits correctly")
            << Text1::largestDocument + 1 << false << qint64(0)
            << "The file is larger than 2 GiB, the most the editor can hold";
        QTest::newRow("memory runs out")
            << qint64(1'500'000'000) << false << qint64(256 << 20) << "Not enough memory";
    }
    void failedOpenChangesNothing() {
        QFETCH(qint64, size);
        QFETCH(bool, failsHalfway);
        QFETCH(qint64, memoryHeadroom);
        QFETCH(QString, reason);
        if (memoryHeadroom && !canLimitMemory)
            QSKIP("address sanitizer: a memory limit cannot produce a failed allocation");
        Editor e;
        const QString bound = dir->filePath("Bound.java");
        QVERIFY(writeBytes(bound, "bound"));
        e.open(bound);
        e.type(" edit");
        e.state().indentLevel = 2;
        e.state().lastKeyCode = 13;
        const QString target = dir->filePath("Target.java");
        if (size >= 0)
            QVERIFY(writeBytes(target, "") && QFile(target).resize(size));
        if (failsHalfway)
            e.platform.fail.insert("read " + target, reason);
        e.text().setSelectionRange(2, 7);
        e.platform.messageAnswers.push_back(MsgAnswer::No);
        {
            std::optional<MemoryLimit> limit;
            if (memoryHeadroom)
                QVERIFY(limit.emplace(memoryHeadroom).active());
            e.open(target);
        }

        QCOMPARE(e.platform.callsOf("messageBox"),
                 QList<PlatformCall>(
                     {unsavedQuestion,
                      {"messageBox", target + " could not be read\r" + reason, "Can't open", 64}}));
        QCOMPARE(e.text().bytes(), QByteArray("bound edit"));
        QCOMPARE(e.form.windowTitle(), QStringLiteral("Bound.java - Tarnwick"));
        QCOMPARE(e.state().filePath, bound);
        QCOMPARE(e.state().fileTitle, QStringLiteral("Bound.java"));
        QVERIFY(!e.state().isSaved);
        QCOMPARE(e.state().indentLevel, 2);
        QCOMPARE(e.state().lastKeyCode, 13);
        // The very same document is back: selection, undo history, line breaks.
        QCOMPARE(e.text().anchorPosition(), 2L);
        QCOMPARE(e.text().caretPosition(), 7L);
        e.text().undo();
        QCOMPARE(e.text().bytes(), QByteArray("bound"));
        e.text().SendScintilla(QsciScintillaBase::SCI_NEWLINE);
        QCOMPARE(e.text().bytes(), QByteArray("bound\n"));
        // Nothing was created in place of a missing file.
        QCOMPARE(QFileInfo::exists(target), size >= 0);
    }

    // A file dropped from the desktop, through real Qt drag events on the text
    // area (or the window around it): one local file opens as Open does after
    // its dialog; anything else is refused while still dragging, and nothing
    // of it is typed into the text.
    void droppedFileOpens_data() {
        QTest::addColumn<QStringList>("urls"); // "@" stands for the temporary folder
        QTest::addColumn<bool>("ontoWindow");
        QTest::addColumn<int>("answer"); // to the unsaved-changes question; 0: none asked
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("opened"); // file name now bound, or empty: unchanged
        QTest::newRow("one file, nothing unsaved")
            << QStringList{"file://@/sub/Drop.java"} << false << 0 << true << "Drop.java";
        QTest::newRow("onto the menu bar's window")
            << QStringList{"file://@/sub/Drop.java"} << true << 0 << true << "Drop.java";
        QTest::newRow("unsaved, Cancel")
            << QStringList{"file://@/sub/Drop.java"} << false << 2 << true << "";
        QTest::newRow("unsaved, Yes: saved first")
            << QStringList{"file://@/sub/Drop.java"} << false << 6 << true << "Drop.java";
        QTest::newRow("a folder: Can't open")
            << QStringList{"file://@/sub"} << false << 0 << true << "";
        QTest::newRow("two files: refused")
            << QStringList{"file://@/sub/Drop.java", "file://@/Bound.java"} << false << 0 << false
            << "";
        QTest::newRow("a web address: refused")
            << QStringList{"https://example.org/Drop.java"} << false << 0 << false << "";
    }
    void droppedFileOpens() {
        QFETCH(QStringList, urls);
        QFETCH(bool, ontoWindow);
        QFETCH(int, answer);
        QFETCH(bool, accepted);
        QFETCH(QString, opened);
        Editor e;
        QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("sub")));
        const QString dropped = dir->filePath(QStringLiteral("sub/Drop.java"));
        const QString bound = dir->filePath(QStringLiteral("Bound.java"));
        QVERIFY(writeBytes(dropped, "dropped\r\n") && writeBytes(bound, "bound"));
        e.platform.openAnswers.push_back(FakePlatform::choose(bound));
        e.form.open();
        if (answer) {
            e.type(" edited");
            e.platform.messageAnswers.push_back(MsgAnswer(answer));
        }
        const QByteArray before = e.text().bytes();
        e.platform.clearCalls();

        QMimeData mime;
        QList<QUrl> list;
        for (const QString& url : urls)
            list << QUrl(QString(url).replace(QLatin1Char('@'), dir->path()));
        mime.setUrls(list);
        // File managers offer the names as text too, which the text area
        // would insert.
        mime.setText(list.first().toString());
        QWidget* target = ontoWindow ? static_cast<QWidget*>(&e.form) : e.text().viewport();
        const QPoint at(20, 20);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QCOMPARE(enter.isAccepted(), accepted);
        if (accepted)
            QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        // The file opens once the drop is over.
        QCoreApplication::processEvents();

        const auto messages = e.platform.callsOf(QStringLiteral("messageBox"));
        const auto folders = e.platform.callsOf(QStringLiteral("folder"));
        if (!opened.isEmpty()) {
            QCOMPARE(e.state().filePath, dropped);
            QCOMPARE(e.state().fileTitle, opened);
            QCOMPARE(e.form.windowTitle(), opened + QStringLiteral(" - Tarnwick"));
            QCOMPARE(e.text().bytes(), QByteArray("dropped\r\n"));
            QVERIFY(e.state().isSaved);
            QCOMPARE(QDir::currentPath(), QFileInfo(dropped).absolutePath());
            QCOMPARE(folders.size(), 1);
            // Yes saved the edited text to its own file first.
            QCOMPARE(readBytes(bound), answer == 6 ? before : QByteArray("bound"));
        } else {
            QCOMPARE(e.state().filePath, bound);
            QCOMPARE(e.form.windowTitle(), QStringLiteral("Bound.java - Tarnwick"));
            QCOMPARE(e.text().bytes(), before);
            QCOMPARE(readBytes(bound), QByteArray("bound"));
        }
        QCOMPARE(messages.size(), (answer ? 1 : 0) + (urls.first().endsWith("sub") ? 1 : 0));
        if (answer)
            QCOMPARE(messages.first(), unsavedQuestion);
        if (urls.first().endsWith("sub")) {
            QCOMPARE(messages.last().title, QStringLiteral("Can't open"));
            QVERIFY(messages.last().text.startsWith(dir->filePath(QStringLiteral("sub")) +
                                                    QStringLiteral(" could not be read\r")));
        }
        if (!accepted)
            QVERIFY(e.platform.calls.isEmpty());
    }

    // Typed and undone changes alike leave the document unsaved; moving the
    // caret or the selection does not. (Changes made by the program are
    // checked wherever a test types through Editor::type.)
    void everyChangeMarksUnsaved_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("unsaved");
        QTest::newRow("typed letter") << int(Qt::Key_Z) << int(Qt::NoModifier) << true;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << true;
        QTest::newRow("undo") << int(Qt::Key_Z) << int(Qt::ControlModifier) << true;
        QTest::newRow("caret move") << int(Qt::Key_Right) << int(Qt::NoModifier) << false;
        QTest::newRow("selection") << int(Qt::Key_Right) << int(Qt::ShiftModifier) << false;
    }
    void everyChangeMarksUnsaved() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, unsaved);
        Editor e;
        QVERIFY(e.showActive());
        e.type("abc");
        e.text().setSelectionRange(1, 1);
        e.state().isSaved = true;
        QTest::keyClick(&e.text(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(!e.state().isSaved, unsaved);
    }

    // Real keys around bytes that form no UTF-8 character: each moves,
    // deletes and is typed next to as one character of its own, and every
    // byte no key touched is saved as it was.
    void editsAroundInvalidBytes_data() {
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("UTF-8") << true
                               << QByteArray("a\xff\xc3\xbc"
                                             "b\xe2\x82\xac"
                                             "c\xf0\x9f\xce\xa9\n\xc3");
        // The same keys: the euro sign is three characters, and Omega cannot
        // be typed.
        QTest::newRow("single-byte") << false
                                     << QByteArray("a\xff\xfc"
                                                   "b\xe2\x82\xac"
                                                   "c\xf0\x9f\n\xc3");
    }
    void editsAroundInvalidBytes() {
        QFETCH(bool, utf8);
        QFETCH(QByteArray, saved);
        Editor e(utf8 ? CodePage::Utf8 : CodePage::SingleByte);
        const QString path = dir->filePath(QStringLiteral("Bytes.java"));
        QVERIFY(writeBytes(path, "a\xff\xc3"
                                 "b\xe2\x82\xac"
                                 "c\xf0\x9f\x98\n\xc3"));
        e.platform.openAnswers.push_back(FakePlatform::choose(path));
        e.form.open();
        QVERIFY(e.showActive());
        const auto type = [&e](const QString& character) {
            QTest::sendKeyEvent(QTest::Click, &e.text(), Qt::Key_unknown, character,
                                Qt::NoModifier);
        };
        QTest::keyClick(&e.text(), Qt::Key_Right);
        QTest::keyClick(&e.text(), Qt::Key_Right); // over the lone FF
        type(QStringLiteral("\u00fc"));
        QTest::keyClick(&e.text(), Qt::Key_Delete); // the C3 that starts nothing
        QTest::keyClick(&e.text(), Qt::Key_End);    // past the cut four-byte sequence
        QTest::keyClick(&e.text(), Qt::Key_Backspace);
        type(QStringLiteral("\u03a9"));
        e.form.saveim();
        QCOMPARE(readBytes(path), saved);
    }

    void enterUsesTheFilesLineBreak_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("lineBreak");
        QTest::newRow("CRLF file") << QByteArray("a\r\nb\nc") << QByteArray("\r\n");
        QTest::newRow("CR file") << QByteArray("a\rb\r\n") << QByteArray("\r");
        QTest::newRow("LF file") << QByteArray("a\nb\r\n") << QByteArray("\n");
        QTest::newRow("no line break") << QByteArray("abc") << QByteArray("\n");
    }
    void enterUsesTheFilesLineBreak() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, lineBreak);
        Editor e;
        const QString path = dir->filePath("Breaks.java");
        QVERIFY(writeBytes(path, content));
        e.open(path);
        e.text().SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        e.text().SendScintilla(QsciScintillaBase::SCI_NEWLINE);
        QCOMPARE(e.text().bytes(), content + lineBreak);
        // New returns to LF.
        e.platform.messageAnswers.push_back(MsgAnswer::No);
        e.form.new_();
        e.text().SendScintilla(QsciScintillaBase::SCI_NEWLINE);
        QCOMPARE(e.text().bytes(), QByteArray("\n"));
    }

private:
    std::optional<QTemporaryDir> dir;
};

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
