#pragma once

// A sound bank over small samples written by the test, preferences cleared
// for every test, and a document to play with.

#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "sound/OrnWaves.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <filesystem>
#include <memory>
#include <vector>

#include "sound/WavImage.h"

namespace doctest {

// The level of every frame of sample "sound<number>": each sample is flat,
// so a voice's value does not depend on its ratio, and each sample has its
// own level, so a test can tell which one sounds.
inline int levelOf(int number) {
    return 100 * number;
}

constexpr int kSampleFrames = 30000;

inline std::filesystem::path writeBank() {
    static const std::filesystem::path dir = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("zubo-bank-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        for (int number = 1; number <= 29; ++number) {
            writeFile(path / ("sound" + std::to_string(number) + ".wav"),
                      mono16(std::vector<int>(kSampleFrames, levelOf(number))));
        }
        return path;
    }();
    return dir;
}

// The value of a flat 16-bit mono sample on the left output at the default
// pan: the left gain is 63/127 of 1.8, at 2^-16 per step.
inline double leftOf(int raw) {
    return raw * 63.0 / 127.0 * 1.8 / 65536.0;
}

inline QGuiApplication* application() {
    static int argc = 1;
    static char name[] = "document_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    return app;
}

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* key : {Preferences::kFps, Preferences::kVolume,
                                Preferences::kTempoEmurationType, Preferences::kVerticalWheelFor}) {
            prefs.remove(QString::fromLatin1(key));
        }
        bank = std::make_unique<OrnWaves>(writeBank());
    }

    // One frame of the document.
    float frame(MyDocument& doc, float* left = nullptr, float* right = nullptr) {
        float l = 0, r = 0;
        const float m = doc.toneLeft(&l, &r);
        if (left) {
            *left = l;
        }
        if (right) {
            *right = r;
        }
        return m;
    }

    Preferences prefs;
    std::unique_ptr<OrnWaves> bank;
};

} // namespace doctest
