#include "support/ProgramTestSupport.h"

#include "FifoWatchdog.h"

#include "Platform/AppShell/CustomizationManager.h"
#include "Platform/AppShell/LinksManager.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/stat.h>

#include <cstdlib>

// Resources of a static library must be registered from outside any namespace.
static void RegisterProgramResources() { Q_INIT_RESOURCE(glimra); }

namespace {

using Zentor::App::CustomizationManager;
using Zentor::App::GetPathToResources;
using Zentor::App::ILinksManager;

// Points the resources lookup at a folder of the test's own for the test's lifetime.
class ResourcesOverride {
 public:
  explicit ResourcesOverride(const QString& folder) { setenv("GLIMRA_RESOURCES_DIR", folder.toLocal8Bit(), 1); }
  ~ResourcesOverride() { unsetenv("GLIMRA_RESOURCES_DIR"); }
};

TEST(CustomizationTest, InstalledFileGivesTheProgramsNames) {
  CustomizationManager customization(GetPathToResources(), "glimra");
  customization.InitSettings();
  EXPECT_EQ(customization.GetOrganizationName(), "Zentor");
  EXPECT_EQ(customization.GetAppSettingsName(), "Glimra");
  EXPECT_EQ(customization.GetProductSettingsPath(), "");
  EXPECT_FALSE(customization.BuildIsSE());
  EXPECT_EQ(customization.GetValueWithDefault("SE_SUFFIX", ""), " SE");
  std::string tracker = "unset";
  EXPECT_TRUE(customization.GetValue(CustomizationManager::TRACKER_INITIALIZATION_STRING, tracker));
  EXPECT_EQ(tracker, "");

  RegisterProgramResources();
  EXPECT_FALSE(customization.GetApplicationIcon().isNull());
  for (const char* cursor : {"brush", "polygon", "lasso", "wand", "eraser", "clone", "crop"})
    EXPECT_EQ(QPixmap(QStringLiteral(":/Glimra/cursors/%1.png").arg(QLatin1String(cursor))).size(), QSize(32, 32))
        << cursor;
  EXPECT_FALSE(QPixmap(QStringLiteral(":/Glimra/images/drop.png")).isNull());
}

TEST(CustomizationTest, EnvironmentOverrideAndLocalisedValues) {
  QTemporaryDir folder;
  QFile ini(folder.filePath(QStringLiteral("ZentorGlimraCustom.ini")));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[General]\nAPP_TITLE=Retouch\nTRACKER_INIT=\"uid=1,kind=2#\"\nVERSION_MAJOR=3\nVERSION_MINOR=x\n"
            "[de]\nAPP_TITLE=Retusche\n");
  ini.close();
  ResourcesOverride override(folder.path());
  ASSERT_EQ(GetPathToResources(), folder.path().toStdString());

  CustomizationManager customization(GetPathToResources(), "glimra");
  std::string value;
  EXPECT_FALSE(customization.GetValue("APP_TITLE", value)) << "nothing is read before InitSettings";
  customization.InitSettings();
  EXPECT_EQ(customization.GetApplicationTitle(), "Retouch");
  customization.SetCurrentLocale("de");
  EXPECT_EQ(customization.GetApplicationTitle(), "Retusche");
  customization.SetCurrentLocale("fr");
  EXPECT_EQ(customization.GetApplicationTitle(), "Retouch");
  EXPECT_EQ(customization.GetValueWithDefault(CustomizationManager::TRACKER_INITIALIZATION_STRING, ""), "uid=1,kind=2#");
  EXPECT_EQ(customization.GetValueWithDefault("MISSING", "fallback"), "fallback");
  EXPECT_EQ(customization.GetProductVersionMajor(), 3);
  EXPECT_EQ(customization.GetProductVersionMinor(), 0);
  EXPECT_TRUE(customization.GetApplicationIcon().isNull());
}

