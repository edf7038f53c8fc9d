// The save panel's file-type logic over a recording view.
#include "UI/ISaveFileView.h"
#include "UI/SaveFileController.h"

#include <gtest/gtest.h>

using Zentor::Glimra::SaveFileController;

namespace {

struct RecordingView : Zentor::Glimra::ISaveFileView {
  void SetLabelText(const QString&) override {}
  void SetButtonTitle(const QString&) override {}
  void SetButtonEnabled(bool enabled) override { options = enabled; }
  void RemoveAllItems() override { items.clear(); }
  void AddItems(const QStringList& titles) override { items << titles; }
  void SelectItem(int index) override { selected = index; }
  int SelectedIndex() const override { return selected; }
  void SetAllowedFileTypes(const QStringList& extensions) override { allowed = extensions; }

  bool options = false;
  QStringList items;
  int selected = -1;
  QStringList allowed;
};

TEST(SaveFileController, StartsOnTheCurrentFilesType) {
  struct Case {
    std::string suffix;
    int index;
    QString extension;
    bool options;
  };
  for (const Case& c : {Case{"PNG", 6, "png", false}, Case{"tif", 9, "tiff", true}, Case{"gif", 2, "jpg", true},
                        Case{"", 2, "jpg", true}}) {
    SCOPED_TRACE(c.suffix);
    RecordingView view;
    Zentor::Core::Property options;
    SaveFileController controller(view, options);
    EXPECT_EQ(controller.CurrentExtension(), "");
    controller.OnViewLoaded();
    controller.SetLabel("File Types:", c.suffix, "Options");
    ASSERT_EQ(view.items.size(), 11);
    EXPECT_EQ(view.items[2], "Image JPEG (*.jpg;*.jpeg;*.jpe;*.jfif;*.jif)");
    EXPECT_EQ(view.selected, c.index);
    EXPECT_EQ(view.allowed.value(0), c.extension);
    EXPECT_EQ(controller.CurrentExtension(), "." + c.extension);
    EXPECT_EQ(view.options, c.options);
  }
}

TEST(SaveFileController, NamesGetTheChosenTypesExtension) {
  RecordingView view;
  Zentor::Core::Property options;
  SaveFileController controller(view, options);
  controller.OnViewLoaded();
  controller.SetLabel("File Types:", "gif", "Options");
  EXPECT_EQ(controller.WithChosenExtension("/d/x").toStdString(), "/d/x.jpg");
  EXPECT_EQ(controller.WithChosenExtension("/d/x.").toStdString(), "/d/x.jpg");
  EXPECT_EQ(controller.WithChosenExtension("/d/x.JPEG").toStdString(), "/d/x.JPEG");
  EXPECT_EQ(controller.WithChosenExtension("/d/x.png").toStdString(), "/d/x.png.jpg");

  view.selected = 6;  // the user picks PNG
  controller.ItemSelected();
  EXPECT_FALSE(view.options);
  EXPECT_EQ(view.allowed, QStringList{"png"});
  EXPECT_EQ(controller.WithChosenExtension("/d/x.jpg").toStdString(), "/d/x.jpg.png");
}

}  // namespace
