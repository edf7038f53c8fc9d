#include "support/ProgramTestSupport.h"

#include "Engine/StatisticsEventHandler.h"
#include "Platform/AppShell/Application.h"
#include "Platform/AppShell/ILookAndFeelManager.h"
#include "Platform/AppShell/SettingsManager.h"
#include "Platform/UsageStats/ApplicationTracker.h"
#include "Platform/UsageStats/ApplicationTrackerFactory.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

using Zentor::Glimra::IStatisticsEventHandler;
using Zentor::Glimra::StatisticsEventHandler;
using Zentor::Tracking::ApplicationTrackerFactory;
using Zentor::Tracking::ApplicationTrackerPtr;
using Zentor::Tracking::IApplicationTracker;

namespace {

// What every fake tracker was asked, in order: "init:<text>", "<event>:<LANGUAGE>", "deinit".
struct TrackerLog {
  std::vector<std::string> calls;
  int made = 0;
  bool initializes = true;
  bool throwsOnEvent = false;
};

class FakeTracker : public Zentor::RefCounted<IApplicationTracker> {
 public:
  explicit FakeTracker(TrackerLog& log) : log(log) {}
  bool Initialize(const std::string& text, int, int, int, int) override {
    log.calls.push_back("init:" + text);
    return log.initializes;
  }
  bool Deinitialize() override {
    log.calls.push_back("deinit");
    return true;
  }
  bool TrackEvent(const std::string& name, const StringParameters& parameters) override {
    if (log.throwsOnEvent) throw std::runtime_error("tracker down");
    const auto language = parameters.find(IStatisticsEventHandler::KEY_LANGUAGE);
    log.calls.push_back(name + ":" + (language == parameters.end() ? std::string("-") : language->second));
    return true;
  }
  bool TrackEvent(const std::string& name, const IntParameters&) override {
    log.calls.push_back(name);
    return true;
  }
  bool TrackException(const std::string& first, const std::string&, const std::string&) override {
    log.calls.push_back(first);
    return true;
  }

 private:
  TrackerLog& log;
};

class TestHandler : public StatisticsEventHandler {
 public:
  Zentor::App::CustomizationManagerPtr customization;
  bool firstLaunch = false;

 protected:
  Zentor::App::CustomizationManagerPtr GetCustomizationManager() const override { return customization; }
  bool IsFirstLaunch() const override { return firstLaunch; }
};

struct StatisticsTest : testing::Test {
  StatisticsTest() {
    ApplicationTrackerFactory::SetFactoryHook([this] {
      ++log.made;
      return ApplicationTrackerPtr(new FakeTracker(log));
    });
    Zentor::App::AppSettings().SetString(Zentor::App::ILookAndFeelManager::locale, "de");
  }
  ~StatisticsTest() override { ApplicationTrackerFactory::SetFactoryHook(nullptr); }

  // Sends one event and lets the bridge deliver it.
  void Send(const std::string& name) {
    handler.TrackEventString(name, {});
    TestSupport::Drain();
  }

  TrackerLog log;
  TestHandler handler;
};

}  // namespace

TEST_F(StatisticsTest, StartsTheTrackerOnceAndDropsEventsWhileOff) {
  Send("BEFORE");
  handler.setEnabled(true);
  TestSupport::Drain();
  handler.setEnabled(false);
  Send("OFF");
  handler.setEnabled(true);
  Send("ON");
  const std::string user = Zentor::App::Application::GetUserId();
  EXPECT_EQ((std::vector<std::string>{"init:U=" + user + "#P=0.0#", "APP_EVERY_START:de", "ON:-"}), log.calls);
  EXPECT_EQ(1, log.made);
  // The id is kept: a later run starts with the same one.
  EXPECT_EQ(user, Zentor::App::Application::GetUserId());
}

