#include "Customization/CustomizationGlimra.h"

#include <QFileInfo>
#include <QString>

#include <glog/logging.h>

namespace Zentor {
namespace Glimra {
namespace {

const char* const APP_TITLE = "APP_TITLE";

std::string ExecutableName(int argc, char** argv) {
  if (argc < 1 || !argv || !argv[0]) return {};
  return QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toStdString();
}

}  // namespace

CustomizationGlimra::CustomizationGlimra(int argc, char** argv)
    : CustomizationManager(App::GetPathToResources(), ExecutableName(argc, argv)) {}

std::string CustomizationGlimra::GetApplicationTitle() const {
  std::string title;
  if (!GetValueWithLocale(APP_TITLE, title)) LOG(WARNING) << "Cannont find param with name: " << APP_TITLE;
  if (title.empty()) title = GetOrganizationName() + " " + GetProductName(true);
  if (BuildIsSE()) title += GetValueWithDefault("SE_SUFFIX", "");
  return title;
}

QPixmap CustomizationGlimra::GetApplicationIcon() const { return CustomizationManager::GetApplicationIcon(); }

std::string CustomizationGlimra::GetCustomSettingsFileName() const { return "ZentorGlimraCustom.ini"; }

}  // namespace Glimra
}  // namespace Zentor
