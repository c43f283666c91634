#include "composer/StoredPaths.h"

#include "document/PathBytes.h"

namespace zubo {

QVariant storedPaths(const QStringList& paths) {
    QVariantList stored;
    for (const QString& path : paths) {
        const QByteArray bytes = pathBytes(path);
        if (QString::fromUtf8(bytes) == path) {
            stored << path;
        } else {
            stored << bytes;
        }
    }
    return stored;
}

QStringList pathsFromSetting(const QVariant& setting) {
    // A list of one is stored as its one value.
    const QVariantList items =
        setting.typeId() == QMetaType::QVariantList || setting.typeId() == QMetaType::QStringList
            ? setting.toList()
        : setting.isValid() ? QVariantList{setting}
                            : QVariantList{};
    QStringList paths;
    for (const QVariant& item : items) {
        paths << (item.typeId() == QMetaType::QByteArray ? pathText(item.toByteArray())
                                                         : item.toString());
    }
    return paths;
}

} // namespace zubo
