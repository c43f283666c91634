#include "display/MyIcons.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Every pixel of a coded source tells where it lies, counted from the
// bottom-left: red = x, green = y, blue = which source.
QImage codedSource(int width, int height, int tag) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, height - 1 - y, qRgb(x, y, tag));
        }
    }
    return image;
}

// Checks that icon was cut from the rectangle at (x, y) of the coded source.
void expectCutFrom(const QImage* icon, int x, int y, int width, int height, int tag) {
    ASSERT_NE(icon, nullptr);
    ASSERT_EQ(icon->size(), QSize(width, height));
    for (int iy = 0; iy < height; ++iy) {
        for (int ix = 0; ix < width; ++ix) {
            const QRgb pixel = icon->pixel(ix, height - 1 - iy);
            ASSERT_EQ(pixel, qRgb(x + ix, y + iy, tag))
                << "pixel " << ix << "," << iy << " of the cut at " << x << "," << y;
        }
    }
}

class MyIconsTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(_folder.isValid());
        save("buttons", codedSource(64, 48, 1));
        save("clef", codedSource(24, 96, 2));
        save("eraser_etc", codedSource(64, 80, 3));
        save("zubo_icons", codedSource(64, 80, 4));
        save("zubo_running", codedSource(32, 66, 5));
    }
    void save(const char* name, const QImage& image) {
        ASSERT_TRUE(image.save(_folder.filePath(QString::fromLatin1(name) + ".png")));
    }
    std::filesystem::path folder() const { return _folder.path().toStdString(); }

    QTemporaryDir _folder;
};

TEST_F(MyIconsTest, SquareIconsAreCutFourToARowFromTheTopLeft) {
    const MyIcons icons(folder());
    for (int i = 0; i < MyIcons::kIconCount; ++i) {
        SCOPED_TRACE(i);
        expectCutFrom(icons.getZuboIcon(i), (i % 4) * 16, 64 - (i / 4) * 16, 16, 16, 4);
    }
    // The tool icons named in the layout.
    expectCutFrom(icons.getZuboIcon(15), 48, 16, 16, 16, 4);
    expectCutFrom(icons.getZuboIcon(16), 0, 0, 16, 16, 4);
    expectCutFrom(icons.getZuboIcon(17), 16, 0, 16, 16, 4);
    EXPECT_EQ(icons.getZuboIcon(-1), nullptr);
    EXPECT_EQ(icons.getZuboIcon(18), nullptr);
}

TEST_F(MyIconsTest, ButtonsAndRunnerFramesAreCutAtTheirRectangles) {
    const MyIcons icons(folder());
    const struct {
        const char* name;
        const QImage* (MyIcons::*get)(bool) const;
        int inactiveX, y, tag;
    } buttons[] = {
        {"play", &MyIcons::getPlayIcon, 0, 32, 1},
        {"stop", &MyIcons::getStopIcon, 32, 32, 1},
        {"loop", &MyIcons::getLoopIcon, 0, 16, 1},
        {"measure4", &MyIcons::getMeasure4Icon, 0, 48, 3},
        {"measure3", &MyIcons::getMeasure3Icon, 32, 64, 3},
        {"erase", &MyIcons::getEraseIcon, 0, 64, 3},
    };
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.name);
        expectCutFrom((icons.*b.get)(false), b.inactiveX, b.y, 16, 16, b.tag);
        expectCutFrom((icons.*b.get)(true), b.inactiveX + 16, b.y, 16, 16, b.tag);
    }
    expectCutFrom(icons.runningIcon(false), 0, 44, 16, 22, 5);
    expectCutFrom(icons.runningIcon(true), 16, 44, 16, 22, 5);
    expectCutFrom(icons.clefIcon(), 0, 0, 24, 96, 2);
}

TEST_F(MyIconsTest, AccessorsHandOutTheSameObjects) {
    const MyIcons icons(folder());
    EXPECT_EQ(icons.getZuboIcon(5), icons.zuboIcon(5));
    EXPECT_EQ(icons.iconIndex(icons.getZuboIcon(5)), 5);
    EXPECT_EQ(icons.iconIndex(icons.zuboIcon(17)), 17);
    for (bool active : {false, true}) {
        EXPECT_EQ(icons.getPlayIcon(active), icons.playIcon(active));
        EXPECT_EQ(icons.getStopIcon(active), icons.stopIcon(active));
        EXPECT_EQ(icons.getLoopIcon(active), icons.loopIcon(active));
        EXPECT_EQ(icons.getMeasure4Icon(active), icons.measure4Icon(active));
        EXPECT_EQ(icons.getMeasure3Icon(active), icons.measure3Icon(active));
        EXPECT_EQ(icons.getEraseIcon(active), icons.eraseIcon(active));
    }
    EXPECT_NE(icons.getPlayIcon(true), icons.getPlayIcon(false));
    // A copy with the same pixels is not one of the icons.
    const QImage copy = *icons.getZuboIcon(5);
    EXPECT_EQ(icons.iconIndex(&copy), -1);
    EXPECT_EQ(icons.iconIndex(icons.getPlayIcon(true)), -1);
    EXPECT_EQ(icons.iconIndex(nullptr), -1);
}

