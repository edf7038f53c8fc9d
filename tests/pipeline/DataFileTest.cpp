#include "Core/Interfaces/Exception.h"
#include "Platform/FileIo/DataFile.h"
#include "Platform/Pipeline/Blob.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

using namespace Zentor;
using namespace Zentor::Core;

namespace {

std::string DescriptionOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const FileException& e) {
    return GetDescription(e, "<no description>");
  }
  return "<no exception>";
}

}  // namespace

TEST(DataFileTest, AtomicFileReplacesTargetOnlyOnCommit) {
  TempFolder folder;
  const std::string target = folder.File("session.json");
  WriteWholeFileAtomic(target, "old content", 11);
  ::chmod(target.c_str(), 0640);

  {
    DataOutputPtr out = DataOutputFile::Create(target, DataOutputFile::ATOMIC);
    out->Write("new", 3);
    EXPECT_EQ(2u, folder.Count());  // the temporary sits next to the target
  }
  EXPECT_EQ("old content", ReadWholeFile(target));
  EXPECT_EQ(1u, folder.Count());

  DataOutputPtr out = DataOutputFile::Create(target, DataOutputFile::ATOMIC);
  out->Write("new ", 4);
  out->Write("content!", 8);
  EXPECT_EQ("old content", ReadWholeFile(target));
  out->Commit();
  EXPECT_EQ("new content!", ReadWholeFile(target));
  EXPECT_EQ(1u, folder.Count());
  struct stat info {};
  ASSERT_EQ(0, ::stat(target.c_str(), &info));
  EXPECT_EQ(0640u, info.st_mode & 0777);
  EXPECT_THROW(out->Write("x", 1), FileException);
  out.reset();
  EXPECT_EQ("new content!", ReadWholeFile(target));

  // A new target appears only at the commit.
  const std::string fresh = folder.File("fresh");
  DataOutputPtr second = DataOutputFile::Create(fresh, DataOutputFile::ATOMIC);
  second->Write("", 0);
  EXPECT_FALSE(boost::filesystem::exists(fresh));
  second->Commit();
  EXPECT_EQ("", ReadWholeFile(fresh));
}

TEST(DataFileTest, ExclusiveAndTruncateModes) {
  TempFolder folder;
  const std::string path = folder.File("frame");
  DataOutputPtr first = DataOutputFile::Create(path, DataOutputFile::EXCLUSIVE);
  first->Write("abc", 3);
  first.reset();  // closed without Commit: the data stays
  EXPECT_EQ("abc", ReadWholeFile(path));
  const std::string error = DescriptionOf([&] { DataOutputFile::Create(path, DataOutputFile::EXCLUSIVE); });
  EXPECT_NE(std::string::npos, error.find(path)) << error;
  EXPECT_NE(std::string::npos, error.find("File exists")) << error;

  DataOutputPtr truncating = DataOutputFile::Create(path);
  truncating->Write("z", 1);
  truncating.reset();
  EXPECT_EQ("z", ReadWholeFile(path));
}

TEST(DataFileTest, FailuresNameTheFileAndTheCause) {
  TempFolder folder;
  const std::string missing = folder.File("no/such/folder/file");
  std::string error = DescriptionOf([&] { DataOutputFile::Create(missing); });
  EXPECT_NE(std::string::npos, error.find(missing)) << error;
  EXPECT_NE(std::string::npos, error.find("No such file or directory")) << error;
  EXPECT_THROW(DataOutputFile::Create(missing, DataOutputFile::ATOMIC), FileException);
  EXPECT_THROW(WriteWholeFileAtomic(missing, "x", 1), FileException);
  EXPECT_THROW(DataInputFile::Create(missing), FileException);
  EXPECT_THROW(ReadWholeFile(missing), FileException);
  EXPECT_THROW(DataInputFile::Create(folder.Path().string()), FileException);  // a folder
  if (boost::filesystem::exists("/dev/full")) {
    EXPECT_THROW(DataOutputFile::Create("/dev/full")->Write("x", 1), FileException);  // disk full
  }
}

TEST(DataFileTest, ShortReadRaises) {
  TempFolder folder;
  const std::string path = folder.File("short");
  WriteWholeFileAtomic(path, "0123456789", 10);
  DataInputPtr in = DataInputFile::Create(path);
  EXPECT_EQ(10u, in->GetSize());
  char buffer[16] = {};
  in->Read(buffer, 4);
  EXPECT_EQ(0, std::memcmp(buffer, "0123", 4));
  const std::string error = DescriptionOf([&] { in->Read(buffer, 8); });
  EXPECT_NE(std::string::npos, error.find(path)) << error;
  EXPECT_NE(std::string::npos, error.find("end of file")) << error;

  // A large read past the end raises as well.
  std::vector<uint8_t> large(1 << 20);
  DataInputPtr again = DataInputFile::Create(path);
  EXPECT_THROW(again->Read(large.data(), large.size()), FileException);
}

TEST(DataFileTest, MixedReadSizesKeepTheirOrder) {
  TempFolder folder;
  const std::string path = folder.File("data");
  std::vector<uint8_t> content(3 << 20);
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
  {
    DataOutputPtr out = DataOutputFile::Create(path);
    out->Write(content.data(), 5);
    out->Write(content.data() + 5, content.size() - 5);
    out->Commit();
  }
  DataInputPtr in = DataInputFile::Create(path);
  std::vector<uint8_t> back(content.size());
  size_t at = 0;
  for (size_t size : {size_t(3), size_t(300000), size_t(7), size_t(1), size_t(1 << 20), size_t(100), size_t(5000)}) {
    in->Read(back.data() + at, size);
    at += size;
  }
  in->Read(back.data() + at, back.size() - at);
  EXPECT_TRUE(back == content);
  EXPECT_EQ(std::string(content.begin(), content.end()), ReadWholeFile(path));
}

TEST(BlobTest, CreateAndResize) {
  BlobPtr blob = Blob::Create(16);
  ASSERT_EQ(16u, blob->Size());
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(0, blob->Data()[i]);
  blob->Data()[3] = 7;
  blob->Resize(1000);
  EXPECT_EQ(1000u, blob->Size());
  EXPECT_EQ(7, blob->Data()[3]);
  EXPECT_EQ(0, blob->Data()[999]);
  blob->Resize(2);
  EXPECT_EQ(2u, blob->Size());
  EXPECT_EQ(0u, Blob::Create(0)->Size());
  EXPECT_THROW(Blob::Create(SIZE_MAX), MemoryException);
}
