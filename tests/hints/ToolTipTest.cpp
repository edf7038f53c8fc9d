#include "support/ProgramTestSupport.h"

#include "DrawingTools/IToolTipProvider.h"
#include "DrawingTools/ToolTipManager.h"
#include "Platform/AppShell/SettingsManager.h"
#include "UI/ToolTipWidget.h"

#include <QCheckBox>
#include <QLabel>

namespace {

using Zentor::Glimra::ToolTipManager;
using Zentor::Glimra::ToolTipWidget;

struct Hint : Zentor::Glimra::IToolTipProvider {
  Hint(QString text, std::string name) : text(std::move(text)), name(std::move(name)) {}
  QString GetDescription() const override { return text; }
  std::string GetSettingsName() const override { return name; }
  QString text;
  std::string name;
};

bool StoredFlag(const std::string& name) {
  // A store of its own reads what reached the file.
  return Zentor::App::SettingsManager("Glimra", "Zentor").GetBool(name, false);
}

class ToolTipTest : public testing::Test {
 protected:
  ToolTipTest() {
    parent.setGeometry(100, 80, 800, 600);
    parent.show();
  }
  QList<ToolTipWidget*> Bubbles() { return parent.findChildren<ToolTipWidget*>(); }

  QWidget parent;
};

TEST_F(ToolTipTest, EveryShowReplacesTheOneBubble) {
  ToolTipManager manager(&parent);
  manager.hideToolTip();
  manager.changePosition();
  EXPECT_FALSE(manager.isToolTipVisible());

  Hint first("First hint", "HintsFirstToolTip");
  Hint second("Second hint", "HintsSecondToolTip");
  manager.showToolTip(&first);
  manager.showToolTip(&second);
  ASSERT_EQ(Bubbles().size(), 1);
  EXPECT_TRUE(manager.isToolTipVisible());
  EXPECT_EQ(Bubbles()[0]->findChild<QLabel*>("tooltip")->text(), "Second hint");

  manager.showToolTip(nullptr);
  EXPECT_EQ(Bubbles().size(), 1);
  EXPECT_FALSE(manager.isToolTipVisible());
  Hint unnamed("No name", "");
  manager.showToolTip(&unnamed);
  EXPECT_FALSE(manager.isToolTipVisible());
}

TEST_F(ToolTipTest, DontShowAnymoreIsStoredAtOnceAndSuppressesTheHint) {
  Hint hint("Wand hint", "HintsWandToolTip");
  ToolTipWidget bubble(&parent);
  bubble.showToolTip(&hint);
  ASSERT_TRUE(bubble.isVisible());
  QCheckBox* box = bubble.findChild<QCheckBox*>("checkBox");
  box->click();
  EXPECT_TRUE(StoredFlag("HintsWandToolTip"));
  EXPECT_TRUE(bubble.isVisible());
  box->click();
  EXPECT_FALSE(StoredFlag("HintsWandToolTip"));

  // Suppressed: showing it hides the visible bubble; the box is unticked on the next show.
  box->click();
  bubble.showToolTip(&hint);
  EXPECT_FALSE(bubble.isVisible());
  Zentor::App::AppSettings().SetBool("HintsWandToolTip", false);
  bubble.showToolTip(&hint);
  EXPECT_TRUE(bubble.isVisible());
  EXPECT_FALSE(box->isChecked());
}

TEST_F(ToolTipTest, TheBubbleSitsThirtyPixelsInsideTheParentAndIsNeverBlack) {
  Hint hint("Crop hint", "HintsCropToolTip");
  ToolTipWidget bubble(&parent);
  bubble.showToolTip(&hint);
  ASSERT_TRUE(bubble.isVisible());
  EXPECT_EQ(bubble.frameGeometry().bottomRight() + QPoint(1, 1), parent.mapToGlobal(QPoint(770, 570)));
  EXPECT_EQ(bubble.width(), 370);

  // Offscreen there is no compositor: the bubble is painted opaque.
  const QColor margin = bubble.grab().toImage().pixelColor(6, bubble.height() / 2);
  EXPECT_EQ(margin.alpha(), 255);
  EXPECT_NE(margin, QColor(Qt::black));
}

}  // namespace