TEST_F(MyIconsTest, CutsAreSeparateImagesOfTheirOwnSize) {
    const MyIcons icons(folder());
    const QImage source = icons.loadImage(QStringLiteral("zubo_icons"));
    ASSERT_EQ(source.size(), QSize(64, 80));
    EXPECT_NE(icons.getZuboIcon(0)->constBits(), source.constBits());
    EXPECT_TRUE(icons.loadImage(QStringLiteral("no_such_image")).isNull());
}

TEST_F(MyIconsTest, AMissingSourceGivesBlankIconsAndNoClef) {
    QFile::remove(_folder.filePath(QStringLiteral("zubo_icons.png")));
    QFile::remove(_folder.filePath(QStringLiteral("clef.png")));
    const MyIcons icons(folder());
    EXPECT_EQ(icons.clefIcon(), nullptr);
    for (int i = 0; i < MyIcons::kIconCount; ++i) {
        const QImage* icon = icons.getZuboIcon(i);
        ASSERT_EQ(icon->size(), QSize(16, 16));
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                ASSERT_EQ(qAlpha(icon->pixel(x, y)), 0) << i;
            }
        }
    }
    // The other sources are still cut.
    expectCutFrom(icons.runningIcon(true), 16, 44, 16, 22, 5);
}

TEST_F(MyIconsTest, TheSharedInstanceExistsOnlyWhileAlive) {
    EXPECT_EQ(MyIcons::myIcons(), nullptr);
    auto first = std::make_unique<MyIcons>(folder());
    EXPECT_EQ(MyIcons::myIcons(), first.get());
    auto second = std::make_unique<MyIcons>(folder());
    EXPECT_EQ(MyIcons::myIcons(), second.get());
    // Freeing the replaced instance leaves the newer one registered.
    first.reset();
    EXPECT_EQ(MyIcons::myIcons(), second.get());
    second.reset();
    EXPECT_EQ(MyIcons::myIcons(), nullptr);
}

TEST(MyIconsResources, TheShippedImagesHaveTheirLayouts) {
    const MyIcons icons;
    const struct {
        const char* name;
        int width, height;
    } sources[] = {{"buttons", 64, 48},
                   {"clef", 24, 96},
                   {"eraser_etc", 64, 80},
                   {"zubo_icons", 64, 80},
                   {"zubo_running", 32, 66}};
    for (const auto& s : sources) {
        const QImage image = icons.loadImage(QString::fromLatin1(s.name));
        ASSERT_FALSE(image.isNull()) << s.name;
        EXPECT_GE(image.width(), s.width) << s.name;
        EXPECT_GE(image.height(), s.height) << s.name;
        EXPECT_TRUE(image.hasAlphaChannel()) << s.name;
    }
    // Every square icon, button and runner frame shows something.
    const auto opaquePixels = [](const QImage* image) {
        int count = 0;
        for (int y = 0; y < image->height(); ++y) {
            for (int x = 0; x < image->width(); ++x) {
                count += qAlpha(image->pixel(x, y)) == 255 ? 1 : 0;
            }
        }
        return count;
    };
    for (int i = 0; i < MyIcons::kIconCount; ++i) {
        EXPECT_GT(opaquePixels(icons.getZuboIcon(i)), 20) << i;
    }
    for (bool b : {false, true}) {
        EXPECT_GT(opaquePixels(icons.getPlayIcon(b)), 100);
        EXPECT_GT(opaquePixels(icons.getMeasure3Icon(b)), 100);
        EXPECT_GT(opaquePixels(icons.getEraseIcon(b)), 100);
        EXPECT_GT(opaquePixels(icons.runningIcon(b)), 60);
    }
    // Lit and unlit looks differ.
    EXPECT_NE(*icons.getPlayIcon(true), *icons.getPlayIcon(false));
    EXPECT_NE(*icons.getStopIcon(true), *icons.getStopIcon(false));
    EXPECT_NE(*icons.getLoopIcon(true), *icons.getLoopIcon(false));
    EXPECT_NE(*icons.getMeasure4Icon(true), *icons.getMeasure4Icon(false));
    EXPECT_NE(*icons.getMeasure3Icon(true), *icons.getMeasure3Icon(false));
    EXPECT_NE(*icons.getEraseIcon(true), *icons.getEraseIcon(false));
}

} // namespace
