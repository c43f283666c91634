#pragma once

#include <QString>

class Dialogs;

namespace zubo {

// The file dialog asked whether to replace `confirmed`, the name it
// answered; `final` is that name once the composer has added its
// extension. When the two differ and `final` exists, the user is asked here
// ("“song.orn” already exists. Replace it?"). True when saving to `final`
// may go ahead.
bool mayReplaceFinalName(Dialogs& dialogs, const QString& confirmed, const QString& final);

} // namespace zubo
