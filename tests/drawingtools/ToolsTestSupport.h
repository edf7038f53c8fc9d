// The workspace view with its scene and the drawing tools over a fake engine, driven through the
// viewport; the fake records the drawer's stroke calls as text.
#pragma once

#include "support/ProgramTestSupport.h"

#include "DrawingTools/UniversalDrawingTool.h"
#include "Engine/DrawerCoordinate.h"
#include "Engine/PaintTools.h"
#include "Workspace/WorkspaceScene.h"
#include "Workspace/WorkspaceView.h"

#include <QMouseEvent>
#include <QTest>

#include <string>
#include <vector>

inline void RegisterProgramResources() { Q_INIT_RESOURCE(glimra); }

namespace ToolsTest {

using namespace Zentor::Glimra;
using testing::_;
using testing::Return;

// Sends one mouse event of the given type to the viewport, as Qt would deliver it; a move holds
// the left button (Qt drops moves without a button to a viewport that does not track the mouse).
inline void Send(QWidget* viewport, QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers = {}) {
  const bool down = type != QEvent::MouseButtonRelease;
  QMouseEvent event(type, at, viewport->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                    down ? Qt::LeftButton : Qt::NoButton, modifiers);
  QCoreApplication::sendEvent(viewport, &event);
}

inline void Click(QWidget* viewport, QPoint at, Qt::KeyboardModifiers modifiers = {}) {
  Send(viewport, QEvent::MouseButtonPress, at, modifiers);
  Send(viewport, QEvent::MouseButtonRelease, at, modifiers);
}

inline void Drag(QWidget* viewport, QPoint from, QPoint to) {
  Send(viewport, QEvent::MouseButtonPress, from);
  Send(viewport, QEvent::MouseMove, to);
  Send(viewport, QEvent::MouseButtonRelease, to);
}

class ToolsFixture : public testing::Test {
 protected:
  ToolsFixture()
      : engine(BlackPicture(new TestSupport::NiceFakeEngine)),
        fake(static_cast<TestSupport::NiceFakeEngine&>(*engine)),
        scene(fake),
        paintTools(fake) {
    RegisterProgramResources();
    TestSupport::Alerts().clear();
    ON_CALL(fake, PaintStart(_, _)).WillByDefault([this](VSize x, VSize y) { return Record("start", x, y); });
    ON_CALL(fake, Paint(_, _)).WillByDefault([this](VSize x, VSize y) { return Record("paint", x, y); });
    ON_CALL(fake, PaintStop(_, _)).WillByDefault([this](VSize x, VSize y) { Record("stop", x, y); });
    scene.setSceneRect(0, 0, 200, 100);
    view.setFrameShape(QFrame::NoFrame);
    view.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    view.setScene(&scene);
    view.resize(300, 200);
    view.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.SetUniversalDrawingTool(tool);
  }

  // A black picture, so that the tools' white and coloured outlines stand out.
  static TestSupport::NiceFakeEngine* BlackPicture(TestSupport::NiceFakeEngine* fake) {
    ON_CALL(*fake, GetVideo()).WillByDefault(Return(Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_BGR0, 200, 100)));
    return fake;
  }
  PaintPatch Record(const char* name, VSize x, VSize y) {
    calls.push_back(std::string(name) + " " + std::to_string(x) + "," + std::to_string(y));
    return PaintPatch();
  }
  // The stroke call for a viewport position, as the drawer would receive it.
  static std::string Call(const char* name, QPointF scene) {
    return std::string(name) + " " + std::to_string(ToDrawerCoordinate(scene.x())) + "," +
           std::to_string(ToDrawerCoordinate(scene.y()));
  }
  std::string Call(const char* name, QPoint at) const { return Call(name, view.mapToScene(at)); }
  QWidget* Viewport() { return view.viewport(); }

  GlimraCorePtr engine;
  TestSupport::NiceFakeEngine& fake;
  WorkspaceScene scene;
  PaintTools paintTools;
  WorkspaceView view;
  boost::shared_ptr<UniversalDrawingTool> tool{new UniversalDrawingTool(view, paintTools, view.GetToolTipEngine())};
  std::vector<std::string> calls;
};

}  // namespace ToolsTest
