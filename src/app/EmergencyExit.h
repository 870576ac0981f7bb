#pragma once

#include <QString>

namespace tarnwick {

class PlatformServices;
class Text1;
struct EditorState;

// The last step when the program is ended from outside: a signal, or the
// display going away. Unsaved text goes into an emergency copy (its path on
// standard error), and the launch scripts are removed as at a normal close.
// Closing the window is the user's own choice and never comes here.
class EmergencyExit {
public:
    EmergencyExit(EditorState& state, Text1& text, PlatformServices& platform,
                  const QString& homeFolder);
    ~EmergencyExit();
    EmergencyExit(const EmergencyExit&) = delete;
    EmergencyExit& operator=(const EmergencyExit&) = delete;

    // From now on an exit() that nobody here asked for runs the step: Qt's
    // X11 and Wayland plugins end the program so when their connection
    // breaks. main()'s locals, the text among them, are still alive then.
    void watchUnaskedExit();
    // The program ends as the user asked.
    void disarm() { armed_ = false; }
    // Runs the step once. Returns the copy's path; empty when nothing was
    // unsaved or no copy could be written.
    QString run();

private:
    static void onExit();

    EditorState& state_;
    Text1& text_;
    PlatformServices& platform_;
    QString homeFolder_;
    bool armed_ = true;
};

} // namespace tarnwick
