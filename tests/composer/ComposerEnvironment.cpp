// The widgets, the sound bank and the icon atlas exist once for the whole
// run, as in the program; the tests run on the offscreen platform.
#include "display/MyIcons.h"
#include "sound/OrnWaves.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

namespace {

class ComposerEnvironment : public testing::Environment {
public:
    void SetUp() override {
        _app = std::make_unique<QApplication>(_argc, _argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Zubo"));
        QCoreApplication::setApplicationName(QStringLiteral("Zubo Sequencer"));
        _bank = std::make_unique<OrnWaves>();
        _icons = std::make_unique<MyIcons>();
    }
    void TearDown() override {
        _icons.reset();
        _bank.reset();
        _app.reset();
    }

private:
    int _argc = 1;
    char _name[16] = "composer_tests";
    char* _argv[2] = {_name, nullptr};
    std::unique_ptr<QApplication> _app;
    std::unique_ptr<OrnWaves> _bank;
    std::unique_ptr<MyIcons> _icons;
};

[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new ComposerEnvironment);

} // namespace
