#include "display/MyIcons.h"
#include "document/MyDocument.h"
#include "document/Preferences.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QStringList>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "document/DocumentTestUtil.h"
#include "document/ManualAudioOutput.h"

namespace {

using Button = MyDocumentOutlets::Button;
using doctest::DocumentTest;

// The window's controls, recording what the document does to them.
class FakeOutlets : public MyDocumentOutlets {
public:
    void setImage(Button button, const QImage* image) override { images[button] = image; }
    const QImage* image(Button button) const override {
        const auto it = images.find(button);
        return it != images.end() ? it->second : nullptr;
    }
    void showTempo(int tempo) override { tempos.push_back(tempo); }
    void openDrawer() override { ++drawerOpened; }
    void toggleDrawer() override { ++drawerToggled; }
    void changeCursor(int index) override { cursors.push_back(index); }
    void redraw() override { ++redraws; }
    void scrollTo(float position, bool) override { scrolls.push_back(position); }
    void updateTitle() override { ++titles; }
    void showAudioLost(const QString& reason) override { lost << reason; }
    void showStatus(const QString& message) override { statuses << message; }

    std::map<Button, const QImage*> images;
    std::vector<int> tempos;
    std::vector<int> cursors;
    int drawerOpened = 0;
    int drawerToggled = 0;
    int redraws = 0;
    std::vector<float> scrolls;
    int titles = 0;
    QStringList lost;
    QStringList statuses;
};

class Palette : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        doctest::application();
        doc = std::make_unique<MyDocument>(&prefs);
        doc->setOutputMaker(
            [this] { return std::make_unique<doctest::ManualAudioOutput>(log); });
        doc->makeWindowControllers([this](MyDocument*) { return &outlets; });
        outlets.cursors.clear();
    }

    // The sample the preview voice plays now ("sound<n>"), or nullopt when
    // the preview is silent.
    std::optional<int> previewSample() {
        float left = 0;
        frame(*doc, &left);
        for (int n = 1; n <= 29; ++n) {
            if (std::abs(left - doctest::leftOf(doctest::levelOf(n))) < 1e-6) {
                return n;
            }
        }
        return std::nullopt;
    }

    MyIcons icons;
    FakeOutlets outlets;
    std::shared_ptr<doctest::OutputLog> log = std::make_shared<doctest::OutputLog>();
    std::unique_ptr<MyDocument> doc;
};

TEST_F(Palette, ToolChoiceSetsToolCursorAndSound) {
    struct Case {
        const char* name;
        int from;
        bool eraserOn;
        std::function<void(MyDocument&)> act;
        int tool;
        std::optional<int> sample;
    };
    const std::vector<Case> cases = {
        {"click Zubo", 5, false, [](MyDocument& d) { d.changeInst(Button::Zubo); }, 0, 1},
        {"click Heart", 0, false, [](MyDocument& d) { d.changeInst(Button::Heart); }, 14, 15},
        {"click End", 0, false, [](MyDocument& d) { d.changeInst(Button::End); }, 15, 16},
        {"click over eraser", 3, true, [](MyDocument& d) { d.changeInst(Button::Dog); }, 6, 7},
        {"wheel -1 from 0", 0, false, [](MyDocument& d) { d.changeInstRelatively(-1); }, 15,
         std::nullopt},
        {"wheel +1 from 15", 15, false, [](MyDocument& d) { d.changeInstRelatively(1); }, 0,
         std::nullopt},
        {"wheel -17 from 2", 2, false, [](MyDocument& d) { d.changeInstRelatively(-17); }, 1,
         std::nullopt},
        {"wheel over eraser", 4, true, [](MyDocument& d) { d.changeInstRelatively(1); }, 5,
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc->setInst(c.from, false);
        if (c.eraserOn) {
            doc->toggleEraser();
        }
        doc->syncData()->setTone(nullptr);
        outlets.cursors.clear();
        c.act(*doc);
        EXPECT_EQ(doc->selectedInst(), c.tool);
        EXPECT_FALSE(doc->eraseMode());
        EXPECT_EQ(outlets.cursors, std::vector<int>{c.tool});
        EXPECT_EQ(outlets.image(Button::InstSelected), icons.getZuboIcon(c.tool));
        EXPECT_EQ(outlets.image(Button::Erase), icons.getEraseIcon(false));
        EXPECT_EQ(previewSample(), c.sample);
    }
}

TEST_F(Palette, ButtonWithUnknownImageChangesNothing) {
    doc->setInst(3, false);
    const QImage stranger = *icons.getZuboIcon(7);  // same pixels, another image
    outlets.setImage(Button::Cat, &stranger);
    outlets.cursors.clear();
    doc->syncData()->setTone(nullptr);
    testing::internal::CaptureStderr();
    doc->changeInst(Button::Cat);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("BUG: iconIndex returns -1"),
              std::string::npos);
    EXPECT_EQ(doc->selectedInst(), 3);
    EXPECT_TRUE(outlets.cursors.empty());
    EXPECT_EQ(previewSample(), std::nullopt);
}

