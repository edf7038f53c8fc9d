// The undo panel over a fake engine: the buttons and the main window's actions follow the engine
// after every drawer event, an action undoes once, and nothing happens before an engine is set.
#include "support/ProgramTestSupport.h"

#include "UI/UndoWidget.h"

#include <QAction>
#include <QSignalSpy>
#include <QToolButton>

namespace {

using Zentor::Glimra::UndoWidget;

QToolButton* Button(const UndoWidget& panel, const char* name) {
  return panel.findChild<QToolButton*>(QLatin1String(name));
}

}  // namespace

TEST(UndoPanelTest, ButtonsAndActionsFollowTheEngineAfterEachDrawerEvent) {
  boost::intrusive_ptr<TestSupport::NiceFakeEngine> held(new TestSupport::NiceFakeEngine);
  TestSupport::NiceFakeEngine& engine = *held;
  UndoWidget panel;
  QAction undo;
  QAction redo;
  panel.SetUndoUIActions(&undo, &redo);
  const auto states = [&] {
    return std::vector<bool>{Button(panel, "undoButton")->isEnabled(), undo.isEnabled(),
                             Button(panel, "redoButton")->isEnabled(), redo.isEnabled()};
  };

  bool canUndo = false;
  bool canRedo = false;
  ON_CALL(engine, IsUndoEnabled()).WillByDefault([&] { return canUndo; });
  ON_CALL(engine, IsRedoEnabled()).WillByDefault([&] { return canRedo; });
  panel.SetUndoEngine(&engine);
  EXPECT_EQ(std::vector<bool>({false, false, false, false}), states());

  // A stroke, then its undo, then a new stroke.
  const std::pair<bool, bool> steps[] = {{true, false}, {false, true}, {true, false}};
  for (const auto& [afterUndo, afterRedo] : steps) {
    canUndo = afterUndo;
    canRedo = afterRedo;
    panel.HandleEvent();
    TestSupport::Drain();
    EXPECT_EQ(std::vector<bool>({canUndo, canUndo, canRedo, canRedo}), states());
  }

  int undos = 0;
  EXPECT_CALL(engine, Undo()).WillRepeatedly([&] { ++undos; });
  EXPECT_CALL(engine, Redo()).Times(0);
  undo.trigger();
  // The action animates the button, whose click comes a moment later.
  EXPECT_TRUE(TestSupport::WaitFor([&] { return undos > 0; }));
  TestSupport::Drain();
  EXPECT_EQ(1, undos);
}

TEST(UndoPanelTest, NothingHappensBeforeAnEngineIsSet) {
  UndoWidget panel;
  QSignalSpy undoSpy(&panel, &UndoWidget::undoEnabled);
  QSignalSpy redoSpy(&panel, &UndoWidget::redoEnabled);
  panel.HandleEvent();
  TestSupport::Drain();
  Button(panel, "undoButton")->click();
  Button(panel, "redoButton")->click();
  panel.UpdateState();
  EXPECT_EQ(0, undoSpy.count());
  EXPECT_EQ(0, redoSpy.count());
  EXPECT_TRUE(Button(panel, "undoButton")->isEnabled());
}
