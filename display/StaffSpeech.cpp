#include "display/StaffSpeech.h"

#include "score/Instruments.h"
#include "score/OrnScore.h"

#include <QStringList>
#include <array>

namespace zubo {

namespace {

QString instrumentName(int prog) {
    const auto index = static_cast<std::size_t>(prog - 1);
    return index < kInstrumentNames.size() ? QString::fromLatin1(kInstrumentNames.at(index))
                                           : QString();
}

QString selectionWords(int first, int count) {
    if (count <= 0) {
        return {};
    }
    if (count == 1) {
        return QStringLiteral("step %1 selected").arg(first + 1);
    }
    return QStringLiteral("steps %1 to %2 selected").arg(first + 1).arg(first + count);
}

} // namespace

QString pitchName(int note) {
    static constexpr std::array<const char*, 13> kNames = {"G5", "F5", "E5", "D5", "C5", "B4", "A4",
                                                           "G4", "F4", "E4", "D4", "C4", "B3"};
    const auto index = static_cast<std::size_t>(note - 1);
    return index < kNames.size() ? QString::fromLatin1(kNames.at(index)) : QString();
}

QString staffCellSpeech(const OrnScore& score, int step, int note, int selectionFirst,
                        int selectionCount) {
    QStringList parts;
    const QString pitch = pitchName(note);
    if (!pitch.isEmpty()) {
        const int measure = score.measure() > 0 ? score.measure() : 4;
        QString here;
        QStringList others;
        for (int y = 0; y < OrnScore::maxNotes(); ++y) {
            const OrnScore::StaffNote cell = score.staffNoteAt(step, y);
            if (cell.note == 0) {
                continue;
            }
            if (cell.note == note && here.isEmpty()) {
                here = instrumentName(cell.prog);
            } else {
                others << QStringLiteral("%1 on %2")
                              .arg(instrumentName(cell.prog), pitchName(cell.note));
            }
        }
        parts << QStringLiteral("Step %1, measure %2, beat %3, %4: %5")
                     .arg(step + 1)
                     .arg(step / measure + 1)
                     .arg(step % measure + 1)
                     .arg(pitch, here.isEmpty() ? QStringLiteral("empty") : here);
        if (!others.isEmpty()) {
            parts << QStringLiteral("also ") + others.join(QStringLiteral(", "));
        }
        if (step == score.end()) {
            parts << QStringLiteral("end mark here");
        } else if (step > score.end()) {
            parts << QStringLiteral("after the end mark");
        }
    }
    if (const QString selected = selectionWords(selectionFirst, selectionCount);
        !selected.isEmpty()) {
        parts << selected;
    }
    return parts.join(QStringLiteral("; "));
}

} // namespace zubo