TEST_F(Palette, EraserTogglesIconCursorAndKeepsTheToolPicture) {
    doc->setInst(8, false);
    doc->syncData()->setTone(nullptr);
    struct Step {
        bool on;
        int cursor;
    };
    for (const Step& s : {Step{true, 16}, Step{false, 8}}) {
        SCOPED_TRACE(s.on);
        doc->toggleEraser();
        EXPECT_EQ(doc->eraseMode(), s.on);
        EXPECT_EQ(outlets.image(Button::Erase), icons.getEraseIcon(s.on));
        EXPECT_EQ(outlets.cursors.back(), s.cursor);
        EXPECT_EQ(outlets.image(Button::InstSelected), icons.getZuboIcon(8));
        EXPECT_EQ(previewSample(), 20);
    }
}

TEST_F(Palette, MeasureAndLoopSwitchesClickAndRedraw) {
    struct Case {
        const char* name;
        int measureBefore;
        std::function<void(MyDocument&)> act;
        int measure;
        bool loop;
    };
    const std::vector<Case> cases = {
        {"3/4 from 4", 4, [](MyDocument& d) { d.toggleMeasure(Button::Measure3); }, 3, false},
        {"3/4 while 3", 3, [](MyDocument& d) { d.toggleMeasure(Button::Measure3); }, 3, false},
        {"4/4 from 3", 3, [](MyDocument& d) { d.toggleMeasure(Button::Measure4); }, 4, false},
        {"loop on", 4, [](MyDocument& d) { d.toggleLoop(); }, 4, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc->editableScore().setMeasure(c.measureBefore);
        doc->editableScore().setLoop(false);
        const int redraws = outlets.redraws;
        c.act(*doc);
        EXPECT_EQ(doc->score().measure(), c.measure);
        EXPECT_EQ(doc->score().loop(), c.loop);
        EXPECT_EQ(outlets.redraws, redraws + 1);
        EXPECT_EQ(previewSample(), 18);
        if (!c.loop) {
            EXPECT_EQ(outlets.image(Button::Measure3), icons.getMeasure3Icon(c.measure == 3));
            EXPECT_EQ(outlets.image(Button::Measure4), icons.getMeasure4Icon(c.measure == 4));
        } else {
            EXPECT_EQ(outlets.image(Button::Loop), icons.getLoopIcon(true));
        }
    }
}

// Every notice of the document reaches its window through the outlets, and
// none once the window has closed.
TEST_F(Palette, TheWindowHearsTheDocumentThroughItsOutletsOnly) {
    const auto notify = [this] {
        emit doc->scrollRequested(12.5f, true);
        emit doc->redrawRequested();
        emit doc->editedChanged(true);
        emit doc->filePathChanged(QStringLiteral("/a.orn"));
        emit doc->audioOutputLost(QStringLiteral("the device is gone"));
        emit doc->statusMessage(QStringLiteral("Copied 1 step"));
        emit doc->tempoDisplayChanged(77);
    };
    outlets.redraws = 0;
    outlets.tempos.clear();
    notify();
    EXPECT_EQ(outlets.scrolls, std::vector<float>{12.5f});
    EXPECT_EQ(outlets.redraws, 1);
    EXPECT_EQ(outlets.titles, 2);
    EXPECT_EQ(outlets.lost, QStringList{QStringLiteral("the device is gone")});
    EXPECT_EQ(outlets.statuses, QStringList{QStringLiteral("Copied 1 step")});
    EXPECT_EQ(outlets.tempos, std::vector<int>{77});

    doc->windowWillClose();
    notify();
    EXPECT_EQ(outlets.scrolls.size(), 1u);
    EXPECT_EQ(outlets.redraws, 1);
    EXPECT_EQ(outlets.titles, 2);
    EXPECT_EQ(outlets.statuses.size(), 1);
}

TEST_F(Palette, TempoChangesOnlyWhenItDiffers) {
    doc->editableScore().setTempo(120);
    outlets.tempos.clear();
    doc->tempoChanged(120);
    EXPECT_TRUE(outlets.tempos.empty());
    doc->tempoChanged(200);
    EXPECT_EQ(doc->score().tempo(), 200);
    EXPECT_EQ(outlets.tempos, std::vector<int>{200});
    EXPECT_FALSE(doc->syncData()->hasTone());
}

TEST_F(Palette, LoadedScoreShowsInThePaletteAndTheDrawerOpens) {
    for (int i = 0; i < MyDocumentOutlets::kToolButtons; ++i) {
        EXPECT_EQ(outlets.image(MyDocumentOutlets::toolButton(i)), icons.getZuboIcon(i)) << i;
    }
    auto loaded = std::make_unique<OrnScore>();
    loaded->setMeasure(3);
    loaded->setLoop(true);
    loaded->setTempo(77);
    doc->setInst(12, false);
    doc->toggleEraser();
    outlets.images.erase(Button::Measure3);
    // A load replaces the score, and the palette follows it.
    doc->replaceScore(std::move(loaded));
    EXPECT_EQ(outlets.drawerOpened, 2);
    EXPECT_EQ(outlets.tempos.back(), 77);
    EXPECT_EQ(outlets.image(Button::InstSelected), icons.getZuboIcon(16));
    EXPECT_EQ(outlets.image(Button::Erase), icons.getEraseIcon(true));
    EXPECT_EQ(outlets.image(Button::Measure3), icons.getMeasure3Icon(true));
    EXPECT_EQ(outlets.image(Button::Measure4), icons.getMeasure4Icon(false));
    EXPECT_EQ(outlets.image(Button::Loop), icons.getLoopIcon(true));
    EXPECT_EQ(outlets.image(Button::Play), icons.getPlayIcon(false));
    EXPECT_EQ(outlets.image(Button::Stop), icons.getStopIcon(true));
}

TEST_F(Palette, PlayAndStopIconsFollowTheTransport) {
    doc->startPlaying();
    EXPECT_EQ(outlets.image(Button::Play), icons.getPlayIcon(true));
    EXPECT_EQ(outlets.image(Button::Stop), icons.getStopIcon(false));
    doc->stopPlaying();
    EXPECT_EQ(outlets.image(Button::Play), icons.getPlayIcon(false));
    EXPECT_EQ(outlets.image(Button::Stop), icons.getStopIcon(true));
}

class WindowClose : public Palette {};

TEST_F(WindowClose, FractionalFpsIsStoredWhole) {
    struct Case {
        QVariant stored;
        QVariant after;
    };
    const std::vector<Case> cases = {
        {29.97, 29}, {25.0, 25.0}, {-5, -5}, {60, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.toString().toStdString());
        prefs.setValue(QLatin1String(Preferences::kFps), c.stored);
        auto other = std::make_unique<MyDocument>(&prefs);
        other->windowWillClose();
        // Whole or unusable values stay exactly as stored, type included.
        const QVariant after = prefs.value(QLatin1String(Preferences::kFps));
        EXPECT_EQ(after.typeId(), c.after.typeId());
        EXPECT_EQ(after, c.after);
    }
}

TEST_F(WindowClose, StopsTheSoundBeforeTheWindowGoes) {
    doc->startPlaying();
    ASSERT_TRUE(log->running);
    doc->windowWillClose();
    EXPECT_FALSE(doc->isPlaying());
    EXPECT_FALSE(log->running);
    EXPECT_EQ(doc->displayTimer(), nullptr);
    EXPECT_EQ(doc->stopCheckTimer(), nullptr);
    // The window's controls are no longer touched.
    const int redraws = outlets.redraws;
    doc->toggleLoop();
    EXPECT_EQ(outlets.redraws, redraws);
}

TEST_F(WindowClose, FailedOutputStillOpensTheWindowSilent) {
    auto failing = std::make_unique<MyDocument>(&prefs);
    failing->setOutputMaker([this] {
        return std::make_unique<doctest::ManualAudioOutput>(
            log, AudioOutput::OpenResult{AudioOutput::OpenStep::Initialize, -1});
    });
    FakeOutlets other;
    failing->makeWindowControllers([&other](MyDocument*) { return &other; });
    EXPECT_FALSE(failing->hasAudioOutput());
    EXPECT_EQ(other.drawerOpened, 1);
    failing->windowWillClose();
}

} // namespace
