#include "composer/PreferencesDialog.h"

#include "document/Preferences.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

PreferencesDialog::PreferencesDialog(Preferences* preferences, QWidget* parent)
    : QDialog(parent), _preferences(preferences), _fps(new QSpinBox(this)),
      _volume(new QSpinBox(this)), _tempoEmulation(new QComboBox(this)),
      _wheel(new QComboBox(this)) {
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

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Display rate:"), _fps);
    form->addRow(QStringLiteral("&Volume:"), _volume);
    form->addRow(QStringLiteral("&Tempo emulation:"), _tempoEmulation);
    form->addRow(QStringLiteral("Vertical &wheel:"), _wheel);
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
}
