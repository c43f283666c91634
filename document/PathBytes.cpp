#include "document/PathBytes.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace zubo {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at `at`, or 0. Overlong forms,
// surrogates and code points past U+10FFFF are not valid.
int sequenceLength(const QByteArray& bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (int i = 2; i < length; ++i) {
        if (!continuation(byte(at + i))) {
            return 0;
        }
    }
    return length;
}

} // namespace

QString pathText(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            text += QChar(byte);
            ++at;
            continue;
        }
        const int length = sequenceLength(bytes, at);
        if (length == 0) {
            text += QChar(static_cast<char16_t>(kEscapeBase + byte));
            ++at;
            continue;
        }
        text += QString::fromUtf8(bytes.mid(at, length));
        at += length;
    }
    return text;
}

QByteArray pathBytes(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype plain = 0; // the start of the text not yet converted
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        const bool escaped = unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF &&
                             (i == 0 || !text[i - 1].isHighSurrogate());
        if (escaped) {
            bytes += text.mid(plain, i - plain).toUtf8();
            bytes += static_cast<char>(unit - kEscapeBase);
            plain = i + 1;
        }
    }
    bytes += text.mid(plain).toUtf8();
    return bytes;
}

std::optional<FileStamp> fileStamp(const QString& path) {
    struct stat status {};
    if (::stat(pathBytes(path).constData(), &status) != 0) {
        return std::nullopt;
    }
    return FileStamp{status.st_dev, status.st_ino, status.st_size, status.st_mtim.tv_sec,
                     status.st_mtim.tv_nsec};
}

bool isRegularFile(const QString& path) {
    struct stat status {};
    return ::stat(pathBytes(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

bool pathExists(const QString& path) {
    struct stat status {};
    return ::stat(pathBytes(path).constData(), &status) == 0;
}

QString canonicalPath(const QString& path) {
    char resolved[PATH_MAX];
    if (::realpath(pathBytes(path).constData(), resolved) == nullptr) {
        return QString();
    }
    return pathText(QByteArray(resolved));
}

} // namespace zubo
