#include "document/MyDocument.h"

#include "common/Log.h"
#include "display/MyIcons.h"
#include "sound/OrnWaves.h"

namespace {

using Button = MyDocumentOutlets::Button;

constexpr int kEndTool = 15;
constexpr int kEraserIcon = 16;
constexpr int kPreviewNote = 9;

} // namespace

void MyDocument::changeInst(Button sender) {
    const MyIcons* icons = MyIcons::myIcons();
    const QImage* image = _outlets != nullptr ? _outlets->image(sender) : nullptr;
    const int index = icons != nullptr ? icons->iconIndex(image) : -1;
    if (index < 0) {
        zuboLog("BUG: iconIndex returns -1");
        return;
    }
    setInst(index, true);
}

void MyDocument::changeInstRelatively(int delta) {
    // Wrapped in one step, so that any delta lands in 0..15.
    int n = (_selectedInst + delta) % MyDocumentOutlets::kToolButtons;
    if (n < 0) {
        n += MyDocumentOutlets::kToolButtons;
    }
    setInst(n, false);
}

void MyDocument::setInst(int index, bool beep) {
    _selectedInst = index;
    _eraseMode = false;
    changeIconForInst();
    changeIconForEraser();
    std::shared_ptr<ToneGenerator> sound;
    if (beep && index >= 0 && index < kEndTool) {
        sound = OrnWaves::tone(index + 1, kPreviewNote);
    } else if (beep && index == kEndTool) {
        sound = OrnWaves::endTone();
    }
    if (_outlets != nullptr) {
        _outlets->changeCursor(index);
    }
    if (sound) {
        playSingleSound(std::move(sound));
    }
}

void MyDocument::toggleEraser() {
    _eraseMode = !_eraseMode;
    changeIconForEraser();
    if (_outlets != nullptr) {
        _outlets->changeCursor(_eraseMode ? kEraserIcon : _selectedInst);
    }
    playSingleSound(OrnWaves::eraserTone());
}

void MyDocument::toggleMeasure(Button sender) {
    _score->setMeasure(sender == Button::Measure3 ? 3 : 4);
    updateEditedState();
    changeIconForMeasure();
    if (_outlets != nullptr) {
        _outlets->redraw();
    }
    playSingleSound(OrnWaves::clickTone());
}

void MyDocument::toggleLoop() {
    _score->setLoop(!_score->loop());
    updateEditedState();
    changeIconForLoop();
    if (_outlets != nullptr) {
        _outlets->redraw();
    }
    playSingleSound(OrnWaves::clickTone());
}

void MyDocument::tempoChanged(int value) {
    undoableSetTempo(value);
}

void MyDocument::toggleDrawer() {
    if (_outlets != nullptr) {
        _outlets->toggleDrawer();
    }
}

void MyDocument::changeIconForInst() {
    const MyIcons* icons = MyIcons::myIcons();
    if (_outlets != nullptr && icons != nullptr) {
        _outlets->setImage(Button::InstSelected,
                           icons->getZuboIcon(_eraseMode ? kEraserIcon : _selectedInst));
    }
}

void MyDocument::changeIconForEraser() {
    const MyIcons* icons = MyIcons::myIcons();
    if (_outlets != nullptr && icons != nullptr) {
        _outlets->setImage(Button::Erase, icons->getEraseIcon(_eraseMode));
    }
}

void MyDocument::changeIconForMeasure() {
    const MyIcons* icons = MyIcons::myIcons();
    if (_outlets != nullptr && icons != nullptr) {
        _outlets->setImage(Button::Measure3, icons->getMeasure3Icon(_score->measure() == 3));
        _outlets->setImage(Button::Measure4, icons->getMeasure4Icon(_score->measure() == 4));
    }
}

void MyDocument::changeIconForPlayer() {
    const MyIcons* icons = MyIcons::myIcons();
    if (_outlets != nullptr && icons != nullptr) {
        _outlets->setImage(Button::Play, icons->getPlayIcon(isPlaying()));
        _outlets->setImage(Button::Stop, icons->getStopIcon(!isPlaying()));
    }
}

void MyDocument::changeIconForLoop() {
    const MyIcons* icons = MyIcons::myIcons();
    if (_outlets != nullptr && icons != nullptr) {
        _outlets->setImage(Button::Loop, icons->getLoopIcon(_score->loop()));
    }
}
