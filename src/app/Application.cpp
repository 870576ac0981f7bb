#include "app/Application.h"

#include "platform/PlatformServices.h"

#include <new>

namespace tarnwick {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        if (platform_)
            platform_->messageBox(outOfMemoryText, MsgStyle::Information, outOfMemoryTitle);
        return true;
    }
}

} // namespace tarnwick
