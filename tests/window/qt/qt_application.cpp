// One QApplication for every test of the binary, set up as the window program sets it up
// (Chinese translations, the window's default font).
#include <gtest/gtest.h>

#include <QApplication>

#include "window/qt/application.h"

namespace {

class QtApplication : public ::testing::Environment {
  public:
    void SetUp() override {
        m_app = new QApplication(m_argc, m_argv);
        tavorin::prepareApplication(*m_app);
    }
    void TearDown() override { delete m_app; }

  private:
    int m_argc = 1;
    char m_name[13] = "window_tests";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_app = nullptr;
};

[[maybe_unused]] const auto* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

}  // namespace
