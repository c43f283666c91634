#pragma once

#include "export/ExportResult.h"

#include <string>

class OrnScore;

namespace zubo {

// The score as MusicXML 4.0, partwise: one part per instrument the song
// uses before its end mark, in palette order and named after it, on a
// treble staff; a step is a quarter note. A part's note lasts until its
// next note or the end of its measure, and rests fill the rest, up to the
// end mark's measure.
std::string musicXmlText(const OrnScore& score);

// Writes musicXmlText() to `output`; the file appears only when all of it
// was written.
ExportResult exportMusicXml(const OrnScore& score, const std::string& output);

// Whether -o OUT picks a MusicXML file.
bool isMusicXmlExportPath(const std::string& output);

} // namespace zubo
