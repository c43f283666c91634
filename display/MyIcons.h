#pragma once

#include "common/ResourceDir.h"

#include <QImage>
#include <QString>
#include <array>
#include <filesystem>
#include <string>

// The process-wide store of the small pictures: the 18 square icons of the
// instruments and tools, the clef, the runner's two frames and the lit and
// unlit looks of six buttons. Everything is loaded from five image resources
// and cut into separate images once, when the one instance is created at
// start-up; myIcons() reaches it afterwards and is nullptr before and after.
//
// Icons are handed out by address: iconIndex() recognises only the very
// images handed out, never a copy with the same pixels.
class MyIcons {
  public:
    static constexpr int kIconCount = 18;

    // Loads the images from resourceFolder and registers this instance as
    // the shared one.
    explicit MyIcons(const std::filesystem::path& resourceFolder = zubo::resourceDir());
    ~MyIcons();
    MyIcons(const MyIcons&) = delete;
    MyIcons& operator=(const MyIcons&) = delete;

    static MyIcons* myIcons();

    // The whole "clef" image, or nullptr when that resource is missing.
    const QImage* clefIcon() const;
    // Square icon 0..17 (the tool index; 17 is the cell highlight); nullptr
    // outside that range.
    const QImage* getZuboIcon(int index) const;
    const QImage* zuboIcon(int index) const { return getZuboIcon(index); }
    const QImage* getPlayIcon(bool active) const;
    const QImage* playIcon(bool active) const { return getPlayIcon(active); }
    const QImage* getStopIcon(bool active) const;
    const QImage* stopIcon(bool active) const { return getStopIcon(active); }
    const QImage* getLoopIcon(bool active) const;
    const QImage* loopIcon(bool active) const { return getLoopIcon(active); }
    const QImage* getMeasure4Icon(bool active) const;
    const QImage* measure4Icon(bool active) const { return getMeasure4Icon(active); }
    const QImage* getMeasure3Icon(bool active) const;
    const QImage* measure3Icon(bool active) const { return getMeasure3Icon(active); }
    const QImage* getEraseIcon(bool active) const;
    const QImage* eraseIcon(bool active) const { return getEraseIcon(active); }
    // Frame 1 of the runner when frame is true, else frame 0.
    const QImage* runningIcon(bool frame) const;
    // The index of that very image among the 18 square icons, or -1.
    int iconIndex(const QImage* image) const;

    // The image resource of that name (any format Qt reads, XPM first), or a
    // null image when there is none.
    QImage loadImage(const QString& name) const;
    // The file an image resource is read from: NAME.xpm first, then any
    // other format Qt reads; empty when there is none.
    static std::filesystem::path imageFile(const std::filesystem::path& folder,
                                           const std::string& name);
    // A separate image of the width × height rectangle whose bottom-left
    // corner is (x, y), counted from the source's bottom-left corner. What
    // lies outside the source, or all of it for a null source, is transparent.
    static QImage allocIcon(const QImage& source, int x, int y, int width, int height);
    QImage allocPlayIcon(bool active) const;
    QImage allocStopIcon(bool active) const;
    QImage allocLoopIcon(bool active) const;
    QImage allocMeasure4Icon(bool active) const;
    QImage allocMeasure3Icon(bool active) const;
    QImage allocEraseIcon(bool active) const;

  private:
    std::filesystem::path _resourceFolder;
    QImage _buttonIcons;
    QImage _clefIcon;
    QImage _eraserIcons;
    QImage _zuboIcons;
    QImage _zuboRunningIcons;
    std::array<QImage, kIconCount> _zuboIconsArray;
    QImage _playIconActive, _playIconInactive;
    QImage _stopIconActive, _stopIconInactive;
    QImage _loopIconActive, _loopIconInactive;
    QImage _measure4IconActive, _measure4IconInactive;
    QImage _measure3IconActive, _measure3IconInactive;
    QImage _eraseIconActive, _eraseIconInactive;
    QImage _runningIcon0, _runningIcon1;
};
