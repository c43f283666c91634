#include "ComposerTestUtil.h"
#include "document/PathBytes.h"

#include <QByteArray>
#include <QDir>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using composertest::ComposerTest;

// The score as its file holds it.
std::string fileText(const OrnScore& score) {
    const std::vector<std::uint8_t> data = score.data();
    return {data.begin(), data.end()};
}

std::string bytesIn(const QByteArray& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PathBytes, EveryNameComesBackAsTheBytesItWas) {
    struct Case {
        const char* name;
        QByteArray bytes;
        bool utf8;
    };
    const std::vector<Case> cases = {
        {"ascii", QByteArrayLiteral("/tmp/song.orn"), true},
        {"accents", QByteArrayLiteral("caf\xc3\xa9.orn"), true},
        {"astral", QByteArrayLiteral("\xf0\x9f\x8e\xb5.orn"), true},
        {"latin-1", QByteArrayLiteral("bad\xff\xfename.orn"), false},
        {"encoded surrogate", QByteArrayLiteral("\xed\xb2\x80"), false},
        {"overlong slash", QByteArrayLiteral("a\xc0\xaf"), false},
        {"cut short", QByteArrayLiteral("\xe2\x82"), false},
        {"past the last code point", QByteArrayLiteral("\xf4\x90\x80\x80"), false},
        {"lone continuation", QByteArrayLiteral("\x80z"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString text = zubo::pathText(c.bytes);
        EXPECT_EQ(zubo::pathBytes(text), c.bytes);
        EXPECT_EQ(text == QString::fromUtf8(c.bytes), c.utf8);
    }
}

class ByteNames : public ComposerTest {};

TEST_F(ByteNames, AFileNamedInBytesOpensSavesAndStaysRecent) {
    const QByteArray folderBytes = QFile::encodeName(folder.path());
    const QByteArray raw = folderBytes + QByteArrayLiteral("/bad\xff\xfename.orn");
    OrnScore score;
    score.addNoteAt(3, 5, 2);
    std::ofstream(raw.toStdString(), std::ios::binary) << fileText(score);
    const QString path = zubo::pathText(raw);

    const QList<OrnWindowController*> opened = controller->openFiles({path});
    EXPECT_TRUE(dialogs.alerts.empty());
    ASSERT_EQ(opened.size(), 1);
    OrnWindowController* w = opened.front();
    EXPECT_EQ(w->document()->score().toString(), score.toString());
    // Opened again, the same window answers.
    EXPECT_EQ(controller->openFiles({path}), opened);

    edit(w);
    ASSERT_TRUE(controller->saveDocument(w));
    EXPECT_EQ(bytesIn(raw), fileText(w->document()->score()));

    const QByteArray copy = folderBytes + QByteArrayLiteral("/copy\xfe.orn");
    dialogs.savePaths = {zubo::pathText(copy)};
    ASSERT_TRUE(controller->saveDocumentAs(w));
    EXPECT_EQ(bytesIn(copy), bytesIn(raw));

    // The settings file is written and read back for each list.
    const QStringList recent = controller->recentFiles();
    ASSERT_EQ(recent.size(), 2);
    EXPECT_EQ(zubo::pathBytes(recent[0]), copy);
    EXPECT_EQ(zubo::pathBytes(recent[1]), raw);
}

} // namespace
