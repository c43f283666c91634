#pragma once

#include "document/MyDocumentOutlets.h"
#include "document/PathBytes.h"
#include "score/OrnScore.h"
#include "sound/AudioOutput.h"
#include "sound/OrnPlayer.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUndoStack>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AudioOutputWatch;
class QClipboard;
struct OrnStepsChange;
struct SongSettings;
class Dialogs;
class Preferences;
class QWidget;

// One open score. The document owns its score and the player that plays it
// (the mixer and the record it shares with the audio thread), and follows
// the user's preferences live.
//
// Threads: toneLeft() runs on the audio thread (the player's render callback
// calls the player's own); everything else on the main thread. The player
// keeps what both threads share.
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
    // The score to change in place, for tests; never kept either.
    OrnScore& editableScore() { return *_score; }
    // The one way a score enters the document: stops playback, swaps the
    // score in, records its tempo, measure and loop as saved, clears the undo
    // history (keeping the document edited if it was), emits scoreReplaced.
    void replaceScore(std::unique_ptr<OrnScore> score);
    MyDocumentSyncData* syncData() const { return _player.syncData(); }
    OrnPlayer& player() { return _player; }
    Preferences* preferences() const { return _preferences; }
    // Alerts and the save-changes question go here; without dialogs an alert
    // is logged and the question answers Cancel.
    void setDialogs(Dialogs* dialogs) { _dialogs = dialogs; }
    Dialogs* dialogs() const { return _dialogs; }

    // The file the document stands for; empty while untitled. Setting it
    // records what the file is now, so that a later save notices another
    // program's changes.
    QString filePath() const { return _filePath; }
    void setFilePath(const QString& path);
    // Whether anything but the empty new score was ever in the document: a
    // score came in (opened, pasted, dropped, restored, an example) or an
    // edit was made, even if undone.
    bool hasHeldContent() const { return _heldContent; }
    // The file's name, or "Untitled", "Untitled 2", ... in the order the
    // documents of this run were first named without a file; an untitled
    // document restored after a crash is "NAME (recovered)", or
    // "NAME (recovered 2)" and on while another restored one has that name.
    QString displayName() const;
    // The path of the file an untitled document was restored from (its name
    // when it had none, as "Untitled 2"), or empty.
    void setRecoveredFrom(const QString& name);
    QString recoveredFrom() const { return _recoveredFrom; }
    // An untitled document made by importing the file `name` is "NAME (imported)".
    void setImportedFrom(const QString& name) { _importedFrom = name; }
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
    // `window` is the document's own, which the question is shown over.
    bool canCloseDocument(QWidget* window = nullptr);
    // Saves to the document's file, asking for a path while untitled.
    bool save();
    // Asks for a path (the document's own, or the untitled name in the
    // documents folder), adds ".orn" to a name without an extension (asking
    // before that replaces a file), and saves there.
    bool saveAs();
    // Writes the full form with CR LF to `path` atomically; on success the
    // document stands for `path` and is unedited. On failure an alert names
    // the file and the reason, and the document and the file stay as they
    // were. A file open in another document is refused with an alert; the
    // document's own file, changed by another program since it was opened
    // or saved here, is replaced only when the user says so.
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
    void setSmoothPlayback(bool smooth) { _player.setSmoothPlayback(smooth); }
    bool smoothPlayback() const { return _player.smoothPlayback(); }
    // The coefficient of a "tempoEmurationType" value: 0, 32, 48 or 64.
    static int coefficientForType(int type);
    void setTempoEmurationCoefficient(int coefficient) {
        _player.setTempoEmurationCoefficient(coefficient);
    }
    int tempoEmurationCoefficient() const { return _player.tempoEmurationCoefficient(); }
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

    // Playback from step `from` (called again while playing: restart
    // there); a looping score plays `passes` passes, the first from `from`,
    // and then rings out, or loops until stopped with OrnPlayer::kEndless.
    void startPlaying(int passes = OrnPlayer::kEndless, int from = 0);
    // Playback of the `count` steps from `first` only, looping them until
    // stopped whatever the score's loop flag.
    void startPlayingSteps(int first, int count);
    void stopPlaying();
    bool isPlaying() const { return _player.isPlaying(); }
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

    // The player's per-frame and block operations, the playback without
    // the output or the display (from step 0 with a fresh mixer, and its
    // end), and the state it publishes: see OrnPlayer. The transport builds
    // on these. Audio thread: toneLeft, renderFrames, blockRendered.
    float toneLeft(float* left, float* right) { return _player.toneLeft(left, right); }
    int renderFrames(float* left, float* right, int maxFrames) {
        return _player.renderFrames(left, right, maxFrames);
    }
    void restartPlayback(int passes = OrnPlayer::kEndless, int from = 0) {
        _player.restart(passes, from);
    }
    void haltPlayback() { _player.halt(); }
    int mixerDuration() const { return _player.mixerDuration(); }
    bool restartPending() const { return _player.restartPending(); }
    void blockRendered() { _player.blockRendered(); }
    std::size_t retiredScoreCount() const { return _player.retiredScoreCount(); }
    static int stepLength(int tempo, int coefficient) {
        return OrnPlayer::stepLength(tempo, coefficient);
    }
    static double stepSeconds(int tempo, int coefficient) {
        return OrnPlayer::stepSeconds(tempo, coefficient);
    }

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
    // Alerts and answers true when another document stands for `path`.
    bool refuseFileOfAnother(const QString& path);
    // False when `path` is the document's file, another program has changed
    // it since, and the user does not want it replaced.
    bool mayReplaceChangedFile(const QString& path);

    void startDisplayTimer();
    void cancelDisplayTimer();
    void cancelStopChecks();
    void watchAudioOutput();
    void switchToSilentOutput();
    void forwardToOutlets();
    void observeValueForKeyPath(const QString& keyPath, const QVariant& value);

    std::unique_ptr<OrnScore> _score;
    // Made after the score it plays.
    OrnPlayer _player;
    int _selectedInst = 0;
    bool _eraseMode = false;
    int _origTempo = 0;
    int _origMeasure = 0;
    bool _origLoop = false;
    int _fps = 30;

    Preferences* _preferences;
    QMetaObject::Connection _observation;
    Dialogs* _dialogs = nullptr;
    QString _filePath;
    QString _recoveredFrom;
    QString _importedFrom;
    // Tells restored documents of one name apart; 0 when not restored.
    int _recoveredNumber = 0;
    // The file at _filePath as last opened or saved here.
    std::optional<zubo::FileStamp> _seenFile;
    bool _heldContent = false;
    mutable int _untitledNumber = 0;
    QUndoStack _undoStack;
    bool _lastEdited = false;
    QString _dropFileName;
    bool _dropForLink = false;

    // Declared after the player the audio thread uses, so that the output
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
