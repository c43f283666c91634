#pragma once

#include "document/MyDocumentOutlets.h"
#include "score/OrnScore.h"
#include "sound/AudioOutput.h"
#include "sound/MyDocumentSyncData.h"
#include "sound/SimpleOrnMixer.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUndoStack>
#include <QVariant>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class AudioOutputWatch;
class QClipboard;
struct OrnStepsChange;
struct SongSettings;
class Dialogs;
class Preferences;

// The audio output's render callback: `context` is the document; fills
// `frames` frames of both channels, one per-frame call each. Audio thread.
int RenderCallback(void* context, int frames, float* left, float* right);

// One open score. The document owns its score, its mixer and the record it
// shares with the audio thread, and follows the user's preferences live.
//
// Threads: toneLeft() runs on the audio thread; everything else on the main
// thread. What the audio thread reads of the document (_playing, the tempo
// emulation coefficient, a restart request) are atomics; the main thread
// never touches the mixer while the audio thread may be using it: a restart
// is a request that the audio thread serves at its next frame, and the
// mixer's remaining length is a value the audio thread publishes. A replaced
// score is freed only once the audio thread has finished the block it may
// have been reading it in.
class MyDocument : public QObject {
    Q_OBJECT

public:
    // The type names of the save and load pair: the file format, and the
    // plain text that paste and drop load.
    static constexpr const char* kOrnFormatType = "ORN Format";
    static constexpr const char* kPlainTextType = "text/plain";
    // Opening and pasting take at most 1 MiB; a dropped file 1 to 8192 bytes.
    static constexpr qint64 kMaxTextBytes = 1 << 20;
    static constexpr qint64 kMaxDropBytes = 8192;

    explicit MyDocument(Preferences* preferences, QObject* parent = nullptr);
    ~MyDocument() override;

    // The current score; valid until the score is replaced, so never kept.
    const OrnScore& score() const { return *_score; }
    // The score to change in place, for the document's renderers (which
    // switch the loop off for a last pass) and for tests; never kept either.
    OrnScore& editableScore() { return *_score; }
    // The one way a score enters the document: stops playback, swaps the
    // score in, records its tempo, measure and loop as saved, clears the undo
    // history (keeping the document edited if it was), emits scoreReplaced.
    void replaceScore(std::unique_ptr<OrnScore> score);
    MyDocumentSyncData* syncData() const { return _syncData.get(); }
    Preferences* preferences() const { return _preferences; }
    // Alerts and the save-changes question go here; without dialogs an alert
    // is logged and the question answers Cancel.
    void setDialogs(Dialogs* dialogs) { _dialogs = dialogs; }
    Dialogs* dialogs() const { return _dialogs; }

    // The file the document stands for; empty while untitled.
    QString filePath() const { return _filePath; }
    void setFilePath(const QString& path);
    // The file's name, or "Untitled", "Untitled 2", ... in the order the
    // documents of this run were first named without a file; an untitled
    // document restored after a crash is "NAME (recovered)".
    QString displayName() const;
    // The path of the file an untitled document was restored from (its name
    // when it had none, as "Untitled 2"), or empty.
    void setRecoveredFrom(const QString& name);
    QString recoveredFrom() const { return _recoveredFrom; }
    // The open document standing for `path` (compared as canonical paths),
    // or null.
    static MyDocument* documentForPath(const QString& path);
    // A new document holding the score file at `path`, or null after an
    // alert that names the file and the reason.
    static std::unique_ptr<MyDocument> openPath(const QString& path, Preferences* preferences,
                                                Dialogs* dialogs);

    // Editing. The tool the requests use: 0..14 an instrument, 15 the End
    // tool; in erase mode a left click erases.
    void setSelectedInst(int inst) { _selectedInst = inst; }
    int selectedInst() const { return _selectedInst; }
    void setEraseMode(bool eraseMode) { _eraseMode = eraseMode; }
    bool eraseMode() const { return _eraseMode; }
    // A left and a right click on a staff cell (note 1..13; any other note
    // is no cell and does nothing, except for the End tool).
    void requestAddNoteAt(int index, int note);
    void requestRemoveNoteAt(int index, int note);
    void undoableAddNoteAt(int index, int note, int prog);
    void undoableRemoveNoteAt(int index, int note);
    void undoableSetEnd(int end);
    // Not undoable: the edited state compares the tempo with the saved one.
    void undoableSetTempo(int tempo);
    // Unsaved note or end-mark edits, or tempo, measure or loop other than
    // saved.
    bool isDocumentEdited() const;
    // Emits editedChanged when isDocumentEdited has changed; the palette
    // calls it after changing measure or loop.
    void updateEditedState();
    QUndoStack* undoStack() { return &_undoStack; }

