// The file-type logic of the save panel over a recording view.
#include "SavePanelTestSupport.h"

#include "GlimraCore/Settings.h"
#include "UI/ISaveFileView.h"
#include "UI/SaveFileController.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>

using Zentor::Core::Property;
using Zentor::Glimra::SaveFileController;
namespace Settings = Zentor::Glimra::Settings;

namespace {

class RecordingView : public Zentor::Glimra::ISaveFileView {
 public:
  void SetLabelText(const QString& text) override { label = text; }
  void SetButtonTitle(const QString& title) override { button = title; }
  void SetButtonEnabled(bool enabled) override { buttonEnabled = enabled; }
  void RemoveAllItems() override { items.clear(); }
  void AddItems(const QStringList& titles) override { items << titles; }
  void SelectItem(int index) override { selected = index; }
  int SelectedIndex() const override { return selected; }
  void SetAllowedFileTypes(const QStringList& extensions) override { allowed = extensions; }

  QString label;
  QString button;
  bool buttonEnabled = false;
  QStringList items;
  int selected = -1;
  QStringList allowed;
};

class SaveFileControllerTest : public SavePanelTest::FreshSettings {
 protected:
  void Start(const std::string& extension) {
    controller.OnViewLoaded();
    controller.SetLabel("File Types:", extension, "Options");
  }

  RecordingView view;
  Property options{Settings::FORMAT_SAVE_SETTINGS};
  SaveFileController controller{view, options};
};

TEST_F(SaveFileControllerTest, StartsOnTheCurrentFilesType) {
  struct Case {
    std::string extension;
    int index;
    QString allowed;
    bool options;
  };
  for (const Case& c : {Case{"PNG", 6, "png", false}, Case{"tif", 9, "tiff", true}, Case{"gif", 2, "jpg", true},
                        Case{"", 2, "jpg", true}}) {
    SCOPED_TRACE(c.extension);
    Start(c.extension);
    ASSERT_EQ(view.items.size(), 11);
    EXPECT_EQ(view.items[2], "Image JPEG (*.jpg;*.jpeg;*.jpe;*.jfif;*.jif)");
    EXPECT_EQ(view.selected, c.index);
    ASSERT_FALSE(view.allowed.isEmpty());
    EXPECT_EQ(view.allowed.first(), c.allowed);
    EXPECT_EQ(controller.CurrentExtension(), "." + c.allowed);
    EXPECT_EQ(view.buttonEnabled, c.options);
  }
  EXPECT_EQ(view.label, "File Types:");
  EXPECT_EQ(view.button, "Options");
}

TEST_F(SaveFileControllerTest, NamesGetTheChosenTypesExtension) {
  EXPECT_EQ(controller.CurrentExtension(), "");
  Start("gif");
  EXPECT_EQ(controller.WithChosenExtension("/d/x"), "/d/x.jpg");
  EXPECT_EQ(controller.WithChosenExtension("/d/x."), "/d/x.jpg");
  EXPECT_EQ(controller.WithChosenExtension("/d/x.JPEG"), "/d/x.JPEG");
  EXPECT_EQ(controller.WithChosenExtension("/d/x.png"), "/d/x.png.jpg");

  view.selected = 9;  // the user picks TIFF
  controller.ItemSelected();
  EXPECT_EQ(controller.WithChosenExtension("/d/x.jpg"), "/d/x.jpg.tiff");
  EXPECT_EQ(controller.WithChosenExtension("/d/x.tif"), "/d/x.tif");

  view.selected = 6;  // PNG, no options
  controller.ItemSelected();
  EXPECT_FALSE(view.buttonEnabled);
  EXPECT_EQ(view.allowed, QStringList{"png"});
}

TEST_F(SaveFileControllerTest, OptionsDialogChangesTheGivenOptionsAndTheStore) {
  Start("tif");
  bool answered = false;
  QTimer answer;
  answer.setInterval(5);
  QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    answer.stop();
    answered = true;
    auto* combo = dialog->findChild<QComboBox*>();
    combo->setCurrentIndex(combo->findText("LZW"));
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  answer.start();
  controller.OptionButtonClicked();
  EXPECT_TRUE(answered);
  EXPECT_EQ(options[Settings::SaveOptions::Tiff::TAG_COMPRESSION_ALGORITHM].GetString(), "lzw");
  EXPECT_EQ(Stored().GetString("FormatSaveSettings/TIFFcompression_algo", ""), "lzw");
}

}  // namespace
