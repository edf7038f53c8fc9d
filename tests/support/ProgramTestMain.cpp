// The program tests' main: an offscreen QApplication, settings, cache and data folders of the
// run's own, a fixed locale, and an alert hook that records every alert instead of blocking.
#include "support/ProgramTestSupport.h"

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <glog/logging.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace TestSupport {

std::vector<AlertRecord>& Alerts() {
  static std::vector<AlertRecord> alerts;
  return alerts;
}

void AnswerAlerts(std::function<int(Zentor::App::AlertBox&)> answer) {
  Zentor::App::AlertBox::SetExecHook([answer](Zentor::App::AlertBox& box) {
    Alerts().push_back({box.Level(), box.windowTitle(), box.text()});
    return answer ? answer(box) : int(QMessageBox::Cancel);
  });
}

namespace {
std::map<std::string, int (*)()>& Children() {
  static std::map<std::string, int (*)()> children;
  return children;
}
}  // namespace

bool RegisterChild(const char* name, int (*run)()) {
  Children()[name] = run;
  return true;
}

}  // namespace TestSupport

int main(int argc, char** argv) {
  if (const char* child = std::getenv("GLIMRA_TEST_CHILD")) {
    const auto found = TestSupport::Children().find(child);
    const int code = found == TestSupport::Children().end() ? 2 : found->second();
    std::fflush(nullptr);
    std::_Exit(code);
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QTemporaryDir home;
  const QByteArray root = home.path().toLocal8Bit();
  setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
  setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
  setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
  setenv("LANG", "C.UTF-8", 1);
  setenv("LC_ALL", "C.UTF-8", 1);

  google::InitGoogleLogging(argv[0]);
  FLAGS_logtostderr = true;
  FLAGS_minloglevel = google::GLOG_WARNING;

  QApplication application(argc, argv);
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  TestSupport::AnswerAlerts(nullptr);

  testing::InitGoogleMock(&argc, argv);
  return RUN_ALL_TESTS();
}
