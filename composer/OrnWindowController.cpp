#include "composer/OrnWindowController.h"

#include "composer/MyDrawerView.h"
#include "composer/PixelIcon.h"
#include "composer/ViewDocumentAdapter.h"
#include "composer/WindowAccessibility.h"
#include "display/MyIcons.h"
#include "display/OrnView.h"
#include "document/MyDocument.h"
#include "score/Instruments.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using Button = MyDocumentOutlets::Button;

// Device-independent pixels per pixel of the art on the palette's buttons.
constexpr int kButtonScale = 2;

int slot(Button which) {
    return static_cast<int>(which);
}

} // namespace

const QStringList& toolNames() {
    static const QStringList names = [] {
        QStringList list;
        for (const char* name : kInstrumentNames) {
            list << QString::fromLatin1(name);
        }
        return list << QStringLiteral("End mark");
    }();
    return names;
}

OrnWindowController::OrnWindowController(std::unique_ptr<MyDocument> document, Peers peers)
    : _peers(std::move(peers)), _document(std::move(document)),
      _viewDocument(std::make_unique<ViewDocumentAdapter>(_document.get())) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("OrnWindowController"));

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* position = new QSlider(Qt::Horizontal, central);
    position->setAccessibleName(QStringLiteral("Position"));
    _ornView = new OrnView(*_viewDocument, *position, central);
    column->addWidget(_ornView);
    column->addWidget(position);
    // The staff keeps its height; the window grows in width only.
    central->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCentralWidget(central);

    buildToolBar();
    buildDrawer();
    _audioStatus = new QLabel(this);
    _audioStatus->setAccessibleName(QStringLiteral("Audio output"));
    statusBar()->addPermanentWidget(_audioStatus);
    zubo::nameByMessage(statusBar());
    // F6 goes round the tool bar, the staff and the palette (its current
    // tool, while it is open).
    zubo::addFocusRing(
        this, {{findChild<QToolBar*>(QStringLiteral("controls")),
                [this] { return button(Button::Play); }},
               {centralWidget(), [this] { return _ornView; }},
               {_drawer, [this]() -> QWidget* {
                    const MyIcons* icons = MyIcons::myIcons();
                    const int tool =
                        icons != nullptr ? icons->iconIndex(image(Button::InstSelected)) : -1;
                    return tool >= 0 && tool < kToolButtons ? button(toolButton(tool))
                                                            : button(Button::Erase);
                }}});
    _peers.buildMenus(this);
    updateTitle();
    // Today's screens make the staff's 134 units small at one pixel each.
    resize(960, height());
    setZoom(2);
    // The keys of the staff (Space, L, E, [ and ]) work from the start.
    _ornView->setFocus();
}

// dealloc: the window and what it owns, the document last.
OrnWindowController::~OrnWindowController() {
    // Teardown takes the focus from a tempo box holding typed text, and its
    // commit would reach the staff and the document while they go: the tempo
    // controls are silenced first.
    _tempoText->blockSignals(true);
    _tempoSlider->blockSignals(true);
    // The view and the palette reach the document: they go before it.
    delete centralWidget();
    delete _drawer;
}

QToolButton* OrnWindowController::button(Button which) const {
    return _buttons[static_cast<size_t>(slot(which))];
}

QToolButton* OrnWindowController::makeButton(Button which, const QString& name, int scale) {
    auto* b = new QToolButton(this);
    b->setAccessibleName(name);
    b->setToolTip(name);
    b->setAutoRaise(true);
    b->setIconSize(QSize(16 * scale, 16 * scale));
    b->setFocusPolicy(Qt::TabFocus);
    // The buttons take no focus from the tempo box: a typed tempo is taken
    // here, before the button's own action reads the score.
    connect(b, &QToolButton::clicked, this, &OrnWindowController::commitTempo);
    _buttons[static_cast<size_t>(slot(which))] = b;
    return b;
}

