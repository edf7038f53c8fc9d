#include "UI/SaveFileDialog.h"

#include "Customization/SettingsName.h"
#include "GlimraCore/Settings.h"
#include "Platform/AppShell/AlertBox.h"
#include "Platform/AppShell/SettingsManager.h"
#include "ui_SaveFileDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include <functional>
#include <utility>

namespace Zentor {
namespace Glimra {

namespace {

// Lets its owner veto the browser's closing: the name is completed and checked there.
class SaveBrowser : public QFileDialog {
 public:
  SaveBrowser(QWidget* parent, std::function<bool(int)> finishing)
      : QFileDialog(parent), finishing(std::move(finishing)) {
    // A dialog made with Qt::Widget still becomes a window; only setting the flags embeds it.
    setWindowFlags(Qt::Widget);
  }

  void done(int result) override {
    if (finishing(result)) QFileDialog::done(result);
  }

 private:
  std::function<bool(int)> finishing;
};

QString StartFolder(const QString& currentFolder) {
  const std::string stored = App::AppSettings().GetString(Settings::Name(Settings::SAVE, Settings::PATH),
                                                          currentFolder.toUtf8().toStdString());
  const QString folder = QString::fromUtf8(stored.data(), int(stored.size()));
  // A folder removed since it was stored would leave an empty browser that saves nowhere.
  return QDir::toNativeSeparators(QDir(folder).exists() ? folder : currentFolder);
}

}  // namespace

SaveFileDialog::SaveFileDialog(const QString& caption, const QString& label, const QString& button,
                               const QString& currentFile, Core::Property& options, QWidget* parent)
    : QDialog(parent), ui(new Ui_SaveFileDialog), controller(*this, options) {
  ui->setupUi(this);
  browser = new SaveBrowser(this, [this](int result) { return BrowserFinishing(result); });
  browser->setOption(QFileDialog::DontUseNativeDialog);
  // Asked once the name has its extension; Qt would ask about the name as typed.
  browser->setOption(QFileDialog::DontConfirmOverwrite);
  browser->setAcceptMode(QFileDialog::AcceptSave);
  browser->setFileMode(QFileDialog::AnyFile);
  browser->setSizeGripEnabled(false);
  // The row below chooses the type; the browser's own would be a second, unconnected one.
  for (const char* name : {"fileTypeCombo", "fileTypeLabel"}) {
    if (QWidget* own = browser->findChild<QWidget*>(QLatin1String(name))) own->hide();
  }
  ui->panelLayout->insertWidget(0, browser, 1);
  // Setting the flags hid it.
  browser->show();
  FitFileListColumns();

  controller.OnViewLoaded();
  const QFileInfo current(currentFile);
  controller.SetLabel(label, current.suffix().toUtf8().toStdString(), button);
  setWindowTitle(caption);
  browser->setDirectory(StartFolder(current.absolutePath()));
  browser->selectFile(current.completeBaseName());

  connect(ui->fileTypesComboBox, &QComboBox::activated, this, [this] { controller.ItemSelected(); });
  connect(ui->optionButton, &QPushButton::clicked, this, [this] { controller.OptionButtonClicked(); });
  connect(browser, &QFileDialog::finished, this, &QDialog::done);
}

SaveFileDialog::~SaveFileDialog() = default;

// The browser's columns keep fixed widths that clip their headers and values (sizes, types and
// dates, longer in other languages); each folder's listing widens them to what they show. The
// name column keeps the room the browser gives it.
void SaveFileDialog::FitFileListColumns() {
  auto* list = browser->findChild<QTreeView*>(QStringLiteral("treeView"));
  auto* model = browser->findChild<QFileSystemModel*>();
  if (!list || !model) return;
  const auto fit = [list] {
    for (int column = 1; column < list->header()->count(); ++column) list->resizeColumnToContents(column);
  };
  connect(model, &QFileSystemModel::directoryLoaded, list, fit);
  fit();
}

bool SaveFileDialog::BrowserFinishing(int result) {
  chosenPath.clear();
  if (result != Accepted) return true;
  const QStringList typed = browser->selectedFiles();
  if (typed.isEmpty()) return false;
  const QString path = controller.WithChosenExtension(typed.first());
  const QFileInfo target(path);
  if (target.isDir()) {
    browser->setDirectory(path);
    return false;
  }
  if (target.exists()) {
    App::AlertBox question(App::AlertBox::LEVEL_DEFAULT, windowTitle(),
                           tr("%1 already exists.\nDo you want to replace it?").arg(target.fileName()),
                           QMessageBox::Yes | QMessageBox::No, this);
    question.setDefaultButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes) return false;
  }
  chosenPath = path;
  return true;
}

void SaveFileDialog::SetLabelText(const QString& text) { ui->fileTypesLabel->setText(text); }

void SaveFileDialog::SetButtonTitle(const QString& title) { ui->optionButton->setText(title); }

void SaveFileDialog::SetButtonEnabled(bool enabled) { ui->optionButton->setEnabled(enabled); }

void SaveFileDialog::RemoveAllItems() { ui->fileTypesComboBox->clear(); }

void SaveFileDialog::AddItems(const QStringList& titles) { ui->fileTypesComboBox->addItems(titles); }

void SaveFileDialog::SelectItem(int index) { ui->fileTypesComboBox->setCurrentIndex(index); }

int SaveFileDialog::SelectedIndex() const { return ui->fileTypesComboBox->currentIndex(); }

void SaveFileDialog::SetAllowedFileTypes(const QStringList& extensions) {
  QStringList patterns;
  for (const QString& extension : extensions) patterns << QLatin1String("*.") + extension;
  // Blanks between the patterns: QFileDialog reads nothing from a list joined with ";".
  browser->setNameFilter(patterns.join(QLatin1Char(' ')));
}

}  // namespace Glimra
}  // namespace Zentor