    // Step ranges, steps [first, first + count) (MyDocumentSteps.cpp). Copy
    // puts their score text on the clipboard; each of the others is one undo
    // entry, pushed only when it changes something. Paste writes the
    // clipboard's steps from step `at` on. Each answers whether it did
    // anything, and says in statusMessage what the user should know.
    bool copySteps(int first, int count);
    bool cutSteps(int first, int count);
    bool pasteSteps(int at);
    bool deleteSteps(int first, int count);
    bool insertEmptySteps(int first, int count);

    // Exchange: the save and load pair by type name, the clipboard, a
    // dropped file, saving and the save-changes question.
    QByteArray dataRepresentationOfType(const QString& type);
    bool loadDataRepresentation(const QByteArray& data, const QString& type);
    void copy();
    // The clipboard's song made the document's, as one undo entry (the file
    // and name stay), then played; text that is not a score gets an alert.
    void paste();
    void dropFile(const QString& path, bool link);
    void dropCallback(bool shouldClose);
    // Asks whether to save an edited document: true when it may be closed or
    // replaced (saved, or not to be saved), false on Cancel or a failed save.
    bool canCloseDocument();
    // Saves to the document's file, asking for a path while untitled.
    bool save();
    // Asks for a path (the document's own, or the untitled name in the
    // documents folder), adds ".orn" to a name without an extension, and
    // saves there.
    bool saveAs();
    // Writes the full form with CR LF to `path` atomically; on success the
    // document stands for `path` and is unedited. On failure an alert names
    // the file and the reason, and the document and the file stay as they
    // were.
    bool saveToPath(const QString& path);

    // Records the score's tempo, measure and loop as the saved state.
    void storeOrigStatus();
    int origTempo() const { return _origTempo; }
    int origMeasure() const { return _origMeasure; }
    bool origLoop() const { return _origLoop; }

    // Reread "volume", "tempoEmurationType" and "playbackQuality".
    void updateVolume();
    void updateTempoEmurationCoefficient();
    void updatePlaybackQuality();
    // Smooth playback fades the voices the mixer drops and interpolates
    // pitched voices; it takes effect at the next step.
    void setSmoothPlayback(bool smooth) {
        _smoothPlayback.store(smooth, std::memory_order_relaxed);
    }
    bool smoothPlayback() const { return _smoothPlayback.load(std::memory_order_relaxed); }
    // The coefficient of a "tempoEmurationType" value: 0, 32, 48 or 64.
    static int coefficientForType(int type);
    void setTempoEmurationCoefficient(int coefficient) {
        _tempoEmurationCoefficient.store(coefficient, std::memory_order_relaxed);
    }
    int tempoEmurationCoefficient() const {
        return _tempoEmurationCoefficient.load(std::memory_order_relaxed);
    }
    int fps() const { return _fps; }

    // Ends the observation of the preferences (the window closing ends it;
    // freeing the document ends it too if the window never closed).
    void stopObserving();

    // The audio output. initAudio() opens the default device; the overload
    // opens `output` instead. When it cannot be opened the failure is logged,
    // false is returned and a silent output that keeps real-time pace takes
    // its place, so that playback still advances.
    bool initAudio();
    bool initAudio(std::unique_ptr<AudioOutput> output);
    // Whether initAudio opened the output it was asked for (false before it
    // is called and after a fall-back to the silent output, or after the
    // device was lost).
    bool hasAudioOutput() const { return _hasAudioOutput; }
    // Why the last initAudio fell back to the silent output, for a person;
    // empty when it opened its output.
    const QString& audioFailure() const { return _audioFailure; }
    AudioOutput* audioOutput() const { return _audioUnit.get(); }
    bool isAudioUnitRunning() const { return _audioUnitRunning; }
    void startAudioUnit();
    void stopAudioUnit();
    // Stops the output when neither the score nor a preview can sound;
    // otherwise, while a preview has time left, checks again after it.
    bool stopAudioUnitIfPossible();
    void checkAudioEnd();
    // Makes `tone` the preview voice (null clears it) and runs the output
    // until it has ended.
    void playSingleSound(std::shared_ptr<ToneGenerator> tone);

