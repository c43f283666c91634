#pragma once

// A JACK server on the dummy driver, started and stopped by a test fixture:
// a device that takes frames at real-time pace on a machine without a sound
// card. Each test process runs a server of its own name, which its clients
// (in the process and in the programs it starts) find through
// JACK_DEFAULT_SERVER.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <jack/jack.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

namespace apptest {

class JackServer {
public:
    // Starts the server; `error` says why when it could not. A test that
    // harms its server gives it a `suffix` of its own.
    bool start(std::string& error, const std::string& suffix = {}) {
        const QString jackd = QStandardPaths::findExecutable(QStringLiteral("jackd"));
        if (jackd.isEmpty()) {
            error = "jackd is not installed";
            return false;
        }
        _suffix = suffix;
        _name = "zubo-test-" + std::to_string(::getpid()) + suffix;
        _server.setProcessChannelMode(QProcess::MergedChannels);
        _server.start(jackd, {QStringLiteral("-n"), QString::fromStdString(_name),
                              QStringLiteral("--no-realtime"), QStringLiteral("-d"),
                              QStringLiteral("dummy"), QStringLiteral("-r"), QStringLiteral("44100"),
                              QStringLiteral("-p"), QStringLiteral("256")});
        if (!_server.waitForStarted(5000)) {
            error = "jackd did not start";
            return false;
        }
        setenv("JACK_DEFAULT_SERVER", _name.c_str(), 1);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (accepts()) {
                return true;
            }
            if (_server.state() == QProcess::NotRunning) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        _server.waitForReadyRead(100);
        error = "jackd did not accept clients: " + _server.readAll().toStdString();
        return false;
    }

    // Sends `signal` to the server (SIGKILL, SIGSTOP, ...).
    void signal(int signal) {
        if (_server.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(_server.processId()), signal);
        }
    }

    void stop() {
        unsetenv("JACK_DEFAULT_SERVER");
        if (_server.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(_server.processId()), SIGCONT);
            _server.terminate();
            if (!_server.waitForFinished(5000)) {
                _server.kill();
                _server.waitForFinished(5000);
            }
        }
        // A server that did not end by itself keeps its slot in JACK's
        // machine-wide registry of servers, which has room for eight. A
        // server of the same name takes the slot over and, stopped
        // politely, gives it back.
        // The semaphores of its clients stay behind as files too.
        const bool crashed = _server.exitStatus() == QProcess::CrashExit;
        if (crashed && !_name.empty()) {
            std::string error;
            _server.close();
            if (start(error, _suffix)) {
                stop();
            }
            const QDir shm(QStringLiteral("/dev/shm"));
            const QString pattern =
                QStringLiteral("jack_sem.*_%1_*").arg(QString::fromStdString(_name));
            for (const QString& file : shm.entryList({pattern}, QDir::Files | QDir::System)) {
                QFile::remove(shm.filePath(file));
            }
        }
    }

    ~JackServer() { stop(); }

private:
    static void quiet(const char*) {}

    bool accepts() const {
        jack_set_error_function(quiet);
        jack_set_info_function(quiet);
        jack_status_t status{};
        jack_client_t* client = jack_client_open(
            "zubo-probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
            _name.c_str());
        if (client == nullptr) {
            return false;
        }
        jack_client_close(client);
        return true;
    }

    std::string _name;
    std::string _suffix;
    QProcess _server;
};

} // namespace apptest
