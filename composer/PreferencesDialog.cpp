#include "composer/PreferencesDialog.h"

#include "document/Preferences.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

PreferencesDialog::PreferencesDialog(Preferences* preferences, QWidget* parent)
    : QDialog(parent), _preferences(preferences), _fps(new QSpinBox(this)),
      _volume(new QSpinBox(this)), _tempoEmulation(new QComboBox(this)),
      _wheel(new QComboBox(this)),
      _instrumentsFolder(new QPushButton(QStringLiteral("Your instruments: folder…"), this)),
      _clearInstruments(new QPushButton(QStringLiteral("Clear"), this)),
      _instrumentsShown(new QLabel(this)),
      _askFolder([](QWidget* owner, const QString& start) {
          return QFileDialog::getExistingDirectory(
              owner, QStringLiteral("Folder of Your Instruments"), start);
      }) {
    setWindowTitle(QStringLiteral("Preferences"));
    _fps->setRange(1, 240);
    _fps->setSuffix(QStringLiteral(" frames a second"));
    _fps->setAccessibleName(QStringLiteral("Display rate"));
    _fps->setToolTip(QStringLiteral("How often the staff moves while playing"));
    _volume->setRange(0, 150);
    _volume->setSuffix(QStringLiteral(" %"));
    _volume->setAccessibleName(QStringLiteral("Volume"));
    _volume->setToolTip(QStringLiteral("Loudness of playback and of the exports"));
    _tempoEmulation->addItems({QStringLiteral("Exact"), QStringLiteral("Steps of 1/32 s"),
                               QStringLiteral("Steps of 1/48 s"),
                               QStringLiteral("Steps of 1/64 s")});
    _tempoEmulation->setAccessibleName(QStringLiteral("Tempo emulation"));
    _tempoEmulation->setToolTip(
        QStringLiteral("Exact step lengths, or rounded up to whole ticks of a classic timer"));
    _wheel->addItems({QStringLiteral("Scrolls the staff"),
                      QStringLiteral("Chooses the instrument")});
    _wheel->setAccessibleName(QStringLiteral("Vertical wheel"));
    _wheel->setToolTip(QStringLiteral("What turning the mouse wheel over the staff does"));

    _instrumentsFolder->setAccessibleName(QStringLiteral("Your instruments folder"));
    _instrumentsFolder->setToolTip(
        QStringLiteral("Choose a folder of your own sounds: Star.wav replaces the Star, "
                       "Star-high.wav only its upper notes"));
    _clearInstruments->setAccessibleName(QStringLiteral("Clear your instruments"));
    _clearInstruments->setToolTip(QStringLiteral("Play our own sounds again"));
    _instrumentsShown->setAccessibleName(QStringLiteral("Your instruments in use"));
    _instrumentsShown->setToolTip(QStringLiteral("The folder whose sounds are played"));
    auto* instruments = new QHBoxLayout;
    instruments->addWidget(_instrumentsFolder);
    instruments->addWidget(_clearInstruments);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Display rate:"), _fps);
    form->addRow(QStringLiteral("&Volume:"), _volume);
    form->addRow(QStringLiteral("&Tempo emulation:"), _tempoEmulation);
    form->addRow(QStringLiteral("Vertical &wheel:"), _wheel);
    form->addRow(instruments);
    form->addRow(_instrumentsShown);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(buttons);
    load();

    Preferences* p = _preferences;
    connect(_fps, &QSpinBox::valueChanged, p,
            [p](int v) { p->setValue(QLatin1String(Preferences::kFps), v); });
    connect(_volume, &QSpinBox::valueChanged, p,
            [p](int v) { p->setValue(QLatin1String(Preferences::kVolume), v); });
    connect(_tempoEmulation, &QComboBox::currentIndexChanged, p,
            [p](int v) { p->setValue(QLatin1String(Preferences::kTempoEmurationType), v); });
    connect(_wheel, &QComboBox::currentIndexChanged, p,
            [p](int v) { p->setValue(QLatin1String(Preferences::kVerticalWheelFor), v); });
    const QLatin1String folderKey(Preferences::kInstrumentsFolder);
    connect(_instrumentsFolder, &QPushButton::clicked, this, [this, p, folderKey] {
        const QString folder = _askFolder(this, p->value(folderKey).toString());
        if (!folder.isEmpty()) {
            p->setValue(folderKey, folder);
            load();
        }
    });
    connect(_clearInstruments, &QPushButton::clicked, this, [this, p, folderKey] {
        p->remove(folderKey);
        load();
    });
}

void PreferencesDialog::load() {
    const int fps = _preferences->intValue(QLatin1String(Preferences::kFps));
    _fps->setValue(fps == 0 ? 30 : fps);
    const bool hasVolume = _preferences->contains(QLatin1String(Preferences::kVolume));
    _volume->setValue(
        hasVolume ? static_cast<int>(std::lround(
                        _preferences->floatValue(QLatin1String(Preferences::kVolume))))
                  : 100);
    const int type = _preferences->intValue(QLatin1String(Preferences::kTempoEmurationType));
    // Any value past 2 rounds to 1/64 s, negative ones too.
    _tempoEmulation->setCurrentIndex(type == 0 ? 0 : type == 1 ? 1 : type == 2 ? 2 : 3);
    _wheel->setCurrentIndex(
        _preferences->intValue(QLatin1String(Preferences::kVerticalWheelFor)) != 0 ? 1 : 0);
    const QString folder =
        _preferences->value(QLatin1String(Preferences::kInstrumentsFolder)).toString();
    _instrumentsShown->setText(folder.isEmpty() ? QStringLiteral("Our own sounds")
                                                : QStringLiteral("Sounds from %1").arg(folder));
    _clearInstruments->setEnabled(!folder.isEmpty());
}