void OrnWindowController::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Controls"));
    bar->setObjectName(QStringLiteral("controls"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setEnabled(false);

    MyDocument* doc = _document.get();
    QToolButton* play = makeButton(Button::Play, QStringLiteral("Play"), kButtonScale);
    QToolButton* stop = makeButton(Button::Stop, QStringLiteral("Stop"), kButtonScale);
    QToolButton* loop = makeButton(Button::Loop, QStringLiteral("Loop"), kButtonScale);
    QToolButton* m3 = makeButton(Button::Measure3, QStringLiteral("3/4 time"), kButtonScale);
    QToolButton* m4 = makeButton(Button::Measure4, QStringLiteral("4/4 time"), kButtonScale);
    QToolButton* current =
        makeButton(Button::InstSelected, QStringLiteral("Current tool"), kButtonScale);
    current->setToolTip(QStringLiteral("Current tool (choose with [ and ], or in the palette); "
                                       "a click shows or hides the palette"));
    play->setToolTip(QStringLiteral("Play from the start (Space)"));
    stop->setToolTip(QStringLiteral("Stop (Space)"));
    loop->setToolTip(QStringLiteral("Loop at the end mark (L)"));
    // Their pictures show them on or off; a screen reader hears it as checked.
    for (QToolButton* toggle : {play, stop, loop, m3, m4}) {
        toggle->setCheckable(true);
    }
    doc->setPlayButton(play);
    connect(play, &QToolButton::clicked, doc, [doc, play] { doc->togglePlaying(play); });
    connect(stop, &QToolButton::clicked, doc, [doc, stop] { doc->togglePlaying(stop); });
    connect(loop, &QToolButton::clicked, doc, [doc] { doc->toggleLoop(); });
    connect(m3, &QToolButton::clicked, doc, [doc] { doc->toggleMeasure(Button::Measure3); });
    connect(m4, &QToolButton::clicked, doc, [doc] { doc->toggleMeasure(Button::Measure4); });
    connect(current, &QToolButton::clicked, this, [this] { toggleDrawer(); });

    bar->addWidget(play);
    bar->addWidget(stop);
    bar->addWidget(loop);
    bar->addSeparator();
    bar->addWidget(m3);
    bar->addWidget(m4);
    bar->addSeparator();
    bar->addWidget(buildToolBarTempo());
    auto* spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    bar->addWidget(current);
    zubo::nameOverflowButton(bar);
}

QWidget* OrnWindowController::buildToolBarTempo() {
    auto* box = new QWidget(this);
    box->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(6, 0, 6, 0);
    auto* label = new QLabel(QStringLiteral("Tempo"), box);
    _tempoSlider = new QSlider(Qt::Horizontal, box);
    // The box's range, so that both always show the same tempo. Page Up and
    // Page Down move by 50, the slider's larger increment.
    _tempoSlider->setRange(1, 999);
    _tempoSlider->setPageStep(50);
    _tempoSlider->setSingleStep(1);
    _tempoSlider->setTracking(false);
    _tempoSlider->setMinimumWidth(160);
    _tempoSlider->setMaximumWidth(260);
    _tempoSlider->setAccessibleName(QStringLiteral("Tempo"));
    _tempoSlider->setToolTip(QStringLiteral("Tempo in steps a minute"));
    _tempoText = new QSpinBox(box);
    _tempoText->setRange(1, 999);
    _tempoText->setKeyboardTracking(false);
    _tempoText->setAccessibleName(QStringLiteral("Tempo value"));
    _tempoText->setToolTip(QStringLiteral("Tempo in steps a minute (1 to 999)"));
    label->setBuddy(_tempoText);
    row->addWidget(label);
    row->addWidget(_tempoSlider);
    row->addWidget(_tempoText);
    MyDocument* doc = _document.get();
    connect(_tempoSlider, &QSlider::valueChanged, doc, [doc](int v) { doc->tempoChanged(v); });
    connect(_tempoText, &QSpinBox::valueChanged, doc, [doc](int v) { doc->tempoChanged(v); });
    // Once a tempo is entered or stepped, the staff's keys work again. A box
    // left for another control keeps that control's focus.
    const auto backToStaff = [this] {
        if (focusWidget() == _tempoText) {
            _ornView->setFocus();
        }
    };
    connect(_tempoText, &QSpinBox::editingFinished, this, backToStaff);
    connect(_tempoText, &QSpinBox::valueChanged, this, backToStaff);
    return box;
}

void OrnWindowController::buildDrawer() {
    _drawer = new QDockWidget(QStringLiteral("Palette"), this);
    _drawer->setObjectName(QStringLiteral("drawer"));
    _drawer->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    _drawer->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    _drawerView = new MyDrawerView(_drawer);
    // The palette keeps to the drawer's top when the window grows.
    auto* column = new QVBoxLayout(_drawerView);
    auto* grid = new QHBoxLayout;
    column->addLayout(grid);
    column->addStretch(1);
    column->setContentsMargins(6, 4, 6, 4);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    MyDocument* doc = _document.get();
    QList<QAbstractButton*> palette;
    for (int i = 0; i < kToolButtons; ++i) {
        const Button which = toolButton(i);
        QToolButton* b = makeButton(which, toolNames().at(i), kButtonScale);
        palette << b;
        if (i == kToolButtons - 1) {
            b->setToolTip(QStringLiteral("End mark: click a step to end the song there"));
        }
        connect(b, &QToolButton::clicked, doc, [doc, which] { doc->changeInst(which); });
        grid->addWidget(b);
    }
    grid->addSpacing(12);
    QToolButton* eraser = makeButton(Button::Erase, QStringLiteral("Eraser"), kButtonScale);
    eraser->setToolTip(QStringLiteral("Eraser: a click removes a note (E)"));
    eraser->setCheckable(true);
    palette << eraser;
    _drawerView->setButtons(palette);
    connect(eraser, &QToolButton::clicked, doc, [doc] { doc->toggleEraser(); });
    grid->addWidget(eraser);
    grid->addStretch(1);
    _drawer->setWidget(_drawerView);
    addDockWidget(Qt::BottomDockWidgetArea, _drawer);
}

void OrnWindowController::setZoom(int zoom) {
    // A height other than the last fitted one was set by hand, and is kept.
    _heightByHand = _heightByHand || (_fittedHeight >= 0 && height() != _fittedHeight);
    _ornView->setZoom(zoom);
    // The window's minimum follows at once; the window fits it snugly, or
    // grows only as far as the staff needs when its height is the user's.
    centralWidget()->layout()->activate();
    layout()->activate();
    const int fit = minimumSizeHint().height();
    _fittedHeight = _heightByHand ? std::max(height(), fit) : fit;
    resize(width(), _fittedHeight);
}

void OrnWindowController::updateTitle() {
    setWindowTitle(QStringLiteral("%1[*] \u2014 Zubo Sequencer").arg(_document->displayName()));
    setWindowModified(_document->isDocumentEdited());
}

void OrnWindowController::showAudioStatus(bool hasOutput, const QString& reason) {
    _audioStatus->setText(hasOutput ? QString() : QStringLiteral("No audio output"));
    _audioStatus->setToolTip(hasOutput ? QString() : reason);
}

void OrnWindowController::setImage(Button which, const QImage* image) {
    const auto i = static_cast<size_t>(slot(which));
    _images[i] = image;
    if (_buttons[i] != nullptr && image != nullptr) {
        _buttons[i]->setIcon(pixelIcon(*image, kButtonScale));
        if (const std::optional<bool> on = zubo::shownOn(which, image)) {
            _buttons[i]->setChecked(*on);
        }
        if (which == Button::InstSelected) {
            _buttons[i]->setAccessibleName(zubo::currentToolName(image));
        }
    }
}

const QImage* OrnWindowController::image(Button which) const {
    return _images[static_cast<size_t>(slot(which))];
}

void OrnWindowController::showTempo(int tempo) {
    const QSignalBlocker blockSlider(_tempoSlider);
    const QSignalBlocker blockText(_tempoText);
    _tempoSlider->setValue(tempo);
    _tempoText->setValue(tempo);
}

void OrnWindowController::openDrawer() {
    _drawer->show();
}

// The drawer's toggle:
void OrnWindowController::toggleDrawer() {
    _drawer->setVisible(!_drawer->isVisible());
}

void OrnWindowController::changeCursor(int index) {
    _ornView->changeCursor(index);
}

void OrnWindowController::redraw() {
    _ornView->redraw();
}

void OrnWindowController::scrollTo(float position, bool updateSlider) {
    _ornView->scrollTo(position, updateSlider);
}

void OrnWindowController::showAudioLost(const QString& reason) {
    QString why = reason;
    if (!why.isEmpty()) {
        why[0] = why[0].toUpper();
    }
    showAudioStatus(false, why + QStringLiteral("; the score plays on silently."));
}

void OrnWindowController::showStatus(const QString& message) {
    statusBar()->showMessage(message, kMessageMilliseconds);
}

void OrnWindowController::commitTempo() {
    _tempoText->interpretText();
}

// windowWillClose:, once the save question lets the window go.
void OrnWindowController::closeEvent(QCloseEvent* event) {
    commitTempo();
    if (!_peers.mayClose(this)) {
        event->ignore();
        return;
    }
    _document->windowWillClose();
    event->accept();
}