TEST(CustomizationTest, TitleFallsBackToOrganisationAndProduct) {
  QTemporaryDir folder;
  QFile ini(folder.filePath(QStringLiteral("ZentorGlimraCustom.ini")));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("ORGANIZATION_NAME=Org\nPRODUCT_NAME=Short\nPRODUCT_NAME_FULL=Long Name\nAPP_TITLE=\n");
  ini.close();
  CustomizationManager customization(folder.path().toStdString(), "glimra");
  customization.InitSettings();
  EXPECT_EQ(customization.GetApplicationTitle(), "Org Long Name");
  EXPECT_EQ(customization.GetProductName(false), "Short");
}

TEST(CustomizationTest, NamesOfFoldersAndFilesAreOnlyPlainNames) {
  QTemporaryDir folder;
  QFile ini(folder.filePath(QStringLiteral("ZentorGlimraCustom.ini")));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("ORGANIZATION_NAME=..\nAPP_SETTINGS_NAME=/tmp/elsewhere\nPRODUCT_SETTINGS_PATH=../../outside\n");
  ini.close();
  CustomizationManager customization(folder.path().toStdString(), "glimra");
  customization.InitSettings();
  TestSupport::LogCapture log(google::GLOG_WARNING);
  EXPECT_EQ(customization.GetOrganizationName(), "Zentor");
  EXPECT_EQ(customization.GetAppSettingsName(), "Glimra");
  EXPECT_EQ(customization.GetProductSettingsPath(), "");
  EXPECT_EQ(log.Texts(google::GLOG_WARNING).size(), 3u);

  ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ini.write("ORGANIZATION_NAME=Acme\nAPP_SETTINGS_NAME=Retouch.Pro\nPRODUCT_SETTINGS_PATH=Retouch Pro\n");
  ini.close();
  customization.InitSettings();
  EXPECT_EQ(customization.GetOrganizationName(), "Acme");
  EXPECT_EQ(customization.GetAppSettingsName(), "Retouch.Pro");
  EXPECT_EQ(customization.GetProductSettingsPath(), "Retouch Pro");
  EXPECT_EQ(log.Texts(google::GLOG_WARNING).size(), 3u);
}

TEST(CustomizationTest, AnIconThatIsNotARegularFileIsNoIconAndNeverBlocks) {
  QTemporaryDir folder;
  const QString fifo = folder.filePath(QStringLiteral("icon.png"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  QFile ini(folder.filePath(QStringLiteral("ZentorGlimraCustom.ini")));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("APP_ICON=" + fifo.toUtf8() + "\n");
  ini.close();
  CustomizationManager customization(folder.path().toStdString(), "glimra");
  customization.InitSettings();
  FifoWatchdog watchdog(fifo);
  EXPECT_TRUE(customization.GetApplicationIcon().isNull());
  EXPECT_FALSE(watchdog.Stop()) << "reading the icon waited on the FIFO";
}

TEST(LinksTest, EveryLinkPointsIntoTheInstalledHelpPage) {
  Zentor::App::LinksManager links;
  for (int id : {ILinksManager::URL_FAQ, ILinksManager::URL_CONTACT_SUPPORT, ILinksManager::URL_MORE_LANGUAGES,
                 ILinksManager::URL_HELP, ILinksManager::URL_HOMEPAGE, ILinksManager::URL_ZENTOR_FORUM}) {
    const QUrl url(QString::fromStdString(links.GetUrl(id, ILinksManager::URL_SRC_MENU)));
    ASSERT_TRUE(url.isLocalFile()) << id;
    EXPECT_TRUE(QFileInfo::exists(url.toLocalFile())) << url.toString().toStdString();
    QFile page(url.toLocalFile());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(page.readAll().contains("id=\"" + url.fragment().toUtf8() + "\"")) << url.fragment().toStdString();
  }
  EXPECT_EQ(links.GetUrl(99, ILinksManager::URL_SRC_MENU), "");
}

}  // namespace
