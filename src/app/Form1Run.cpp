// The Run menu, the Conditions notice and the launch-script clean-up.
#include "app/Form1.h"

#include "runner/RunCommands.h"

namespace tarnwick {

void Form1::compile() {
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
}

} // namespace tarnwick
