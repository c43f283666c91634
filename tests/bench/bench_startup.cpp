// The whole process, as a user meets it: the composer from start to exit
// after its first paint against a bare Qt window of the same size (run
// alternately, on a private X server unless DISPLAY is set), its peak
// resident memory against the bare window's, what each further document
// adds, and a whole export of the dense song (start to exit, fsync
// included) against its length.
#include "bench/DenseScore.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
    double milliseconds = 0;
    double peakMegabytes = 0;
    bool ok = false;
};

// Runs `argv` with `environment` to its end, timed from just before the
// spawn to its exit; the peak is the process's own resident set.
Outcome runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   posix_spawn_file_actions_t* actions = nullptr) {
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    std::vector<char*> env;
    for (const std::string& e : environment) {
        env.push_back(const_cast<char*>(e.c_str()));
    }
    env.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], actions, nullptr, args.data(), env.data()) != 0) {
        return {};
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        return {};
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return {took.count(), static_cast<double>(usage.ru_maxrss) / 1024.0,
            WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

// A private X server for the run, unless the caller gave a display.
class Display {
public:
    Display() {
        if (const char* given = std::getenv("DISPLAY"); given != nullptr && *given != '\0') {
            _name = given;
            return;
        }
        int fds[2];
        if (pipe(fds) != 0) {
            throw std::runtime_error("no pipe for Xvfb");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const std::string fd = std::to_string(fds[1]);
        const char* args[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24",
                              "-nolisten", "tcp", "-noreset", nullptr};
        const int spawned = posix_spawnp(&_server, "Xvfb", &actions, nullptr,
                                         const_cast<char* const*>(args), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        std::string number;
        char c = 0;
        while (spawned == 0 && read(fds[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        close(fds[0]);
        if (number.empty()) {
            throw std::runtime_error("Xvfb did not start");
        }
        _name = ":" + number;
    }
    ~Display() {
        if (_server > 0) {
            kill(_server, SIGTERM);
            waitpid(_server, nullptr, 0);
        }
    }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    const std::string& name() const { return _name; }

private:
    std::string _name;
    pid_t _server = 0;
};

// One folder for the settings, recovery copies and scores of every run, so
// that no run finds another's state or the user's.
struct Scratch {
    Scratch() : folder(fs::temp_directory_path() / ("zubo-startup-" + std::to_string(getpid()))) {
        fs::create_directories(folder);
        const auto data = denseScore()->data();
        for (const char* name : {"dense.orn", "a.orn", "b.orn", "c.orn"}) {
            std::ofstream(folder / name, std::ios::binary)
                .write(reinterpret_cast<const char*>(data.data()),
                       static_cast<std::streamsize>(data.size()));
        }
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::string path(const char* name) const { return (folder / name).string(); }

    fs::path folder;
};

const Display& display() {
    static const Display d;
    return d;
}

const Scratch& scratch() {
    static const Scratch s;
    return s;
}

std::vector<std::string> environment() {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("XDG_", 0) != 0 &&
            entry.rfind("QT_QPA_PLATFORM=", 0) != 0) {
            env.push_back(entry);
        }
    }
    const std::string home = scratch().folder.string();
    env.push_back("DISPLAY=" + display().name());
    env.push_back("QT_QPA_PLATFORM=xcb");
    for (const char* xdg : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"}) {
        env.push_back(std::string(xdg) + "=" + home);
    }
    env.push_back("ZUBO_RESOURCES=" ZUBO_BENCH_RESOURCE_DIR);
    env.push_back("ZUBO_QUIT_AFTER_PAINT=1");
    return env;
}

const std::string kProgram = ZUBO_BENCH_BIN_DIR "/zubo-sequencer";
const std::string kBare = ZUBO_BENCH_BIN_DIR "/bare_window";

// Ours and the bare window, one after the other in each iteration, so that
// whatever else the machine does falls on both alike.
void BM_StartToFirstPaint(benchmark::State& state) {
    const auto env = environment();
    for (auto _ : state) {
        const Outcome bare = runProcess({kBare, "960", "360"}, env);
        const Outcome ours = runProcess({kProgram}, env);
        if (!bare.ok || !ours.ok) {
            state.SkipWithError("a program failed to start or to quit after its first paint");
            return;
        }
        state.SetIterationTime(ours.milliseconds / 1000.0);
        state.counters["bare_ms"] = bare.milliseconds;
        state.counters["ours_ms"] = ours.milliseconds;
        state.counters["time_ratio"] = ours.milliseconds / bare.milliseconds;
        state.counters["bare_MB"] = bare.peakMegabytes;
        state.counters["ours_MB"] = ours.peakMegabytes;
        state.counters["memory_ratio"] = ours.peakMegabytes / bare.peakMegabytes;
    }
}
BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Iterations(1)->Repetitions(10)->Unit(benchmark::kMillisecond);

// Three documents against one: what each of the two further ones adds to
// the peak, every window painted.
void BM_FurtherDocuments(benchmark::State& state) {
    const auto env = environment();
    const Scratch& s = scratch();
    for (auto _ : state) {
        const Outcome one = runProcess({kProgram, s.path("a.orn")}, env);
        const Outcome three = runProcess({kProgram, s.path("a.orn"), s.path("b.orn"), s.path("c.orn")}, env);
        if (!one.ok || !three.ok) {
            state.SkipWithError("the composer failed");
            return;
        }
        state.SetIterationTime(three.milliseconds / 1000.0);
        state.counters["one_MB"] = one.peakMegabytes;
        state.counters["three_MB"] = three.peakMegabytes;
        state.counters["each_further_MB"] = (three.peakMegabytes - one.peakMegabytes) / 2.0;
    }
}
BENCHMARK(BM_FurtherDocuments)->UseManualTime()->Iterations(1)->Repetitions(10)->Unit(benchmark::kMillisecond);

// `-o OUT.wav` of the dense song (576 s of audio), start to exit: compare
// with bench_render's render alone to see what reading, writing and
// syncing the file cost.
void BM_WholeExport(benchmark::State& state) {
    const auto env = environment();
    const Scratch& s = scratch();
    const std::string out = s.path("dense.wav");
    for (auto _ : state) {
        const Outcome run = runProcess({kProgram, "-o", out, s.path("dense.orn")}, env);
        if (!run.ok) {
            state.SkipWithError("the export failed");
            return;
        }
        state.SetIterationTime(run.milliseconds / 1000.0);
        state.counters["export_ms"] = run.milliseconds;
        state.counters["peak_MB"] = run.peakMegabytes;
        state.counters["x_realtime"] = 576.0 * 1000.0 / run.milliseconds;
    }
}
BENCHMARK(BM_WholeExport)->UseManualTime()->Iterations(1)->Repetitions(10)->Unit(benchmark::kMillisecond);

} // namespace
