#pragma once

#include <QString>

namespace tarnwick::runnertexts {

inline const QString notSavedText = QStringLiteral("The file isn't saved yet");
inline const QString cantCompileTitle = QStringLiteral("Can't compile");
inline const QString cantExecuteTitle = QStringLiteral("Can't execute");
// Command Line and Command Prompt have no message of their own to borrow a
// title from; both run something the user asked for.
inline const QString cantRunTitle = QStringLiteral("Can't run");

inline const QString commandLinePrompt = QStringLiteral("Enter the command line to be executed");
inline const QString commandLineTitle = QStringLiteral("Enter here");

inline const QString commandPrompt = QStringLiteral("command.com");

inline const QString conditionsTitle = QStringLiteral("Conditions");
// CR alone between lines; the message box starts a new line at each.
inline const QString conditionsText =
    QStringLiteral("\rThe conditions are : \r\r"
                   "1. The filename must be same as that of the Class that contains main().\r"
                   "2. You must have made those changes in your System Properties that\r"
                   "    allow you to use javac and java from command line.\r"
                   "3. The file must be saved before compile or execute.");

// "<file> could not be created" CR "<reason>", and the like.
QString cantCreateText(const QString& file, const QString& reason);
QString cantDeleteText(const QString& file, const QString& reason);
QString cantWriteText(const QString& file, const QString& reason);
QString cantStartText(const QString& commandLine, const QString& reason);

// "No class name can be formed from the file name" CR "<title>"
QString noClassNameText(const QString& fileTitle);
// "The file name cannot be used in a command line" CR "<title>" CR what is allowed
QString unsafeNameText(const QString& fileTitle);
// The same refusal for a name of which a word would be read as an option.
QString optionNameText(const QString& fileTitle);

// "The command line cannot be run" CR why.
QString outsideCodePageText(char32_t character);
QString lineBreakInCommandText();
QString nulInCommandText();
// In UTF-8 a character may take several bytes, and the limit counts bytes.
QString tooLongCommandText(qsizetype length, qsizetype longest, bool inBytes);

} // namespace tarnwick::runnertexts
