// Fonts, the palette, the image formats and the view's widgets need one
// QApplication for the whole test run; the tests run on the offscreen platform.
#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace {

class GuiEnvironment : public testing::Environment {
  public:
    void SetUp() override { _app = std::make_unique<QApplication>(_argc, _argv); }
    void TearDown() override { _app.reset(); }

  private:
    int _argc = 1;
    char _name[14] = "display_tests";
    char* _argv[2] = {_name, nullptr};
    std::unique_ptr<QApplication> _app;
};

[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace
