#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/IGlimraBrush.h"
#include "GlimraCore/IGlimraCore.h"
#include "GlimraCore/IGlimraUndo.h"
#include "GlimraCore/Settings.h"

#include <boost/exception_ptr.hpp>
#include <boost/format.hpp>
#include <gtest/gtest.h>

#include <thread>

using namespace Zentor::Glimra;

TEST(EngineConstants, WordsAndNumbers) {
  namespace Tiff = Settings::SaveOptions::Tiff;
  EXPECT_EQ(Tiff::VAL_COMPRESSION_ALGORITHM_DEFAULT, Tiff::VAL_COMPRESSION_ALGORITHM_PACKBITS);
  EXPECT_NE(&Tiff::VAL_COMPRESSION_ALGORITHM_DEFAULT, &Tiff::VAL_COMPRESSION_ALGORITHM_PACKBITS);
  EXPECT_EQ((boost::format(Settings::SAVE_PROPERTY_UNDO_ITEM) % 0).str(), "Item 0");
  EXPECT_EQ(Settings::SEND_STATISTICS, "sendStatistics");
  EXPECT_EQ(Settings::FORMAT_SAVE_SETTINGS, "FormatSaveSettings");
  EXPECT_EQ(IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_NO_STATISTICS, "tagEffectSettingsHelperNoStatistics");
  EXPECT_EQ(IGlimraUndo::TAG_FRAME_INFO, "tagUndoFrameInfo");
  EXPECT_EQ(IStatisticsEventHandler::VAL_RESIZE_RESOLUTION_UOM_PPC, "ppc");
  EXPECT_EQ(IGlimraBrush::DEFAULT_COEFFICIENT, 90);
  EXPECT_EQ(Settings::SaveOptions::Jpeg::VAL_QUALITY_DEFAULT, 1);
  EXPECT_TRUE(Settings::SEND_STATISTICS_DEFAULT);
}

TEST(EngineExceptions, DefaultDescriptionsAndLevels) {
  TooSmallSelectionException small;
  EXPECT_EQ(Zentor::GetDescription(small), "Please select an object or area.");
  EXPECT_EQ(boost::get_error_info<TagLevelID>(small), nullptr);

  const std::string text = Zentor::GetDescription(IOExceptionTempFolder());
  EXPECT_EQ(text, "The folder containing temporary data is unavailable.\nPlease restart the program.");
  EXPECT_EQ(Zentor::GetDescription(GlimraException(), "none"), "none");
  EXPECT_EQ(CropSettingsException::OUT_OF_RANGE, "Crop selection out of range.");
}

TEST(EngineExceptions, KeepTheirClassAcrossThreads) {
  boost::exception_ptr captured;
  std::thread worker([&] {
    try {
      ZENTOR_THROW(TooSmallSelectionException() << TagLevelID(LEVEL_ALERT));
    } catch (...) {
      captured = boost::current_exception();
    }
  });
  worker.join();
  ASSERT_TRUE(captured);
  try {
    boost::rethrow_exception(captured);
    FAIL() << "nothing thrown";
  } catch (const SelectionException& e) {
    EXPECT_NE(dynamic_cast<const TooSmallSelectionException*>(&e), nullptr);
    ASSERT_NE(boost::get_error_info<TagLevelID>(e), nullptr);
    EXPECT_EQ(*boost::get_error_info<TagLevelID>(e), LEVEL_ALERT);
    EXPECT_NE(boost::get_error_info<Zentor::TagCallStack>(e), nullptr);
  }

  try {
    ZENTOR_THROW(IOExceptionTempFolder());
  } catch (const IOException& e) {
    EXPECT_NE(dynamic_cast<const GlimraException*>(&e), nullptr);
  }
}
