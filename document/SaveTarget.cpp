#include "document/SaveTarget.h"

#include "document/Dialogs.h"
#include "document/PathBytes.h"

#include <QFileInfo>

namespace zubo {

bool mayReplaceFinalName(Dialogs& dialogs, const QString& confirmed, const QString& final) {
    if (final == confirmed || !pathExists(final)) {
        return true;
    }
    return dialogs.askToProceed(QStringLiteral("\u201C%1\u201D already exists. Replace it?")
                                    .arg(QFileInfo(final).fileName()),
                                QStringLiteral("Replace"));
}

} // namespace zubo
