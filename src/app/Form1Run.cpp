// The Run menu, the Conditions notice and the launch-script clean-up.
#include "app/Form1.h"

#include "platform/PlatformServices.h"
#include "runner/RunCommands.h"
#include "textarea/Text1.h"

namespace tarnwick {

void Form1::compile() {
    // The marks are the last compile's: this one's come when it is done.
    text1_->setLineMarks({});
    runner::compile(state_.fileTitle, platform_);
}

void Form1::exec() {
    runner::exec(state_.fileTitle, platform_);
}

void Form1::comlne() {
    runner::comlne(platform_);
}

void Form1::compro() {
    runner::compro(platform_);
}

void Form1::ncomp() {
    // Started without the script runner: nobody keeps its messages.
    text1_->setLineMarks({});
    runner::ncomp(state_.fileTitle, platform_);
}

void Form1::nexec() {
    runner::nexec(state_.fileTitle, platform_);
}

void Form1::Condi() {
    runner::Condi(platform_);
}

void Form1::removeLaunchScriptsStep() {
    // A script that cannot be removed must not keep the window open, and
    // there is nobody left to tell about it.
    runner::removeLaunchScripts(platform_);
    const QString messages = platform_.compilerMessagesFile();
    if (!messages.isEmpty())
        platform_.deleteFile(messages, nullptr);
}

} // namespace tarnwick
