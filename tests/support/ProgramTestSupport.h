// Pieces shared by the program's tests: the alert record and hook, event-loop helpers and a
// GMock fake of the engine.
#pragma once

#include "support/EngineSupport.h"

#include "GlimraCore/IGlimraCore.h"
#include "Platform/AppShell/AlertBox.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QThread>

#include <gmock/gmock.h>

#include <functional>
#include <vector>

namespace TestSupport {

struct AlertRecord {
  int level;
  QString title;
  QString text;
};

// Every alert shown since the test main started (clear it in a test as needed).
std::vector<AlertRecord>& Alerts();

// Answers alerts with `answer` (null: every alert returns Cancel); every alert is recorded.
void AnswerAlerts(std::function<int(Zentor::App::AlertBox&)> answer);

// A test that needs a process of its own (a second application object, say) registers its child
// code under a name from a static initializer. Started with GLIMRA_TEST_CHILD=<name>, the test
// binary runs only that code, once every static object is built and before the test main sets
// anything up, and exits with what it returns. The registration's result is always true.
bool RegisterChild(const char* name, int (*run)());

// Runs the event loop until `done` holds or `ms` pass; returns whether it holds.
inline bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

// Runs every pending event, posted deferred deletes included.
inline void Drain() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }
}

// A fake engine: every operation of the engine's three interfaces is mockable. It is counted
// like the real engine; hold it in a GlimraCorePtr.
class FakeEngine : public Zentor::RefCounted<Zentor::Glimra::IGlimraCore> {
 public:
  using Property = Zentor::Core::Property;
  using PaintPatch = Zentor::Glimra::IGlimraDrawer::PaintPatch;
  using VSize = Zentor::Glimra::VSize;
  using VideoParts = Zentor::Glimra::IGlimraDrawer::VideoParts;

  // IGlimraUndoBase
  MOCK_METHOD(bool, IsUndoEnabled, (), (const, override));
  MOCK_METHOD(bool, IsRedoEnabled, (), (const, override));
  MOCK_METHOD(void, Undo, (), (override));
  MOCK_METHOD(void, Redo, (), (override));
  MOCK_METHOD(void, Reset, (), (override));

  // IGlimraDrawer
  MOCK_METHOD(void, SetBrush, (const Property&), (override));
  MOCK_METHOD(void, SetBrush, (const Zentor::Proc::DataVideoPtr&), (override));
  MOCK_METHOD(void, PaintInit, (const Property&), (override));
  MOCK_METHOD(PaintPatch, PaintStart, (VSize, VSize), (override));
  MOCK_METHOD(PaintPatch, Paint, (VSize, VSize), (override));
  MOCK_METHOD(void, PaintStop, (VSize, VSize), (override));
  MOCK_METHOD(bool, HasPaintedArea, (), (const, override));
  MOCK_METHOD(void, PaintReset, (), (override));
  MOCK_METHOD(void, ApplyEffect, (const Property&, bool), (override));
  MOCK_METHOD(bool, HasChange, (), (const, override));
  MOCK_METHOD(void, ResizePaintedArea, (int), (override));
  MOCK_METHOD(const Property&, GetBrushSettings, (), (const, override));
  MOCK_METHOD(const Property&, GetPaintSettings, (), (const, override));
  MOCK_METHOD(Zentor::Proc::DataVideoPtr, GetVideo, (), (override));
  // The picture comes whole from GetVideo, which the tests set up.
  VideoParts GetVideoParts() override { return VideoParts{GetVideo(), PaintPatch()}; }
  MOCK_METHOD(const Property&, GetSettings, (), (const, override));

  // IGlimraCore
  MOCK_METHOD(void, SetOutputColorSpace, (const Property&), (override));
  MOCK_METHOD(const Property&, GetMetadata, (), (const, override));
  MOCK_METHOD(Zentor::Proc::DataVideoPtr, GetThumbnail, (), (const, override));
  MOCK_METHOD(void, SetProgressController, (const Zentor::Core::ProgressControllerPtr&), (override));
  MOCK_METHOD(Property, GetStatistic, (), (const, override));
  MOCK_METHOD(void, LoadMask, (const Zentor::Core::ioPath&), (override));
  MOCK_METHOD(void, SetMask, (Zentor::Proc::DataVideoPtr&), (override));
  MOCK_METHOD(void, RegisterCoreEventHandler, (Zentor::Glimra::ICoreEventHandler*), (override));
  MOCK_METHOD(void, RegisterDrawerEventHandler, (Zentor::Glimra::IDrawerEventHandler*), (override));
  MOCK_METHOD(Property, GetDefaultSaveSettings, (), (const, override));
  MOCK_METHOD(void, Save, (const Property&), (override));
  MOCK_METHOD(void, SaveSession, (), (override));
  MOCK_METHOD(void, SaveMask, (const Zentor::Core::ioPath&), (override));
  MOCK_METHOD(const Zentor::Conf::FormatCodecVideoPtr&, GetFormatCodec, (), (const, override));
  MOCK_METHOD(void, Debug, (), (override));
  MOCK_METHOD(bool, IsSessionRestored, (), (const, override));

  // Answers the reference-returning queries with empty properties, so a nice fake is usable as is;
  // a session asked for is restored.
  FakeEngine() {
    using testing::ReturnRef;
    ON_CALL(*this, IsSessionRestored()).WillByDefault(testing::Return(true));
    ON_CALL(*this, GetBrushSettings()).WillByDefault(ReturnRef(empty_));
    ON_CALL(*this, GetPaintSettings()).WillByDefault(ReturnRef(empty_));
    ON_CALL(*this, GetSettings()).WillByDefault(ReturnRef(empty_));
    ON_CALL(*this, GetMetadata()).WillByDefault(ReturnRef(empty_));
    ON_CALL(*this, GetFormatCodec()).WillByDefault(ReturnRef(noCodec_));
  }

 private:
  Property empty_;
  Zentor::Conf::FormatCodecVideoPtr noCodec_;
};

using NiceFakeEngine = testing::NiceMock<FakeEngine>;

}  // namespace TestSupport
