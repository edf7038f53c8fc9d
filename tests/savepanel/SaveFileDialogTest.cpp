// The save panel's real widgets: where it opens, the name it returns, the replace question and
// its modal run.
#include "support/ProgramTestSupport.h"

#include "Platform/AppShell/SettingsManager.h"
#include "UI/SaveFileDialog.h"
#include "UI/SaveFilePanel.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using Zentor::Glimra::SaveFileDialog;

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

class SaveFileDialogTest : public testing::Test {
 protected:
  void SetUp() override { Zentor::App::AppSettings().Remove("SavePath"); }
  void TearDown() override { TestSupport::AnswerAlerts(nullptr); }

  QString Path(const QString& name) const { return QDir(folder.path()).filePath(name); }
  static QFileDialog& Browser(QDialog& dialog) { return *dialog.findChild<QFileDialog*>(); }
  // Typed as a user would: selectFile leaves a focused name field alone.
  static void Accept(QDialog& dialog, const QString& name) {
    Browser(dialog).findChild<QLineEdit*>("fileNameEdit")->setText(name);
    static_cast<QDialog&>(Browser(dialog)).accept();  // protected in QFileDialog
  }

  QTemporaryDir folder;
  Zentor::Core::Property options;
};

TEST_F(SaveFileDialogTest, OpensOnTheCurrentFileAndReturnsTheNameWithItsExtension) {
  SaveFileDialog dialog("Save File", "File Types:", "Options", Path("anim.gif"), options);
  EXPECT_FALSE(Browser(dialog).isWindow());
  EXPECT_EQ(Browser(dialog).directory().absolutePath(), folder.path());
  EXPECT_EQ(Browser(dialog).selectedFiles().value(0), Path("anim"));
  EXPECT_EQ(dialog.findChild<QComboBox*>("fileTypesComboBox")->currentIndex(), 2);
  Accept(dialog, "x");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.ChosenPath(), Path("x.jpg"));

  // A stored folder wins while it exists.
  QTemporaryDir stored;
  Zentor::App::AppSettings().SetString("SavePath", stored.path().toStdString());
  SaveFileDialog inStored("Save File", "File Types:", "Options", Path("holiday.PNG"), options);
  EXPECT_EQ(Browser(inStored).directory().absolutePath(), stored.path());
  Zentor::App::AppSettings().SetString("SavePath", Path("gone").toStdString());
  SaveFileDialog fallback("Save File", "File Types:", "Options", Path("holiday.PNG"), options);
  EXPECT_EQ(Browser(fallback).directory().absolutePath(), folder.path());
}

TEST_F(SaveFileDialogTest, TheFileListShowsItsHeadersAndValuesWhole) {
  QFile photo(Path("photo.jpg"));
  ASSERT_TRUE(photo.open(QIODevice::WriteOnly));
  photo.write(QByteArray(120000, 'x'));
  photo.close();
  ASSERT_TRUE(QDir(folder.path()).mkdir("a folder"));
  SaveFileDialog dialog("Save File", "File Types:", "Options", Path("photo.jpg"), options);
  dialog.show();
  auto* list = Browser(dialog).findChild<QTreeView*>("treeView");
  ASSERT_TRUE(list);
  ASSERT_TRUE(QTest::qWaitFor([list] { return list->model()->rowCount(list->rootIndex()) == 2; }));
  TestSupport::Drain();
  const QHeaderView* header = list->header();
  for (int column = 0; column < header->count(); ++column) {
    if (header->isSectionHidden(column)) continue;
    EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
    // The name column keeps the room the browser gives it; the others fit their values.
    const QAbstractItemView* view = list;  // the tree view's own override is protected
    if (column > 0) EXPECT_GE(header->sectionSize(column), view->sizeHintForColumn(column)) << column;
  }
}

TEST_F(SaveFileDialogTest, ReplaceQuestionNamesTheFileThatWouldBeWritten) {
  QFile existing(Path("x.jpg"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();
  SaveFileDialog dialog("Save File", "File Types:", "Options", Path("photo.jpg"), options);
  TestSupport::Alerts().clear();
  TestSupport::AnswerAlerts([](Zentor::App::AlertBox&) { return int(QMessageBox::No); });
  Accept(dialog, "x");
  ASSERT_EQ(TestSupport::Alerts().size(), 1u);
  EXPECT_TRUE(TestSupport::Alerts()[0].text.contains("x.jpg"));
  EXPECT_NE(dialog.result(), QDialog::Accepted);

  TestSupport::AnswerAlerts([](Zentor::App::AlertBox&) { return int(QMessageBox::Yes); });
  Accept(dialog, "x");
  EXPECT_EQ(dialog.ChosenPath(), Path("x.jpg"));
}

TEST_F(SaveFileDialogTest, PanelRunsModallyAndCancelGivesNothing) {
  bool accept = true;
  QTimer answer;
  answer.setInterval(5);
  QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
    auto* dialog = qobject_cast<SaveFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    answer.stop();
    accept ? Accept(*dialog, "x") : Browser(*dialog).reject();
  });
  Zentor::Glimra::SaveFilePanel panel;
  answer.start();
  EXPECT_EQ(panel.Browse("Save File", "File Types:", "Options", Path("anim.gif"), options, nullptr), Path("x.jpg"));
  accept = false;
  answer.start();
  EXPECT_EQ(panel.Browse("Save File", "File Types:", "Options", Path("anim.gif"), options, nullptr), "");
}

}  // namespace
