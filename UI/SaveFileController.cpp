#include "UI/SaveFileController.h"

#include "Customization/ExtensionFormatHelper.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace Zentor {
namespace Glimra {

SaveFileController::SaveFileController(ISaveFileView& view, Core::Property& settings)
    : view(view), settings(settings) {}

void SaveFileController::OnViewLoaded() {
  view.RemoveAllItems();
  // Entries read "Image JPEG (*.jpg;*.jpeg)$*.jpg;*.jpeg": the title, then the patterns again.
  const QString filter = ExtensionFormatHelper::GetExtFilterForSaveDialog("#", ";", true, "$");
  QStringList titles;
  QStringList firstExtensions;
  std::vector<QStringList> allExtensions;
  for (const QString& entry : filter.split(QLatin1Char('#'))) {
    const int tail = entry.indexOf(QLatin1Char('$'));
    if (tail < 0) continue;
    const QString rest = entry.mid(tail);
    const int end = rest.indexOf(QLatin1Char(';'), 2);
    titles << entry.left(tail);
    firstExtensions << (end < 0 ? rest.mid(2) : rest.mid(2, end - 2));
    QStringList own;
    for (const QString& pattern : rest.mid(1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      own << pattern.mid(2);  // after "*."
    }
    allExtensions.push_back(own);
  }
  extensions = firstExtensions;
  entryExtensions = std::move(allExtensions);
  view.AddItems(titles);
}

void SaveFileController::SetLabel(const QString& label, const std::string& extension, const QString& buttonTitle) {
  view.SetLabelText(label);
  int index = ExtensionFormatHelper::GetExtNumberInFilterForSaveDialog(extension);
  if (index == -1) {
    index = ExtensionFormatHelper::GetExtNumberInFilterForSaveDialog(ExtensionFormatHelper::DEFAULT_EXTENTION);
  }
  view.SelectItem(index);
  ItemSelected();
  view.SetButtonTitle(buttonTitle);
}

void SaveFileController::ItemSelected() {
  view.SetAllowedFileTypes(ChosenExtensions());
  const std::string codec = ExtensionFormatHelper::GetFormatFromFilterForSaveDialogIndex(view.SelectedIndex());
  view.SetButtonEnabled(ExtensionFormatHelper::CheckFormatForSaveOptions(codec));
}

void SaveFileController::OptionButtonClicked() {
  const std::string codec = ExtensionFormatHelper::GetFormatFromFilterForSaveDialogIndex(view.SelectedIndex());
  ExtensionFormatHelper::OpenFormatForSaveOptions(codec, settings, nullptr);
  QCoreApplication::processEvents();
}

QString SaveFileController::CurrentExtension() const {
  const int index = view.SelectedIndex();
  return index >= 0 && index < extensions.size() ? extensions[index] : QString();
}

QString SaveFileController::WithChosenExtension(const QString& path) const {
  const QStringList own = ChosenExtensions();
  if (own.isEmpty() || own.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive)) return path;
  QString name = path;
  if (name.endsWith(QLatin1Char('.'))) name.chop(1);
  return name + QLatin1Char('.') + own.first();
}

QStringList SaveFileController::ChosenExtensions() const {
  const int index = view.SelectedIndex();
  return index >= 0 && index < int(entryExtensions.size()) ? entryExtensions[size_t(index)] : QStringList();
}

}  // namespace Glimra
}  // namespace Zentor
