#pragma once

#include <QApplication>

namespace tarnwick {

class PlatformServices;

inline const QString outOfMemoryText =
    QStringLiteral("Not enough memory") + QLatin1Char('\r') +
    QStringLiteral("The last key or command could not be carried out.");
inline const QString outOfMemoryTitle = QStringLiteral("Tarnwick");

// The editor's application object. Running out of memory inside the text
// component (typing, or pasting from the system clipboard) throws through
// Qt's event loop, which cannot carry exceptions and would end the program
// with the unsaved text. Here the event is dropped instead and the user is
// told, so the text can still be saved.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);

    // Where the message goes; none: the event is dropped silently.
    void setPlatform(PlatformServices* platform) { platform_ = platform; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    PlatformServices* platform_ = nullptr;
};

} // namespace tarnwick
