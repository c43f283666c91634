#pragma once

// One QApplication, sound bank and icon atlas for the whole run, and a
// controller whose documents play into outputs the test pulls and whose
// dialogs answer from a script.

#include "composer/DocumentController.h"
#include "composer/OrnWindowController.h"
#include "display/MyIcons.h"
#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "sound/OrnWaves.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <memory>

#include "ScriptedDialogs.h"
#include "document/ManualAudioOutput.h"

namespace composertest {

class ComposerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        for (const char* key : {Preferences::kFps, Preferences::kVolume,
                                Preferences::kTempoEmurationType, Preferences::kVerticalWheelFor}) {
            prefs.remove(QLatin1String(key));
        }
        controller = std::make_unique<DocumentController>(&dialogs, &prefs);
        controller->setOutputMaker([this]() -> std::unique_ptr<AudioOutput> {
            return std::make_unique<doctest::ManualAudioOutput>(log, openResult);
        });
        controller->clearRecentFiles();
    }
    void TearDown() override {
        // Whatever is still open goes without questions.
        for (OrnWindowController* w : controller->windows()) {
            w->document()->undoStack()->setClean();
            w->document()->storeOrigStatus();
        }
        controller.reset();
        QApplication::processEvents();
    }

    QAction* action(OrnWindowController* w, const char* name) const {
        return w->findChild<QAction*>(QLatin1String(name));
    }
    // A score file in the test's folder with one note.
    QString writeScore(const QString& name) const {
        OrnScore score;
        score.addNoteAt(3, 5, 2);
        const QString path = QDir(folder.path()).filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray::fromStdString(score.toString()));
        return path;
    }
    // Makes `w`'s document edited.
    static void edit(OrnWindowController* w) {
        w->document()->undoableAddNoteAt(10, 4, 1);
    }

    QTemporaryDir folder;
    Preferences prefs;
    ScriptedDialogs dialogs;
    std::shared_ptr<doctest::OutputLog> log = std::make_shared<doctest::OutputLog>();
    AudioOutput::OpenResult openResult;
    std::unique_ptr<DocumentController> controller;
};

} // namespace composertest
