#include "app/EmergencyExit.h"

#include "app/EmergencyCopy.h"
#include "runner/RunCommands.h"
#include "state/EditorState.h"
#include "textarea/Text1.h"

#include <cstdio>
#include <cstdlib>

namespace tarnwick {

namespace {

// The one the exit() handler serves; exit handlers cannot be removed.
EmergencyExit* watching = nullptr;

} // namespace

EmergencyExit::EmergencyExit(EditorState& state, Text1& text, PlatformServices& platform,
                             const QString& homeFolder)
    : state_(state), text_(text), platform_(platform), homeFolder_(homeFolder) {}

EmergencyExit::~EmergencyExit() {
    if (watching == this)
        watching = nullptr;
}

void EmergencyExit::watchUnaskedExit() {
    static const bool registered = std::atexit(onExit) == 0;
    if (registered)
        watching = this;
}

void EmergencyExit::onExit() {
    if (watching)
        watching->run();
}

QString EmergencyExit::run() {
    if (!armed_)
        return {};
    armed_ = false;
    QString path;
    if (!state_.isSaved) {
        QString error;
        path = writeEmergencyCopy(text_.rawBytes(), text_.byteLength(), state_.filePath,
                                  homeFolder_, &error);
        // Nobody may be left to read a dialog; standard error is what a
        // terminal or the session's log keeps.
        if (path.isEmpty())
            std::fprintf(stderr, "tarnwick: the unsaved text could not be kept: %s\n",
                         error.toLocal8Bit().constData());
        else
            std::fprintf(stderr, "tarnwick: the unsaved text was kept in %s\n",
                         path.toLocal8Bit().constData());
        std::fflush(stderr);
    }
    runner::removeLaunchScripts(platform_);
    return path;
}

} // namespace tarnwick
