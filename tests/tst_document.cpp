// New, Open, Save and Save As: questions, titles, state, and bytes on disk.
#include "app/Form1.h"
#include "support/Editor.h"
#include "support/FakePlatform.h"
#include "support/MemoryLimit.h"
#include "support/TestFiles.h"
#include "textarea/Text1.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

const QString unsavedText = QStringLiteral("Do you want to save the changes");
const QString unsavedTitle = QStringLiteral("File not saved");

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
        dir = std::make_unique<QTemporaryDir>();
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
            row("all 256 byte values", allByteValues() + allByteValues());
            row("mixed line breaks", "a\r\nb\rc\nd\r\r\n\n\re\r");
            row("NUL bytes", QByteArray("\0x\0\0y\0", 6));
            row("empty file", QByteArray());
            row("high bytes only", "\x80\xa4\xff\xfe\r\n\xe9");
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
        e.platform.openAnswers.push_back(FakePlatform::choose(source));
        e.form.open();
        QCOMPARE(e.text().bytes(), content);
        QCOMPARE(e.text().byteLength(), qint64(content.size()));

        // Save rewrites the same file; Save As writes a copy under a new name.
        const QString copy = dir->filePath(QStringLiteral("Copy.java"));
        e.form.saveim();
        e.platform.saveAnswers.push_back(FakePlatform::choose(copy));
        e.form.save();
        QCOMPARE(readBytes(source), content);
        QCOMPARE(readBytes(copy), content);
        QVERIFY(e.platform.unscripted.isEmpty());
    }

    void openSetsStateAndTitle() {
        Editor e;
        QCOMPARE(e.form.windowTitle(), QStringLiteral("Untitled - Tarnwick"));
        const QString path = dir->filePath(QStringLiteral("a.java"));
        QVERIFY(writeBytes(path, QByteArray()));
        e.type("old text");
        e.platform.messageAnswers.push_back(MsgAnswer::No);
        e.platform.openAnswers.push_back(FakePlatform::choose(path));
        e.form.open();
        QCOMPARE(e.form.windowTitle(), QStringLiteral("a.java - Tarnwick"));
        QCOMPARE(e.state().fileTitle, QStringLiteral("a.java"));
        QCOMPARE(e.state().filePath, path);
        QVERIFY(e.state().isSaved);
        QCOMPARE(e.text().bytes(), QByteArray());
        QCOMPARE(e.platform.lastFilter.description, QStringLiteral("Java Files (*.java)"));
        QCOMPARE(e.platform.lastFilter.pattern, QStringLiteral("*.java"));
        // The working folder follows the dialog.
        QCOMPARE(QDir::currentPath(), QFileInfo(path).absolutePath());
        // Typing afterwards leaves the document unsaved, and New asks again.
        e.text().replaceSelectedBytes("x");
        QVERIFY(!e.state().isSaved);
        e.platform.messageAnswers.push_back(MsgAnswer::Cancel);
        e.form.new_();
        QCOMPARE(e.platform.calls.last().text, unsavedText);
    }

    // Given a document, bound to First.java or untitled, saved or edited,
    // when New or Open runs with the scripted answers, then exactly these
    // dialogs appear in this order, and the text is replaced or kept whole.
    void askBeforeDiscarding_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("bound");
        QTest::addColumn<bool>("dirty");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("dialogCancels"); // the save dialog, or else the open dialog
        QTest::addColumn<QString>("dialogs");
        QTest::addColumn<bool>("replaced");
        // q: the question, s: save dialog, o: open dialog
        QTest::newRow("new, saved: no question")
            << "new" << true << false << 0 << false << "" << true;
        QTest::newRow("new, Cancel") << "new" << true << true << 2 << false << "q" << false;
        QTest::newRow("new, No") << "new" << true << true << 7 << false << "q" << true;
        QTest::newRow("new, bound, Yes") << "new" << true << true << 6 << false << "q" << true;
        QTest::newRow("new, untitled, Yes, save cancelled")
            << "new" << false << true << 6 << true << "qs" << false;
        QTest::newRow("new, untitled, Yes, saved")
            << "new" << false << true << 6 << false << "qs" << true;
        QTest::newRow("open, Cancel") << "open" << true << true << 2 << false << "q" << false;
        QTest::newRow("open, No") << "open" << true << true << 7 << false << "qo" << true;
        QTest::newRow("open, bound, Yes") << "open" << true << true << 6 << false << "qo" << true;
        QTest::newRow("open, untitled, Yes, save cancelled")
            << "open" << false << true << 6 << true << "qs" << false;
        QTest::newRow("open, untitled, Yes, saved")
            << "open" << false << true << 6 << false << "qso" << true;
        QTest::newRow("open, No, open cancelled")
            << "open" << true << true << 7 << true << "qo" << false;
    }
    void askBeforeDiscarding() {
        QFETCH(QString, command);
        QFETCH(bool, bound);
        QFETCH(bool, dirty);
        QFETCH(int, answer);
        QFETCH(bool, dialogCancels);
        QFETCH(QString, dialogs);
        QFETCH(bool, replaced);
        const bool isNew = command == QLatin1String("new");
        Editor e;
        const QString first = dir->filePath(QStringLiteral("First.java"));
        const QString second = dir->filePath(QStringLiteral("Second.java"));
        QVERIFY(writeBytes(first, "first") && writeBytes(second, "second\r\n"));
        if (bound) {
            e.platform.openAnswers.push_back(FakePlatform::choose(first));
            e.form.open();
        }
        if (dirty)
            e.type(" edited");
        const QByteArray before = e.text().bytes();
        e.state().indentLevel = 3;
        e.state().lastKeyCode = 13;
        e.platform.clearCalls();
        if (answer)
            e.platform.messageAnswers.push_back(MsgAnswer(answer));
        const QString saveTarget = bound ? first : dir->filePath(QStringLiteral("New.java"));
        const bool saveCancels = dialogCancels && !bound;
        e.platform.saveAnswers.push_back(
            saveCancels ? std::nullopt : std::optional(FakePlatform::choose(saveTarget)));
        e.platform.openAnswers.push_back(
            dialogCancels && bound ? std::nullopt : std::optional(FakePlatform::choose(second)));
        isNew ? e.form.new_() : e.form.open();

        QString shown;
        for (const PlatformCall& call : e.platform.calls) {
            if (call.service == QLatin1String("messageBox")) {
                QCOMPARE(call.text, unsavedText);
                QCOMPARE(call.title, unsavedTitle);
                QCOMPARE(call.style, 3);
                shown += QLatin1Char('q');
            } else if (call.service.endsWith(QLatin1String("Dialog"))) {
                QCOMPARE(call.text, QStringLiteral("Java Files (*.java)"));
                shown += call.service.at(0);
            }
        }
        QCOMPARE(shown, dialogs);
        if (replaced) {
            QCOMPARE(e.text().bytes(), isNew ? QByteArray() : QByteArray("second\r\n"));
            QCOMPARE(e.form.windowTitle(), isNew ? QStringLiteral("Untitled - Tarnwick")
                                                 : QStringLiteral("Second.java - Tarnwick"));
            QCOMPARE(e.state().fileTitle, isNew ? QString() : QStringLiteral("Second.java"));
            QVERIFY(e.state().isSaved);
            QVERIFY(!e.text().isUndoAvailable());
        } else {
            QCOMPARE(e.text().bytes(), before);
            QCOMPARE(e.state().isSaved, !dirty);
        }
        // New keeps the typing state; only an Open that loads resets it.
        QCOMPARE(e.state().indentLevel, replaced && !isNew ? 0 : 3);
        QCOMPARE(e.state().lastKeyCode, replaced && !isNew ? 0 : 13);
        if (answer == 6 && !saveCancels)
            QCOMPARE(readBytes(saveTarget), before);
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
        const QString target = dir->filePath(QStringLiteral("Target.java"));
        QVERIFY(writeBytes(target, existing));
        e.type("new");
        for (int a : answers)
            e.platform.messageAnswers.push_back(MsgAnswer(a));
        for (int i = 0; i < answers.size() || i < 1; ++i)
            e.platform.saveAnswers.push_back(FakePlatform::choose(target));
        if (!written)
            e.platform.saveAnswers.push_back(std::nullopt);
        e.form.save();

        QCOMPARE(e.platform.callsOf(QStringLiteral("saveDialog")).size(), dialogsShown);
        const auto questions = e.platform.callsOf(QStringLiteral("messageBox"));
        QCOMPARE(questions.size(), answers.size());
        for (const PlatformCall& q : questions) {
            QCOMPARE(q.text, QStringLiteral("File already exists, overwrite(Y/N)"));
            QCOMPARE(q.title, QStringLiteral("Overwrite?"));
            QCOMPARE(q.style, 4);
        }
        QCOMPARE(e.state().saveCompleted, written);
        QCOMPARE(e.state().isSaved, written);
        QCOMPARE(readBytes(target), written ? QByteArray("new") : existing);
        QCOMPARE(e.form.windowTitle(), written ? QStringLiteral("Target.java - Tarnwick")
                                               : QStringLiteral("Untitled - Tarnwick"));
    }

    void saveAfterSaveAsWritesNewName() {
        Editor e;
        const QString first = dir->filePath(QStringLiteral("One.java"));
        const QString renamed = dir->filePath(QStringLiteral("Two.java"));
        QVERIFY(writeBytes(first, "one"));
        // A longer old file under the new name: no byte of it may remain.
        QVERIFY(writeBytes(renamed, QByteArray(1000, 'x')));
        e.platform.openAnswers.push_back(FakePlatform::choose(first));
        e.form.open();
        e.platform.messageAnswers.push_back(MsgAnswer::Yes);
        e.platform.saveAnswers.push_back(FakePlatform::choose(renamed));
        e.form.save();
        e.type(" more");
        QVERIFY(!e.state().isSaved);
        e.form.saveim();
        QCOMPARE(readBytes(renamed), QByteArray("one more"));
        QCOMPARE(readBytes(first), QByteArray("one"));
        QCOMPARE(e.state().fileTitle, QStringLiteral("Two.java"));
        QVERIFY(e.state().isSaved);
        QVERIFY(e.state().saveCompleted);
        // Bound documents save without a dialog.
        QCOMPARE(e.platform.callsOf(QStringLiteral("saveDialog")).size(), 1);
    }

    // A failed write is reported, and nothing that asked for the save goes
    // on to discard the text.
    void failedSaveIsReportedAndKeepsText_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("Save") << QStringLiteral("saveim");
        QTest::newRow("New after Yes") << QStringLiteral("new");
        QTest::newRow("Open after Yes") << QStringLiteral("open");
        QTest::newRow("close after Yes") << QStringLiteral("close");
    }
    void failedSaveIsReportedAndKeepsText() {
        QFETCH(QString, command);
        Editor e;
        e.form.show();
        const QString path = dir->filePath(QStringLiteral("Kept.java"));
        QVERIFY(writeBytes(path, "on disk"));
        e.platform.openAnswers.push_back(FakePlatform::choose(path));
        e.form.open();
        e.type(" typed");
        e.platform.failWrite.insert(path, QStringLiteral("No space left on device"));
        e.platform.clearCalls();
        if (command != QLatin1String("saveim"))
            e.platform.messageAnswers.push_back(MsgAnswer::Yes);
        e.platform.openAnswers.push_back(FakePlatform::choose(path));
        if (command == QLatin1String("saveim"))
            e.form.saveim();
        else if (command == QLatin1String("new"))
            e.form.new_();
        else if (command == QLatin1String("open"))
            e.form.open();
        else
            e.form.close();

        const PlatformCall report = e.platform.callsOf(QStringLiteral("messageBox")).last();
        QCOMPARE(report.title, QStringLiteral("Can't save"));
        QCOMPARE(report.text,
                 path + QStringLiteral(" could not be written\rNo space left on device"));
        QCOMPARE(report.style, 64);
        QCOMPARE(e.text().bytes(), QByteArray("on disk typed"));
        QVERIFY(!e.state().isSaved);
        QVERIFY(!e.state().saveCompleted);
        QCOMPARE(e.state().filePath, path);
        QCOMPARE(readBytes(path), QByteArray("on disk"));
        QVERIFY(e.platform.callsOf(QStringLiteral("openDialog")).isEmpty());
        QVERIFY(e.form.isVisible());
    }

    void failedSaveOnRealFileSystem() {
        // A folder that vanished under a bound document: a real write failure.
        Editor e;
        QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("gone")));
        const QString path = dir->filePath(QStringLiteral("gone/Lost.java"));
        QVERIFY(writeBytes(path, "x"));
        e.platform.openAnswers.push_back(FakePlatform::choose(path));
        e.form.open();
        e.type("y");
        QDir::setCurrent(dir->path());
        QVERIFY(QDir(dir->filePath(QStringLiteral("gone"))).removeRecursively());
        e.form.saveim();
        const auto messages = e.platform.callsOf(QStringLiteral("messageBox"));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().title, QStringLiteral("Can't save"));
        QVERIFY(messages.first().text.startsWith(path + QStringLiteral(" could not be written\r")));
        QVERIFY(!e.state().isSaved);
        QVERIFY(!e.state().saveCompleted);

        // Save As onto a path that is a folder fails the same way, and binds nothing.
        const QString folder = dir->filePath(QStringLiteral("AFolder.java"));
        QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("AFolder.java")));
        e.platform.saveAnswers.push_back(FakePlatform::choose(folder));
        e.platform.messageAnswers.push_back(MsgAnswer::Yes);
        e.form.save();
        QCOMPARE(e.platform.callsOf(QStringLiteral("messageBox")).last().title,
                 QStringLiteral("Can't save"));
        QCOMPARE(e.state().filePath, path);
        QVERIFY(!e.state().saveCompleted);
    }

    void failedOpenChangesNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // checked where the editor words it
        QTest::newRow("vanished file")
            << QStringLiteral("Missing.java") << QStringLiteral("missing") << QString();
        QTest::newRow("a folder") << QStringLiteral("Folder.java") << QStringLiteral("folder")
                                  << QString();
        QTest::newRow("read error") << QStringLiteral("Bad.java") << QStringLiteral("injected")
                                    << QStringLiteral("Input/output error");
        QTest::newRow("read error halfway")
            << QStringLiteral("Half.java") << QStringLiteral("halfway")
            << QStringLiteral("Input/output error");
        // Files this large are sparse: they take no room on disk.
        QTest::newRow("2 GiB: more than the text area edits correctly")
            << QStringLiteral("Huge.java") << QStringLiteral("huge")
            << QStringLiteral("The file is larger than 2 GiB, the most the editor can hold");
        QTest::newRow("100 GB")
            << QStringLiteral("Vast.java") << QStringLiteral("vast")
            << QStringLiteral("The file is larger than 2 GiB, the most the editor can hold");
        QTest::newRow("memory runs out") << QStringLiteral("Big.java") << QStringLiteral("memory")
                                         << QStringLiteral("Not enough memory");
    }
    void failedOpenChangesNothing() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        if (kind == QLatin1String("memory") && !canLimitMemory)
            QSKIP("address sanitizer: a memory limit cannot produce a failed allocation");
        Editor e;
        const QString bound = dir->filePath(QStringLiteral("Bound.java"));
        QVERIFY(writeBytes(bound, "bound"));
        e.platform.openAnswers.push_back(FakePlatform::choose(bound));
        e.form.open();
        e.type(" edit");
        e.state().indentLevel = 2;
        e.state().lastKeyCode = 13;
        const QString target = dir->filePath(name);
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir(dir->path()).mkpath(name));
        if (kind == QLatin1String("injected")) {
            QVERIFY(writeBytes(target, "content"));
            e.platform.failRead.insert(target, QStringLiteral("Input/output error"));
        }
        if (kind == QLatin1String("halfway")) {
            QVERIFY(writeBytes(target, QByteArray(4000, 'h') + "\r\n"));
            e.platform.failReadHalfway.insert(target, QStringLiteral("Input/output error"));
        }
        const qint64 sparseSize = kind == QLatin1String("huge")     ? Text1::largestDocument + 1
                                  : kind == QLatin1String("vast")   ? qint64(100'000'000'000)
                                  : kind == QLatin1String("memory") ? qint64(1'500'000'000)
                                                                    : 0;
        if (sparseSize)
            QVERIFY(writeBytes(target, "") && QFile(target).resize(sparseSize));
        e.text().setSelectionRange(2, 7);
        e.platform.messageAnswers.push_back(MsgAnswer::No);
        e.platform.openAnswers.push_back(FakePlatform::choose(target));
        {
            std::optional<MemoryLimit> limit;
            if (kind == QLatin1String("memory"))
                QVERIFY(limit.emplace(256 << 20).active());
            e.form.open();
        }

        const auto messages = e.platform.callsOf(QStringLiteral("messageBox"));
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages.last().title, QStringLiteral("Can't open"));
        QVERIFY(messages.last().text.startsWith(target + QStringLiteral(" could not be read\r")));
        if (!reason.isEmpty())
            QCOMPARE(messages.last().text,
                     target + QStringLiteral(" could not be read\r") + reason);
        QCOMPARE(messages.last().style, 64);
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
        QVERIFY(!e.text().bytes().contains('\r'));
        // Nothing was created in place of a missing file.
        if (kind == QLatin1String("missing"))
            QVERIFY(!QFileInfo::exists(target));
    }

    // Typed, programmed and undone changes alike leave the document unsaved;
    // moving the caret or the selection does not.
    void everyChangeMarksUnsaved_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("unsaved");
        QTest::newRow("typed letter") << "type" << true;
        QTest::newRow("Backspace") << "backspace" << true;
        QTest::newRow("Delete key") << "delete" << true;
        QTest::newRow("program append") << "append" << true;
        QTest::newRow("undo") << "undo" << true;
        QTest::newRow("caret move") << "caret" << false;
        QTest::newRow("selection") << "select" << false;
    }
    void everyChangeMarksUnsaved() {
        QFETCH(QString, change);
        QFETCH(bool, unsaved);
        Editor e;
        e.form.show();
        e.type("abc");
        e.text().setSelectionRange(1, 1);
        e.state().isSaved = true;
        if (change == QLatin1String("type"))
            QTest::keyClick(&e.text(), Qt::Key_Z);
        else if (change == QLatin1String("backspace"))
            QTest::keyClick(&e.text(), Qt::Key_Backspace);
        else if (change == QLatin1String("delete"))
            QTest::keyClick(&e.text(), Qt::Key_Delete);
        else if (change == QLatin1String("append"))
            e.text().appendBytes("d");
        else if (change == QLatin1String("undo"))
            e.text().undo();
        else if (change == QLatin1String("caret"))
            QTest::keyClick(&e.text(), Qt::Key_Right);
        else
            e.text().setSelection(0, 0, 0, 2);
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
        const QString path = dir->filePath(QStringLiteral("Breaks.java"));
        QVERIFY(writeBytes(path, content));
        e.platform.openAnswers.push_back(FakePlatform::choose(path));
        e.form.open();
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
    std::unique_ptr<QTemporaryDir> dir;
};

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
