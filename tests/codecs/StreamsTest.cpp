// The one-frame stream and the apply-effects filter.
#include "CodecTestSupport.h"

#include "Proc/Interfaces/IResize.h"

#include <thread>

using namespace CodecTest;
using Zentor::Conf::IFormatCodec;
using Zentor::Conf::IFormatCodecVideo;
using Zentor::Proc::IFilterApplyEffectsVideo;
using Zentor::Proc::StreamOneFrameVideo;

TEST(StreamOneFrame, HoldsOneFrameUntilReleased) {
  Proc::DataVideoPtr frame = Proc::DataVideoFF::Create(AV_PIX_FMT_BGRA, 1920, 1080, 4, 3);
  boost::intrusive_ptr<StreamOneFrameVideo> stream(new StreamOneFrameVideo(frame));
  EXPECT_EQ(stream->Read(), frame);
  EXPECT_EQ(stream->Read(), frame);
  EXPECT_EQ(stream->ReadStream().get(), static_cast<Proc::IData*>(frame.get()));

  const Core::Property s = stream->GetFormatCodec()->GetSettings();
  EXPECT_EQ(s[IFormatCodecVideo::TAG_WIDTH].GetType(), PT_INT64);
  EXPECT_EQ(s[IFormatCodecVideo::TAG_WIDTH].GetInt64(), 1920);
  EXPECT_EQ(s[IFormatCodecVideo::TAG_HEIGHT].GetInt64(), 1080);
  EXPECT_EQ(s[IFormatCodecVideo::TAG_PIX_FMT].GetInt64(), AV_PIX_FMT_BGRA);
  EXPECT_EQ(s[IFormatCodecVideo::TAG_ASPECTX].GetInt64(), 4);
  EXPECT_EQ(s[IFormatCodecVideo::TAG_ASPECTY].GetInt64(), 3);

  stream->ReleaseInternalData();
  EXPECT_FALSE(stream->Read());
  EXPECT_FALSE(stream->ReadStream());
  const Core::Property empty = stream->GetFormatCodec()->GetSettings();
  EXPECT_EQ(empty[IFormatCodecVideo::TAG_FRAME_RATE_NUM].GetInt64(), 30);
  EXPECT_EQ(empty[IFormatCodecVideo::TAG_FRAME_RATE_DEN].GetInt64(), 1);
  EXPECT_EQ(empty[IFormatCodec::TAG_BITRATE_MODE].GetString(), IFormatCodec::TAG_BITRATE_MODE_VBR);
  EXPECT_FALSE(empty.ChildExists(IFormatCodecVideo::TAG_WIDTH));
}

TEST(StreamOneFrame, TerminationSeekAndSettings) {
  boost::intrusive_ptr<StreamOneFrameVideo> stream(new StreamOneFrameVideo(nullptr));
  EXPECT_FALSE(stream->IsTerminated());
  stream->Terminate();
  EXPECT_TRUE(stream->IsTerminated());
  stream->RequestSeek(12345, nullptr);
  EXPECT_FALSE(stream->IsTerminated());
  EXPECT_TRUE(stream->GetSeekResult());
  const Core::Property settings = stream->GetSettings();
  EXPECT_EQ(settings.GetType(), PT_GROUP);
  EXPECT_EQ(settings.GetName(), "");
  EXPECT_EQ(settings.Count(), 0u);
  EXPECT_EQ(stream->GetDuration(), 0);
}

TEST(StreamOneFrame, ReaderAndReleaserOnTwoThreads) {
  for (int round = 0; round < 50; ++round) {
    Proc::DataVideoPtr frame = Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, 8, 8);
    boost::intrusive_ptr<StreamOneFrameVideo> stream(new StreamOneFrameVideo(frame));
    frame.reset();
    std::thread reader([&] {
      for (int i = 0; i < 100; ++i) {
        Proc::DataVideoPtr f = stream->Read();
        if (f) {
          EXPECT_EQ(f->GetWidth(), 8u);
        }
        stream->GetFormatCodec();
      }
    });
    stream->ReleaseInternalData();
    reader.join();
    EXPECT_FALSE(stream->Read());
  }
}

TEST(FilterApplyEffects, RunsTheListedEffects) {
  Proc::DataVideoPtr frame = MakePicture(400, 300);
  Proc::StreamVideoPtr source(new StreamOneFrameVideo(frame));
  Proc::FilterApplyEffectsVideoPtr filter =
      Core::GetFilterFactory()->CreateApplyEffectsVideo(source, Proc::ImplNames::DEFAULT);

  // No settings: frames pass unchanged.
  EXPECT_EQ(filter->Read(), frame);

  Proc::SettingsResizer resize;
  resize.width = 160;
  resize.height = 120;
  Core::Property settings(IFilterApplyEffectsVideo::CLASS_ID);
  settings.SetChild(IFilterApplyEffectsVideo::EFFECTS)
      .SetChild(Proc::IResize::CLASS_ID, Proc::IResize::Settings2Property(resize));
  filter->Initialize(settings);
  Proc::DataVideoPtr small = filter->Read();
  ASSERT_TRUE(small);
  EXPECT_EQ(small->GetWidth(), 160u);
  EXPECT_EQ(small->GetHeight(), 120u);
  EXPECT_EQ(frame->GetWidth(), 400u);  // the source frame is untouched

  // The thumbnail path: filter, then the JPEG encoder.
  const BlobPtr jpeg = Core::GetCodecFactory()->CreateEncoder(filter, CodecSettings(IFormatCodecVideo::CODEC_ID_MJPEG))->ReadPacket();
  EXPECT_EQ(DecodeBytes(jpeg).frame->GetWidth(), 160u);

  Core::Property unknown(IFilterApplyEffectsVideo::CLASS_ID);
  unknown.SetChild(IFilterApplyEffectsVideo::EFFECTS).SetChild("no-such-effect");
  EXPECT_THROW(filter->Initialize(unknown), Zentor::Exception);
}
