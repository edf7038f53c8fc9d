#include "support/ProgramTestSupport.h"

#include "FifoWatchdog.h"
#include "Platform/AppShell/SettingsManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

using Zentor::App::SettingsManager;
using TestSupport::LogCapture;

// The file a SettingsManager of `name` in the organisation "Zentor" keeps.
QString SettingsFile(const QString& name) {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Zentor";
  QDir().mkpath(folder);
  return folder + "/" + name + ".ini";
}

void WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(text);
}

bool IsFifo(const QString& path) {
  struct stat info;
  return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
}

// A SettingsManager of `name`; `blocked` tells whether it had to be let go of the FIFO.
std::unique_ptr<SettingsManager> MakeWithin(const std::string& name, const QString& fifo, bool& blocked) {
  FifoWatchdog watchdog(fifo);
  auto made = std::make_unique<SettingsManager>(name, "Zentor");
  blocked = watchdog.Stop();
  return made;
}

TEST(SettingsManagerTest, EveryTypeRoundTripsAcrossInstances) {
  {
    SettingsManager writer("RoundTrip", "Zentor");
    writer.SetString("a/string", "Grüße");
    writer.SetBool("a/false", false);
    writer.SetInt64("a/big", int64_t(1) << 40);
    writer.SetDouble("a/double", 0.1);
    writer.SetBytes("a/bytes", {0, 255, 7});
    // A batch keeps every one of its keys and what another copy wrote meanwhile.
    SettingsManager other("RoundTrip", "Zentor");
    other.SetString("b/other", "kept");
    writer.SetStrings({{"b/one", "1"}, {"b/two", "Zwei"}, {"a/string", "Grüße"}});
  }
  SettingsManager reader("RoundTrip", "Zentor");
  EXPECT_EQ(reader.GetString("b/one", ""), "1");
  EXPECT_EQ(reader.GetString("b/two", ""), "Zwei");
  EXPECT_EQ(reader.GetString("b/other", ""), "kept");
  EXPECT_EQ(reader.GetString("a/string", ""), "Grüße");
  EXPECT_FALSE(reader.GetBool("a/false", true));
  EXPECT_EQ(reader.GetInt64("a/big", 0), int64_t(1) << 40);
  EXPECT_DOUBLE_EQ(reader.GetDouble("a/double", 0), 0.1);
  EXPECT_EQ(reader.GetBytes("a/bytes", {}), (std::vector<uint8_t>{0, 255, 7}));
  EXPECT_EQ(reader.GetString("missing", "fallback"), "fallback");
  EXPECT_EQ(reader.GetString("a/big", ""), "1099511627776");
  EXPECT_TRUE(reader.GetBool("missing", true));
  EXPECT_EQ(reader.GetInt64("missing", -3), -3);
}

TEST(SettingsManagerTest, ValuesOfTheWrongTypeReadAsTheDefaultWithAWarning) {
  WriteText(SettingsFile("WrongTypes"),
            "[General]\nbool=maybe\nint=12abc\nhuge=99999999999999999999\ndouble=nan\nbytes=plain text\n"
            "list=a, b\ngoodInt=-7\ngoodBool=false\ngoodBytes=@ByteArray(xyz)\n");
  const SettingsManager store("WrongTypes", "Zentor");
  LogCapture log(google::GLOG_WARNING);
  EXPECT_TRUE(store.GetBool("bool", true));
  EXPECT_FALSE(store.GetBool("bool", false));
  EXPECT_EQ(store.GetInt64("int", 5), 5);
  EXPECT_EQ(store.GetInt64("huge", 5), 5);
  EXPECT_DOUBLE_EQ(store.GetDouble("double", 1.5), 1.5);
  EXPECT_TRUE(store.GetBytes("bytes", {}).empty());
  EXPECT_EQ(store.GetString("list", "fallback"), "fallback");
  EXPECT_EQ(log.Texts(google::GLOG_WARNING).size(), 7u);
  EXPECT_EQ(store.GetInt64("goodInt", 0), -7);
  EXPECT_FALSE(store.GetBool("goodBool", true));
  EXPECT_EQ(store.GetBytes("goodBytes", {}), (std::vector<uint8_t>{'x', 'y', 'z'}));
  EXPECT_EQ(log.Texts(google::GLOG_WARNING).size(), 7u);
}

TEST(SettingsManagerTest, AFifoInPlaceOfTheFileReadsAsNoSettingsAndIsNeverWritten) {
  const QString path = SettingsFile("Fifo");
  QFile::remove(path);
  ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
  bool blocked = false;
  LogCapture log(google::GLOG_WARNING);
  const std::unique_ptr<SettingsManager> store = MakeWithin("Fifo", path, blocked);
  EXPECT_FALSE(blocked) << "reading the settings waited on the FIFO";
  EXPECT_EQ(store->GetString("key", "default"), "default");
  store->SetString("key", "kept in memory");
  EXPECT_EQ(store->GetString("key", ""), "kept in memory");
  EXPECT_TRUE(IsFifo(path));
  EXPECT_FALSE(log.Texts(google::GLOG_WARNING).empty());
  QFile::remove(path);
}

TEST(SettingsManagerTest, WritesGoToTheRegularFileBehindALinkAndNeverReplaceAnythingElse) {
  QTemporaryDir elsewhere;
  const QString path = SettingsFile("Linked");
  const QString target = elsewhere.filePath("real.ini");
  WriteText(target, "[General]\nother=kept\n");
  QFile::remove(path);
  ASSERT_TRUE(QFile::link(target, path));
  SettingsManager("Linked", "Zentor").SetString("key", "value");
  EXPECT_TRUE(QFileInfo(path).isSymLink());
  EXPECT_EQ(SettingsManager("Linked", "Zentor").GetString("key", ""), "value");
  EXPECT_EQ(SettingsManager("Linked", "Zentor").GetString("other", ""), "kept");
  EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file is left";

  // A link to a FIFO: the FIFO stays, the write is refused with a warning, the run goes on.
  const QString fifo = elsewhere.filePath("fifo");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  QFile::remove(path);
  ASSERT_TRUE(QFile::link(fifo, path));
  bool blocked = false;
  const std::unique_ptr<SettingsManager> store = MakeWithin("Linked", fifo, blocked);
  EXPECT_FALSE(blocked);
  LogCapture log(google::GLOG_WARNING);
  store->SetInt64("number", 3);
  EXPECT_EQ(store->GetInt64("number", 0), 3);
  EXPECT_TRUE(IsFifo(fifo));
  EXPECT_TRUE(QFileInfo(path).isSymLink());
  EXPECT_FALSE(log.Texts(google::GLOG_WARNING).empty());
  QFile::remove(path);
}

TEST(AlertBoxTest, HookAnswersWithoutBlocking) {
  TestSupport::Alerts().clear();
  EXPECT_EQ(Zentor::App::AlertBox::exec(0, "Title", "Text", QMessageBox::Ok), int(QMessageBox::Cancel));
  ASSERT_EQ(TestSupport::Alerts().size(), 1u);
  EXPECT_EQ(TestSupport::Alerts()[0].text, "Text");
}

}  // namespace
