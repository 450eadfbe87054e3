#pragma once
// The application object of a GUI test program: made when the tests start
// (not while they are only listed), on the offscreen platform unless told
// otherwise, and destroyed before the program's exit handlers run, which
// Qt's devices need.
#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setApplicationName("WSQ file viewer");
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "viewer_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

inline const ::testing::Environment* const qt_test_environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

inline QApplication& test_application() { return *qApp; }
