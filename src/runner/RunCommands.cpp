#include "runner/RunCommands.h"

#include "runner/LaunchScript.h"
#include "runner/RunnerTexts.h"

namespace tarnwick::runner {

namespace {

using namespace runnertexts;

void tell(PlatformServices& platform, const QString& text, const QString& title) {
    platform.messageBox(text, MsgStyle::Information, title);
}

// The first half of writing a script: afterwards the old script is gone and
// an empty one stands in its place. The script is opened once before it is
// deleted so that the delete always finds a file, also on the first run.
bool prepareScript(PlatformServices& platform, const QString& fileName, const QString& title) {
    QString error;
    if (!platform.touchFile(fileName, &error)) {
        tell(platform, cantCreateText(fileName, error), title);
        return false;
    }
    if (!platform.deleteFile(fileName, &error)) {
        tell(platform, cantDeleteText(fileName, error), title);
        return false;
    }
    if (!platform.touchFile(fileName, &error)) {
        tell(platform, cantCreateText(fileName, error), title);
        return false;
    }
    return true;
}

// A console that failed after it started is told as one that failed at
// once; the platform calls this only while the editor is there to tell.
PlatformServices::FailedLate tellLate(PlatformServices& platform, const QString& started,
                                      const QString& title) {
    return [&platform, started, title](const QString& reason) {
        tell(platform, cantStartText(started, reason), title);
    };
}

bool start(PlatformServices& platform, const QString& commandLine, const QString& title) {
    QString error;
    if (!platform.startProcess(commandLine, &error, tellLate(platform, commandLine, title))) {
        tell(platform, cantStartText(commandLine, error), title);
        return false;
    }
    return true;
}

// The second half: the four lines into the empty script, then start it.
// The console gets the bytes themselves: by the time it would read the
// script, a quicker next command may have written it again.
bool finishScript(PlatformServices& platform, const QString& fileName, const QString& commandLine,
                  const QString& title) {
    const QByteArray bytes = launchScriptBytes(commandLine, platform.codePage());
    QString error;
    if (!platform.writeScript(fileName, bytes, &error)) {
        tell(platform, cantWriteText(fileName, error), title);
        return false;
    }
    if (!platform.startScript(fileName, bytes, &error, tellLate(platform, fileName, title))) {
        tell(platform, cantStartText(fileName, error), title);
        return false;
    }
    return true;
}

bool titled(const QString& fileTitle, PlatformServices& platform, const QString& title) {
    if (fileTitle.isEmpty()) {
        tell(platform, notSavedText, title);
        return false;
    }
    return true;
}

// The class name of an untitled-checked document, or none after telling
// the user why it cannot be formed.
std::optional<QString> className(const QString& fileTitle, PlatformServices& platform) {
    std::optional<QString> name = classNameFor(fileTitle);
    if (!name)
        tell(platform, noClassNameText(fileTitle), cantExecuteTitle);
    return name;
}

// javac and java would take a word of the title that starts with "-" or
// "@" as an option, however they are started; Compile and Execute also put
// the title into a line that a shell reads.
bool usableTitle(const QString& fileTitle, PlatformServices& platform, const QString& title,
                 bool shellReads) {
    if (shellReads && !isSafeInCommandLine(fileTitle)) {
        tell(platform, unsafeNameText(fileTitle), title);
        return false;
    }
    if (makesAnOption(fileTitle)) {
        tell(platform, optionNameText(fileTitle), title);
        return false;
    }
    return true;
}

} // namespace

bool writeLaunchScript(PlatformServices& platform, const QString& fileName,
                       const QString& commandLine, const QString& failureTitle) {
    // A file name that the code page cannot hold (a Cyrillic name in a
    // single-byte locale) never reaches the script as "?".
    if (const std::optional<QString> problem =
            commandLineProblem(commandLine, platform.codePage())) {
        tell(platform, *problem, failureTitle);
        return false;
    }
    return prepareScript(platform, fileName, failureTitle) &&
           finishScript(platform, fileName, commandLine, failureTitle);
}

void compile(const QString& fileTitle, PlatformServices& platform) {
    if (!titled(fileTitle, platform, cantCompileTitle) ||
        !usableTitle(fileTitle, platform, cantCompileTitle, true))
        return;
    writeLaunchScript(platform, compileScript, compileCommandLine(fileTitle), cantCompileTitle);
}

void exec(const QString& fileTitle, PlatformServices& platform) {
    if (!titled(fileTitle, platform, cantExecuteTitle) ||
        !usableTitle(fileTitle, platform, cantExecuteTitle, true))
        return;
    if (const std::optional<QString> name = className(fileTitle, platform))
        writeLaunchScript(platform, executeScript, executeCommandLine(*name), cantExecuteTitle);
}

void comlne(PlatformServices& platform) {
    // The question comes after the old script is gone, so an answer can
    // never run what an earlier command left in it.
    if (!prepareScript(platform, compileScript, cantRunTitle))
        return;
    const QString answer = platform.inputBox(commandLinePrompt, commandLineTitle);
    // Refused before a byte is written: the empty script of the first half
    // stays, and nothing starts.
    if (const std::optional<QString> problem = commandLineProblem(answer, platform.codePage())) {
        tell(platform, *problem, cantRunTitle);
        return;
    }
    finishScript(platform, compileScript, answer, cantRunTitle);
}

void compro(PlatformServices& platform) {
    start(platform, commandPrompt, cantRunTitle);
}

void ncomp(const QString& fileTitle, PlatformServices& platform) {
    if (!titled(fileTitle, platform, cantCompileTitle) ||
        !usableTitle(fileTitle, platform, cantCompileTitle, false))
        return;
    start(platform, compileCommandLine(fileTitle), cantCompileTitle);
}

void nexec(const QString& fileTitle, PlatformServices& platform) {
    if (!titled(fileTitle, platform, cantExecuteTitle) ||
        !usableTitle(fileTitle, platform, cantExecuteTitle, false))
        return;
    if (const std::optional<QString> name = className(fileTitle, platform))
        start(platform, executeCommandLine(*name), cantExecuteTitle);
}

void Condi(PlatformServices& platform) {
    tell(platform, conditionsText, conditionsTitle);
}

bool removeLaunchScripts(PlatformServices& platform) {
    // Every step runs even after a failure: whatever can be removed is.
    bool ok = true;
    ok = platform.touchFile(compileScript, nullptr) && ok;
    ok = platform.touchFile(executeScript, nullptr) && ok;
    ok = platform.deleteFile(compileScript, nullptr) && ok;
    ok = platform.deleteFile(executeScript, nullptr) && ok;
    return ok;
}

} // namespace tarnwick::runner
