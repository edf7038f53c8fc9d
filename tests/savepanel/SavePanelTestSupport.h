// Shared by the save panel tests: a settings store of the test's own.
#pragma once

#include "Platform/AppShell/SettingsManager.h"

#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace SavePanelTest {

class FreshSettings : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    auto settings = std::make_shared<Zentor::App::SettingsManager>(
        std::string("savepanel-") + test->test_suite_name() + "-" + test->name(), "Zentor");
    for (const char* key : {"SavePath", "FormatSaveSettings/TIFFcompression_algo"}) settings->Remove(key);
    Zentor::App::SetAppSettings(settings);
  }
  void TearDown() override { Zentor::App::SetAppSettings(nullptr); }

  Zentor::App::ISettingsManager& Stored() { return Zentor::App::AppSettings(); }
};

}  // namespace SavePanelTest