TEST_F(StatisticsTest, InitialisationTextAndFirstLaunch) {
  TestSupport::TempFolder resources("custom");
  std::ofstream(resources.File("ZentorGlimraCustom.ini")) << "[General]\nTRACKER_INIT=key-42\nVERSION_MAJOR=3\n"
                                                             "VERSION_MINOR=7\n";
  handler.customization = std::make_shared<Zentor::App::CustomizationManager>(resources.Folder(), "glimra");
  handler.customization->InitSettings();
  handler.firstLaunch = true;
  handler.setEnabled(true);
  TestSupport::Drain();
  const std::string user = Zentor::App::Application::GetUserId();
  EXPECT_EQ((std::vector<std::string>{"init:key-42U=" + user + "#P=3.7#", "APP_EVERY_START:de", "APP_FIRST_START:de"}),
            log.calls);
}

TEST_F(StatisticsTest, AFailedStartLeavesTheStubAndIsTriedAgain) {
  log.initializes = false;
  handler.setEnabled(true);
  Send("LOST");
  EXPECT_EQ(1u, log.calls.size());

  log.initializes = true;
  log.calls.clear();
  handler.setEnabled(true);
  TestSupport::Drain();
  EXPECT_EQ(2, log.made);
  ASSERT_EQ(2u, log.calls.size());
  EXPECT_EQ("APP_EVERY_START:de", log.calls[1]);
}

TEST_F(StatisticsTest, AFailingTrackerFailsNothing) {
  handler.setEnabled(true);
  log.throwsOnEvent = true;
  EXPECT_NO_THROW(Send("LOST"));
  log.calls.clear();
  {
    TestHandler leaving;
    leaving.setEnabled(true);
  }
  EXPECT_EQ("deinit", log.calls.back());
}

TEST(UsageTrackerTest, WritesOneJsonLinePerEventOnlyWhileInitialised) {
  boost::intrusive_ptr<Zentor::Tracking::ApplicationTracker> tracker(new Zentor::Tracking::ApplicationTracker);
  QFile::remove(tracker->FilePath());
  EXPECT_FALSE(tracker->TrackEvent("EARLY", IApplicationTracker::StringParameters{}));
  EXPECT_FALSE(QFile::exists(tracker->FilePath()));

  ASSERT_TRUE(tracker->Initialize("anyU=abc#P=1.2#", 0, 0, 0, 0));
  EXPECT_TRUE(tracker->TrackEvent("SAVE", IApplicationTracker::StringParameters{{"ERROR", "two\nlines \"quoted\""}}));
  EXPECT_TRUE(tracker->TrackEvent("COUNT", IApplicationTracker::IntParameters{{"N", 3}}));
  EXPECT_TRUE(tracker->TrackException("a", "b", "c"));
  tracker->Deinitialize();
  EXPECT_FALSE(tracker->TrackEvent("LATE", IApplicationTracker::StringParameters{}));

  QFile file(tracker->FilePath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  ASSERT_EQ(4, lines.size());
  EXPECT_TRUE(lines[3].isEmpty());
  std::vector<QJsonObject> events;
  for (int i = 0; i < 3; ++i) {
    QJsonParseError error;
    const QJsonDocument line = QJsonDocument::fromJson(lines[i], &error);
    ASSERT_EQ(QJsonParseError::NoError, error.error) << lines[i].toStdString();
    events.push_back(line.object());
  }
  EXPECT_EQ("SAVE", events[0]["event"].toString());
  EXPECT_EQ("two\nlines \"quoted\"", events[0]["parameters"].toObject()["ERROR"].toString());
  EXPECT_EQ("abc", events[0]["user"].toString());
  EXPECT_EQ("1.2", events[0]["version"].toString());
  EXPECT_EQ(3, events[1]["parameters"].toObject()["N"].toInt());
  EXPECT_EQ("c", events[2]["exception"].toArray()[2].toString());
}

TEST(UsageTrackerTest, TheHandlerWritesNothingWhileOff) {
  const QString path = Zentor::Tracking::ApplicationTracker().FilePath();
  QFile::remove(path);
  StatisticsEventHandler handler;
  handler.TrackEventString("OFF", {});
  TestSupport::Drain();
  EXPECT_FALSE(QFile::exists(path));

  handler.setEnabled(true);
  TestSupport::Drain();
  handler.setEnabled(false);
  handler.TrackEventString("OFF", {});
  TestSupport::Drain();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  ASSERT_EQ(2, lines.size());
  EXPECT_EQ("APP_EVERY_START", QJsonDocument::fromJson(lines[0]).object()["event"].toString());
}
