// A fresh folder for one test, removed with its content afterwards.
#pragma once

#include <boost/filesystem.hpp>

#include <string>

class TempFolder {
 public:
  TempFolder() : path_(boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("pipeline-%%%%-%%%%-%%%%")) {
    boost::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    boost::system::error_code ignored;
    boost::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const boost::filesystem::path& Path() const { return path_; }
  size_t Count() const {
    return std::distance(boost::filesystem::directory_iterator(path_), boost::filesystem::directory_iterator());
  }

 private:
  boost::filesystem::path path_;
};
