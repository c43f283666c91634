#include "document/AudioOutputWatch.h"
#include "document/MyDocument.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

#include "document/DocumentTestUtil.h"
#include "document/ManualAudioOutput.h"

namespace {

using doctest::ManualAudioOutput;
using doctest::OutputLog;

// A manual output standing for a real device, which can go away: it is
// watched, and a stop can be made to give the device up as a stop on a
// vanished device does.
class DeviceOutput : public ManualAudioOutput {
public:
    DeviceOutput(std::shared_ptr<OutputLog> log, bool canBeLost, bool stopGivesUp)
        : ManualAudioOutput(std::move(log)), _canBeLost(canBeLost), _stopGivesUp(stopGivesUp) {}

    bool canBeLost() const override { return _canBeLost; }
    bool lost() const override { return _lost; }
    int stop() override {
        _lost = _lost || _stopGivesUp;
        return ManualAudioOutput::stop();
    }
    void abandon() override {
        _lost = true;
        close();
    }
    std::string deviceName() const override { return "test device"; }

private:
    bool _canBeLost;
    bool _stopGivesUp;
    bool _lost = false;
};

struct Case {
    const char* name;
    bool canBeLost;
    bool keepsRendering; // blocks keep coming throughout
    bool stopGivesUp;    // the stop at the end gives the device up
    bool lostWhilePlaying;
    bool lostAtStop;
};

// Every case plays one document for half again the time a device may be
// silent, side by side, then stops it.
TEST(OutputLoss, ALostDeviceSwitchesTheDocumentToTheSilentOutput) {
    doctest::application();
    const Case cases[] = {
        {"device that stops calling back", true, false, false, true, true},
        {"device that keeps calling back", true, true, false, false, false},
        {"output without a device", false, false, false, false, false},
        {"device whose stop gives up", true, true, true, false, true},
    };
    Preferences prefs;
    const auto bankFolder = doctest::writeBank();
    const OrnWaves bank(bankFolder);
    struct Running {
        std::unique_ptr<MyDocument> doc;
        DeviceOutput* output;
        std::unique_ptr<QSignalSpy> lost;
    };
    std::vector<Running> running;
    for (const Case& c : cases) {
        auto doc = std::make_unique<MyDocument>(&prefs);
        doc->stopObserving();
        auto device = std::make_unique<DeviceOutput>(std::make_shared<OutputLog>(), c.canBeLost,
                                                     c.stopGivesUp);
        DeviceOutput* output = device.get();
        ASSERT_TRUE(doc->initAudio(std::move(device)));
        auto spy = std::make_unique<QSignalSpy>(doc.get(), &MyDocument::audioOutputLost);
        doc->startPlaying();
        output->pull(1024);
        running.push_back({std::move(doc), output, std::move(spy)});
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < AudioOutputWatch::kLostAfter.count() * 3 / 2) {
        for (std::size_t i = 0; i < running.size(); ++i) {
            if (cases[i].keepsRendering) {
                running[i].output->pull(256);
            }
        }
        QTest::qWait(10);
    }
    for (std::size_t i = 0; i < running.size(); ++i) {
        const Case& c = cases[i];
        MyDocument& doc = *running[i].doc;
        EXPECT_EQ(running[i].lost->count(), c.lostWhilePlaying ? 1 : 0) << c.name;
        EXPECT_TRUE(doc.isPlaying()) << c.name;
        if (c.lostWhilePlaying) {
            // Playback goes on at real-time pace, silently.
            EXPECT_EQ(doc.audioOutput()->deviceName(), "no audio output") << c.name;
            EXPECT_FALSE(doc.hasAudioOutput()) << c.name;
            const auto blocks = doc.audioOutput()->blocksRendered();
            QTest::qWait(100);
            EXPECT_GT(doc.audioOutput()->blocksRendered(), blocks) << c.name;
        } else {
            running[i].output->pull(256);
        }
        doc.stopPlaying();
        EXPECT_EQ(running[i].lost->count(), c.lostAtStop ? 1 : 0) << c.name;
        EXPECT_EQ(doc.hasAudioOutput(), !c.lostAtStop) << c.name;
        EXPECT_FALSE(doc.isAudioUnitRunning()) << c.name;
        if (c.lostAtStop) {
            const QString reason = running[i].lost->front().front().toString();
            EXPECT_TRUE(reason.contains(QStringLiteral("\"test device\""))) << c.name;
        }
    }
}

} // namespace
