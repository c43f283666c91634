#pragma once

#include "document/MyDocumentOutlets.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class MyDocument;
class MyDrawerView;
class OrnView;
class QDockWidget;
class QLabel;
class QSlider;
class QSpinBox;
class QToolButton;
class ViewDocumentAdapter;

// The names of the sixteen tools in palette order, as buttons and menus
// show them.
const QStringList& toolNames();

// The window of one document: the staff view across its width, the
// transport, measure, tempo and current tool in a tool bar above it, and the
// palette of tools in the drawer (a dock the user may close). It owns its
// document, and implements the document's outlets.
class OrnWindowController : public QMainWindow, public MyDocumentOutlets {
    Q_OBJECT

public:
    // What a window needs of whoever keeps the windows, without knowing it:
    // the menus, whose commands reach the other windows, and the
    // save-changes question when the window is asked to close (false keeps
    // it open).
    struct Peers {
        std::function<void(OrnWindowController*)> buildMenus;
        std::function<bool(OrnWindowController*)> mayClose;
    };

    // How long a passing message stays in the status bar.
    static constexpr int kMessageMilliseconds = 5000;

    OrnWindowController(std::unique_ptr<MyDocument> document, Peers peers);
    ~OrnWindowController() override;

    MyDocument* document() const { return _document.get(); }
    OrnView* ornView() const { return _ornView; }
    QDockWidget* drawer() const { return _drawer; }
    QToolButton* button(Button which) const;
    QSlider* tempoSlider() const { return _tempoSlider; }
    QSpinBox* tempoText() const { return _tempoText; }
    QLabel* audioStatus() const { return _audioStatus; }
    // Shows "No audio output" (with `reason` as its tooltip) or nothing.
    void showAudioStatus(bool hasOutput, const QString& reason);
    // The staff's zoom (1 to 4). The window's height follows the staff's,
    // unless the user has set it: then it grows only to fit the staff.
    void setZoom(int zoom);
    // Title and modified marker from the document's name and edited state.
    void updateTitle() override;
    // Takes a tempo typed but not yet entered into the document. Every menu
    // command and button calls it before its own work.
    void commitTempo();

    // MyDocumentOutlets
    void setImage(Button which, const QImage* image) override;
    const QImage* image(Button which) const override;
    void showTempo(int tempo) override;
    void openDrawer() override;
    void toggleDrawer() override;
    void changeCursor(int index) override;
    void redraw() override;
    void scrollTo(float position, bool updateSlider) override;
    void showAudioLost(const QString& reason) override;
    void showStatus(const QString& message) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QToolButton* makeButton(Button which, const QString& name, int scale);
    QWidget* buildToolBarTempo();
    void buildToolBar();
    void buildDrawer();

    Peers _peers;
    std::unique_ptr<MyDocument> _document;
    std::unique_ptr<ViewDocumentAdapter> _viewDocument;
    OrnView* _ornView = nullptr;
    QDockWidget* _drawer = nullptr;
    MyDrawerView* _drawerView = nullptr;
    std::array<QToolButton*, kButtonCount> _buttons{};
    std::array<const QImage*, kButtonCount> _images{};
    QSlider* _tempoSlider = nullptr;
    QSpinBox* _tempoText = nullptr;
    QLabel* _audioStatus = nullptr;
    // The height setZoom() last gave the window (-1 before the first), and
    // whether the user has since chosen one.
    int _fittedHeight = -1;
    bool _heightByHand = false;
};