    // Playback from step 0 (called again while playing: restart at step 0).
    void startPlaying();
    void stopPlaying();
    bool isPlaying() const { return _playing.load(std::memory_order_acquire); }
    // The play and stop buttons' action: only the play button starts.
    void togglePlaying(QObject* sender);
    // Toggles between playing and stopped.
    void play(QObject* sender);
    void setPlayButton(QObject* button) { _playButton = button; }
    // The display tick: follows the play position while playing, and stops
    // a score that does not loop once it has rung out past its end.
    void onPlaying();
    // The repeating display timer while playing, else null; and the pending
    // end check of the output, if any.
    const QTimer* displayTimer() const { return _timer; }
    const QTimer* stopCheckTimer() const { return _timerForStopAudioUnit; }
    // Display ticks a second: the "fps" preference held within 1 to 240.
    int displayFps() const;

    // The window is closing: playback and output stop, both timers go, a
    // fractional "fps" is stored as a whole number, the observation ends.
    void windowWillClose();

    // One output frame: the score (while playing) and the preview voice,
    // at the volume; publishes the play position. Audio thread only.
    float toneLeft(float* left, float* right);
    // Renders up to `maxFrames` frames into left[] and right[], the same
    // values as that many toneLeft calls when nothing changes meanwhile, and
    // returns how many it rendered: the frame that begins a step alone, or
    // frames of one step without a preview, mixed as a block.
    int renderFrames(float* left, float* right, int maxFrames);
    // Playback itself, without the output or the display: from step 0 with
    // a fresh mixer (a request the audio thread serves at its next frame),
    // and its end. The transport builds on these; rendering to a file uses
    // them alone.
    void restartPlayback();
    void haltPlayback();

    // The mixer's remaining length as last published by the audio thread.
    int mixerDuration() const { return _mixerDuration.load(std::memory_order_acquire); }
    // True from startPlaying until the audio thread has begun step 0.
    bool restartPending() const {
        return _restartRequests.load(std::memory_order_acquire) !=
               _restartsServed.load(std::memory_order_acquire);
    }
    // Audio thread, at the end of every block: the score the block read may
    // now be freed.
    void blockRendered() { _blocksRendered.fetch_add(1, std::memory_order_seq_cst); }
    // Replaced scores still waiting for the audio thread to move on.
    std::size_t retiredScoreCount() const { return _retiredScores.size(); }

    // Frames per step at a tempo (steps per minute) and tempo emulation
    // coefficient (0, 32, 48 or 64). A tempo below 1 plays as tempo 1.
    static int stepLength(int tempo, int coefficient);
    // The same step in seconds, before it is cut to whole frames.
    static double stepSeconds(int tempo, int coefficient);

    // The tool palette. The buttons' actions name their button; the tempo
    // controls send their value. The wheel changes the tool silently.
    void changeInst(MyDocumentOutlets::Button sender);
    void changeInstRelatively(int delta);
    void setInst(int index, bool beep);
    void toggleEraser();
    void toggleMeasure(MyDocumentOutlets::Button sender);
    void toggleLoop();
    void tempoChanged(int value);
    void toggleDrawer();
    void changeIconForInst();
    void changeIconForEraser();
    void changeIconForMeasure();
    void changeIconForPlayer();
    void changeIconForLoop();

    // The window. makeWindowControllers builds it with `makeWindow`, which
    // answers the window's outlets (owned by the window, which outlives its
    // use here: windowWillClose ends it), then finishes it with
    // windowControllerDidLoadNib: palette pictures, the audio output (one
    // made by the output maker, else the default device) and the drawer.
    using WindowMaker = std::function<MyDocumentOutlets*(MyDocument*)>;
    using OutputMaker = std::function<std::unique_ptr<AudioOutput>()>;
    void makeWindowControllers(const WindowMaker& makeWindow);
    void windowControllerDidLoadNib(MyDocumentOutlets* outlets);
    void openDrawer();
    void setOutputMaker(OutputMaker maker) { _outputMaker = std::move(maker); }
    MyDocumentOutlets* outlets() const { return _outlets; }

signals:
    // The staff view follows the play position (each display tick).
    void scrollRequested(float position, bool updateSlider);
    // The palette shows the play state on its play and stop buttons.
    void playStateChanged(bool playing);
    // The staff view draws the score again.
    void redrawRequested();
    // A new score came in: the window refreshes its palette and drawer.
    void scoreReplaced();
    void editedChanged(bool edited);
    // The score or its saved state may have changed (any edit, undo, redo
    // or save); editedChanged tells only when the edited state flips.
    void documentChanged();
    void filePathChanged(const QString& path);
    // The tempo controls show this tempo.
    void tempoDisplayChanged(int tempo);
    // The output's device went away (it stopped taking blocks, or would
    // not stop): the document now plays on the silent output. `reason`
    // names the device, as in "the audio device "system" stopped taking
    // sound".
    void audioOutputLost(const QString& reason);
    // A short note for the status bar, such as why a paste found nothing.
    void statusMessage(const QString& message);

private:
    friend class AddNoteCommand;
    friend class StepsCommand;
    friend class RemoveNoteCommand;
    friend class SetEndCommand;
    friend class SongCommand;

