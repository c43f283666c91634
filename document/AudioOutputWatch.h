#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>

class AudioOutput;

// Watches a running output for new blocks. When its device goes away (a
// sound server stopped or killed) an output never calls back again; about a
// second without a new block counts as a lost device. Main thread only.
class AudioOutputWatch : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kLostAfter{1000};

    explicit AudioOutputWatch(QObject* parent = nullptr);

    // Watches `output` from now on; an output that cannot be lost is not
    // watched.
    void watch(const AudioOutput* output);
    void stop();
    bool isWatching() const { return _timer.isActive(); }

signals:
    // The output rendered no block for kLostAfter. The watch has stopped.
    void stalled();

private:
    void check();

    QTimer _timer;
    const AudioOutput* _output = nullptr;
    std::int64_t _blocks = 0;
    QElapsedTimer _sinceBlock;
};
