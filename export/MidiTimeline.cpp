#include "export/MidiTimeline.h"

#include "score/OrnScore.h"
#include "sound/OrnPlayer.h"
#include "sound/OrnWaves.h"
#include "sound/SimpleOrnMixer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <memory>

namespace zubo {
namespace {

// The largest value of a tempo event's three bytes.
constexpr long long kMaxMicrosPerQuarter = 0xFFFFFF;
// The end of a note that nothing has cut yet.
constexpr long long kOpen = std::numeric_limits<long long>::max();

// A voice the mixer holds, and the note it sounds.
struct Placed {
    std::shared_ptr<ToneGenerator> voice;
    std::size_t note = 0;
};

// Plays one pass of a score into `notes`, placing voices as the player does.
class Timing {
  public:
    Timing(std::vector<MidiNote>& notes, int ticksPerStep, int stepFrames)
        : _notes(notes), _ticksPerStep(ticksPerStep), _stepFrames(stepFrames), _lastOf{} {}

    // Places the voice of one cell on `track` at `frame` as the player does,
    // ending the notes whose voices the mixer drops for it.
    void place(int step, int track, int instrument, int ornNote, long long frame) {
        auto voice = OrnWaves::ourTone(instrument, ornNote);
        // Our sounds, never the user's: a MIDI file plays on the listener's.
        // The file needs no sample: a note whose sample is missing or empty
        // gets a silent stand-in that the mixer cuts like any voice, and
        // lasts until then (one step when nothing cuts it).
        const bool open = !voice || voice->duration() <= 0;
        if (open) {
            voice = std::make_shared<ToneGenerator>();
        }
        _mixer.setToneOn(step, track, voice, 0);
        dropGone(frame);
        const int key = ornNoteToMidiNote(ornNote);
        const long long on = tick(frame);
        // A voice shorter than half a tick still sounds: it keeps one tick.
        MidiNote note{instrument, key, on,
                      open ? kOpen : std::max(on + 1, tick(frame + voice->duration()))};
        // One key of one channel sounds once: an earlier note still on stops
        // (one of the same tick then falls away).
        std::size_t& last =
            _lastOf[static_cast<std::size_t>(instrument)][static_cast<std::size_t>(key)];
        if (last != 0) {
            MidiNote& before = _notes[last - 1];
            before.off = std::min(before.off, note.on);
        }
        _notes.push_back(note);
        last = _notes.size();
        _placed[track] = {std::move(voice), _notes.size() - 1};
    }

    // The restart of a loop drops every voice.
    void restart(long long frame) {
        _mixer.clear();
        dropGone(frame);
    }

    // Gives the notes nothing cut one step each.
    void finish() {
        for (MidiNote& note : _notes) {
            note.off = note.off == kOpen ? note.on + _ticksPerStep : note.off;
        }
    }

    long long tick(long long frame) const {
        const long long scaled = frame * _ticksPerStep;
        return (2 * scaled + _stepFrames) / (2 * static_cast<long long>(_stepFrames));
    }

  private:
    void dropGone(long long frame) {
        const long long at = tick(frame);
        for (int track = 0; track < SimpleOrnMixer::kTracks; ++track) {
            Placed& placed = _placed[track];
            if (placed.voice && _mixer.toneOn(track) != placed.voice) {
                MidiNote& note = _notes[placed.note];
                note.off = std::min(note.off, at);
                placed = {};
            }
        }
    }

    std::vector<MidiNote>& _notes;
    int _ticksPerStep;
    SimpleOrnMixer _mixer;
    int _stepFrames;
    Placed _placed[SimpleOrnMixer::kTracks];
    // 1 + the index of the last note of each instrument and key, 0 for none.
    std::array<std::array<std::size_t, 128>, 16> _lastOf;
};

// Places the notes of steps [from, end), the first at frame 0.
void playPass(const OrnScore& score, int from, int end, int stepFrames, Timing& timing) {
    long long frame = 0;
    for (int step = from; step < end; ++step, frame += stepFrames) {
        for (int y = 0; y < OrnScore::maxNotes(); ++y) {
            const int note = score.noteAt(step, y);
            if (note == 0) {
                break;
            }
            timing.place(step, y, score.progAt(step, y), note, frame);
        }
    }
}

} // namespace

MidiTimeline midiTimeline(const OrnScore& score, int coefficient, int loops, int from) {
    MidiTimeline timeline;
    const long long micros =
        std::max(1LL, std::llround(OrnPlayer::stepSeconds(score.tempo(), coefficient) * 1e6));
    const long long quarters = (micros + kMaxMicrosPerQuarter - 1) / kMaxMicrosPerQuarter;
    timeline.ticksPerStep = static_cast<int>(quarters) * MidiTimeline::kTicksPerQuarter;
    timeline.microsPerQuarter = static_cast<int>((micros + quarters / 2) / quarters);
    timeline.measure = score.measure() == 3 ? 3 : 4;

    const int n = OrnPlayer::stepLength(score.tempo(), coefficient);
    const int end = std::clamp(score.end(), 0, OrnScore::maxLength());
    timeline.loop = score.loop();
    timeline.passes = score.loop() ? std::max(loops, 1) : 1;
    from = std::clamp(from, 0, end);
    const auto wholePass = [&](std::vector<MidiNote>& notes, int start) {
        Timing each(notes, timeline.ticksPerStep, n);
        playPass(score, start, end, n, each);
        each.restart(static_cast<long long>(end - start) * n);
        each.finish();
    };
    if (timeline.passes > 1 && from > 0) {
        wholePass(timeline.first, from);
        timeline.firstTicks = static_cast<long long>(end - from) * timeline.ticksPerStep;
    }
    if (timeline.repeats() > 0) {
        wholePass(timeline.repeated, 0);
    }
    const int lastFrom = timeline.passes > 1 ? 0 : from;
    Timing ringing(timeline.last, timeline.ticksPerStep, n);
    playPass(score, lastFrom, end, n, ringing);
    ringing.finish();
    timeline.passTicks = static_cast<long long>(end) * timeline.ticksPerStep;
    const long long lastStart = timeline.lastStart();
    timeline.endTick = lastStart + static_cast<long long>(end - lastFrom) * timeline.ticksPerStep;
    for (const MidiNote& note : timeline.last) {
        timeline.endTick = std::max(timeline.endTick, lastStart + note.off);
    }
    return timeline;
}

} // namespace zubo
