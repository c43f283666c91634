#pragma once

class QImage;
class QString;

// The controls of a document's window, as the document sees them: the
// window implements this and hands it to the document before
// windowControllerDidLoadNib, so the document sets button pictures, the
// tempo, the drawer and the view's cursor without knowing any widget. It is
// the one way the document reaches its window: the window connects to none
// of the document's signals, which are for everyone else.
class MyDocumentOutlets {
public:
    // The palette's buttons, in the order of the tool indexes first.
    enum class Button {
        Zubo, Rezedo, Dozevid, Star, Flower, Pocket, Dog, Cat, Pig, Goose, Ruzed, Plane,
        Ship, Car, Heart, End,
        InstSelected, Erase, Measure3, Measure4, Play, Stop, Loop
    };
    static constexpr int kToolButtons = 16;
    static constexpr int kButtonCount = static_cast<int>(Button::Loop) + 1;
    static Button toolButton(int index) { return static_cast<Button>(index); }

    virtual ~MyDocumentOutlets() = default;

    // The picture a button shows, and the one it was last given (nullptr
    // before any); a button is known by the very image it holds.
    virtual void setImage(Button button, const QImage* image) = 0;
    virtual const QImage* image(Button button) const = 0;
    // Both tempo controls show `tempo`.
    virtual void showTempo(int tempo) = 0;
    virtual void openDrawer() = 0;
    virtual void toggleDrawer() = 0;
    // The staff view's cursor: a tool index, 16 for the eraser.
    virtual void changeCursor(int index) = 0;
    virtual void redraw() = 0;
    // The staff scrolls to `position` (in steps), the position slider too
    // when `updateSlider`.
    virtual void scrollTo(float position, bool updateSlider) = 0;
    // The title and modified marker follow the name and the edited state.
    virtual void updateTitle() = 0;
    // The audio output is gone for `reason`; the score plays on silently.
    virtual void showAudioLost(const QString& reason) = 0;
    // A passing message: an edit's outcome, a clipboard that holds no score.
    virtual void showStatus(const QString& message) = 0;
};
