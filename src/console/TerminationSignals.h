#pragma once

#include <QObject>

class QSocketNotifier;

namespace tarnwick {

// SIGTERM and SIGHUP, delivered to the event loop. The handler itself only
// writes the signal's number into a pipe; a socket notifier reads it, so the
// work that follows runs where the text and Qt may be touched. One per
// process: the handler has a single pipe.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Ends the process by the signal itself, with its default action, so
    // whoever waits for the program sees how it ended.
    [[noreturn]] static void endWith(int signalNumber);

signals:
    void arrived(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace tarnwick
