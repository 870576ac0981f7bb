#include "runner/RunnerTexts.h"

namespace tarnwick::runnertexts {

namespace {
QString twoLines(const QString& first, const QString& second) {
    return first + QLatin1Char('\r') + second;
}
} // namespace

QString cantCreateText(const QString& file, const QString& reason) {
    return twoLines(file + QStringLiteral(" could not be created"), reason);
}

QString cantDeleteText(const QString& file, const QString& reason) {
    return twoLines(file + QStringLiteral(" could not be deleted"), reason);
}

QString cantWriteText(const QString& file, const QString& reason) {
    return twoLines(file + QStringLiteral(" could not be written"), reason);
}

QString cantStartText(const QString& commandLine, const QString& reason) {
    return twoLines(commandLine + QStringLiteral(" could not be started"), reason);
}

QString noClassNameText(const QString& fileTitle) {
    return twoLines(QStringLiteral("No class name can be formed from the file name"), fileTitle);
}

QString unsafeNameText(const QString& fileTitle) {
    return twoLines(
        twoLines(QStringLiteral("The file name cannot be used in a command line"), fileTitle),
        QStringLiteral("Only letters, digits, spaces and . _ - + @ , = are allowed"));
}

QString optionNameText(const QString& fileTitle) {
    return twoLines(
        twoLines(QStringLiteral("The file name cannot be used in a command line"), fileTitle),
        QStringLiteral("No word of it may start with - or @"));
}

namespace {
QString cannotRun(const QString& reason) {
    return twoLines(QStringLiteral("The command line cannot be run"), reason);
}
} // namespace

QString outsideCodePageText(char32_t character) {
    const QString code = QString::number(uint(character), 16).toUpper().rightJustified(4, u'0');
    // Half a surrogate pair cannot be shown on its own.
    const QString shown = QChar::isSurrogate(character) ? QString(QChar::ReplacementCharacter)
                                                        : QString::fromUcs4(&character, 1);
    return cannotRun(QStringLiteral("It holds \"%1\" (U+%2), a character outside the code page")
                         .arg(shown, code));
}

QString lineBreakInCommandText() {
    return cannotRun(QStringLiteral("It holds a line break, which would run as a second command"));
}

QString nulInCommandText() {
    return cannotRun(QStringLiteral("It holds a NUL character, which would cut it short"));
}

QString tooLongCommandText(qsizetype length, qsizetype longest, bool inBytes) {
    const QString text = inBytes ? QStringLiteral("It takes %1 bytes; at most %2 can be run")
                                 : QStringLiteral("It has %1 characters; at most %2 can be run");
    return cannotRun(text.arg(length).arg(longest));
}

} // namespace tarnwick::runnertexts
