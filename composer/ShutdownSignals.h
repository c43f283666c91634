#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

// Turns SIGTERM, SIGHUP and SIGINT into the signal `received` on the event
// loop, so that a shutdown, a kill or a closed terminal can be answered with
// anything, not only with what a signal handler may do. The handler only
// writes the signal's number to a socket the event loop watches. One at a
// time; the previous handlers come back when it ends.
class ShutdownSignals : public QObject {
    Q_OBJECT

public:
    explicit ShutdownSignals(QObject* parent = nullptr);
    ~ShutdownSignals() override;
    ShutdownSignals(const ShutdownSignals&) = delete;
    ShutdownSignals& operator=(const ShutdownSignals&) = delete;

signals:
    void received(int signal);

private:
    void readSignals();

    int _sockets[2] = {-1, -1};
    QSocketNotifier* _notifier = nullptr;
    struct sigaction _previous[3];
};
