#include "support/ProgramTestSupport.h"

#include "Platform/AppShell/SettingsManager.h"

namespace {

using Zentor::App::SettingsManager;

TEST(SettingsManagerTest, EveryTypeRoundTripsAcrossInstances) {
  {
    SettingsManager writer("RoundTrip", "Zentor");
    writer.SetString("a/string", "Grüße");
    writer.SetBool("a/false", false);
    writer.SetInt64("a/big", int64_t(1) << 40);
    writer.SetDouble("a/double", 0.1);
    writer.SetBytes("a/bytes", {0, 255, 7});
  }
  SettingsManager reader("RoundTrip", "Zentor");
  EXPECT_EQ(reader.GetString("a/string", ""), "Grüße");
  EXPECT_FALSE(reader.GetBool("a/false", true));
  EXPECT_EQ(reader.GetInt64("a/big", 0), int64_t(1) << 40);
  EXPECT_DOUBLE_EQ(reader.GetDouble("a/double", 0), 0.1);
  EXPECT_EQ(reader.GetBytes("a/bytes", {}), (std::vector<uint8_t>{0, 255, 7}));
  EXPECT_EQ(reader.GetString("missing", "fallback"), "fallback");
  EXPECT_TRUE(reader.GetBool("missing", true));
  EXPECT_EQ(reader.GetInt64("missing", -3), -3);
}

TEST(AlertBoxTest, HookAnswersWithoutBlocking) {
  TestSupport::Alerts().clear();
  EXPECT_EQ(Zentor::App::AlertBox::exec(0, "Title", "Text", QMessageBox::Ok), int(QMessageBox::Cancel));
  ASSERT_EQ(TestSupport::Alerts().size(), 1u);
  EXPECT_EQ(TestSupport::Alerts()[0].text, "Text");
}

}  // namespace