    // The score edits the undo commands make, each followed by a redraw.
    void changeNoteAt(int index, int note, int prog);
    void eraseNoteAt(int index, int note);
    void restoreStep(int index, std::span<const OrnNote> cells);
    void changeEnd(int end);
    void changeSteps(const OrnStepsChange& change, bool forward);
    // Pushes a change of steps as one undo entry, unless it changes nothing.
    bool pushSteps(OrnStepsChange change);
    // The score's steps, end mark and settings changed in place (the audio
    // thread may be reading them), and their entry pushed.
    void changeSong(const OrnStepsChange& change, const SongSettings& settings, bool forward);
    void pushSong(const OrnScore& song);
    // The application's clipboard; none in headless runs.
    static QClipboard* systemClipboard();
    // Every document alive, for documentForPath.
    static std::vector<MyDocument*>& liveDocuments();
    // Frees the replaced scores the audio thread can no longer be reading.
    void reclaimRetiredScores();
    void alert(const QString& title, const QString& detail);

    void startDisplayTimer();
    void cancelDisplayTimer();
    void cancelStopChecks();
    void watchAudioOutput();
    void switchToSilentOutput();
    void observeValueForKeyPath(const QString& keyPath, const QVariant& value);

    struct RetiredScore {
        std::unique_ptr<OrnScore> score;
        // _blocksRendered when it was replaced.
        std::uint32_t blocks;
    };

    std::unique_ptr<OrnScore> _score;
    std::vector<RetiredScore> _retiredScores;
    std::atomic<OrnScore*> _liveScore{nullptr};
    // Blocks the audio thread has finished; it moves on from a replaced
    // score once this has changed.
    std::atomic<std::uint32_t> _blocksRendered{0};
    int _selectedInst = 0;
    bool _eraseMode = false;
    std::atomic<bool> _playing{false};
    std::atomic<int> _tempoEmurationCoefficient{0};
    std::atomic<bool> _smoothPlayback{false};
    std::unique_ptr<SimpleOrnMixer> _mixer;
    std::unique_ptr<MyDocumentSyncData> _syncData;
    int _origTempo = 0;
    int _origMeasure = 0;
    bool _origLoop = false;
    int _fps = 30;

    Preferences* _preferences;
    QMetaObject::Connection _observation;
    Dialogs* _dialogs = nullptr;
    QString _filePath;
    QString _recoveredFrom;
    mutable int _untitledNumber = 0;
    QUndoStack _undoStack;
    bool _lastEdited = false;
    QString _dropFileName;
    bool _dropForLink = false;

    // Restart requests made and served; the audio thread serves a request
    // by beginning step 0 and then publishing the count it served, so a
    // request made meanwhile is served at the next frame, never lost.
    std::atomic<std::uint32_t> _restartRequests{0};
    std::atomic<std::uint32_t> _restartsServed{0};
    std::atomic<int> _mixerDuration{0};
    // The step length is worked out again only when tempo or coefficient
    // change; audio thread only.
    int _stepTempo = 0;
    int _stepCoefficient = -1;
    int _stepFrames = 1;

    // Declared after everything the audio thread uses, so that the output
    // is gone first (the destructor also closes it explicitly).
    std::unique_ptr<AudioOutput> _audioUnit;
    bool _audioUnitRunning = false;
    bool _hasAudioOutput = false;
    QString _audioFailure;
    AudioOutputWatch* _outputWatch = nullptr;
    QTimer* _timer = nullptr;
    // The ticks a second _timer was made for.
    int _timerFps = 0;
    QPointer<QTimer> _timerForStopAudioUnit;
    QObject* _playButton = nullptr;
    MyDocumentOutlets* _outlets = nullptr;
    OutputMaker _outputMaker;
};
