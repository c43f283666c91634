#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/types.h>

// File names are bytes, and Qt's own conversion loses those that are not
// UTF-8 (and its file classes then cannot find such files). A path kept as
// text carries each such byte as a lone surrogate U+DC80..U+DCFF, which no
// valid UTF-8 can produce, so text and bytes convert back and forth without
// loss. Every file the composer opens, saves or lists goes through these.
namespace zubo {

QString pathText(const QByteArray& bytes);
QByteArray pathBytes(const QString& text);

// What is seen of a file when it is opened or saved, to tell later whether
// another program has replaced or rewritten it.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedSeconds = 0;
    long modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of the file at `path` (links followed), or nothing when it is gone.
std::optional<FileStamp> fileStamp(const QString& path);

bool isRegularFile(const QString& path);
bool pathExists(const QString& path);
// The path with links, "." and ".." resolved; empty when it does not exist.
QString canonicalPath(const QString& path);

} // namespace zubo
