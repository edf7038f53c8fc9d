// The file information dialog: the open picture's file facts and camera data in a two-column
// table, grouped into sections. Three tables decide what is shown: the main rows, the item list
// (which metadata tags, under which label, in which section, through which converters) and the
// dictionaries that turn EXIF codes into words.
#pragma once

#include "Core/Interfaces/Property.h"

#include <QDialog>
#include <QPen>
#include <QString>
#include <QStyledItemDelegate>

#include <boost/shared_ptr.hpp>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

class QTableView;
class QTableWidget;

namespace Ui {
class FileInfo;
}

namespace Zentor {
namespace Glimra {

class FileInfo : public QDialog {
  Q_OBJECT

 public:
  // A section's rows: label and value (UTF-8), in the order they were found.
  using InfoRows = std::vector<std::pair<QString, std::string>>;
  // Section number to its rows; sections are laid out in ascending number.
  using InfoDataType = std::map<int, InfoRows>;
  using FoundTagsType = std::set<std::string>;
  // The display name of a picture's decoder from its codec id and file extension (UTF-8); empty
  // when unknown. Null shows every format as unknown.
  using DecoderNameFunction = std::function<std::string(const std::string& codecId, const std::string& extension)>;

  struct ItemLoc {
    class ValueConverterBase {
     public:
      // Rewrites value in place; false means the item has nothing to show.
      virtual bool GetValue(std::string& value) const = 0;
      virtual ~ValueConverterBase() = default;
    };
    using ConverterPtr = boost::shared_ptr<ValueConverterBase>;

    // Appends a suffix (a unit).
    class ValueConverterConcat : public ValueConverterBase {
     public:
      static ConverterPtr Create(const std::string& suffix);
      bool GetValue(std::string& value) const override;

     private:
      explicit ValueConverterConcat(std::string suffix) : suffix(std::move(suffix)) {}
      std::string suffix;
    };

    // Writes a ratio reduced; a whole ratio as its numerator alone.
    class ValueConverterReduce : public ValueConverterBase {
     public:
      static ConverterPtr Create();
      bool GetValue(std::string& value) const override;

     private:
      ValueConverterReduce() = default;
    };

    // Writes a ratio as a decimal number in the language's own form (an f-number 14/5 as 2.8).
    class ValueConverterDecimal : public ValueConverterBase {
     public:
      static ConverterPtr Create();
      bool GetValue(std::string& value) const override;

     private:
      ValueConverterDecimal() = default;
    };

    // Writes a date of EXIF's form ("2026:12:09 15:30:48") in the language's own short form,
    // with the whole year; any other text stays as it is.
    class ValueConverterDate : public ValueConverterBase {
     public:
      static ConverterPtr Create();
      bool GetValue(std::string& value) const override;

     private:
      ValueConverterDate() = default;
    };

    // Replaces a code by its text from a dictionary; a code the dictionary lacks shows nothing.
    class ValueConverterReplace : public ValueConverterBase {
     public:
      static ConverterPtr Create(const std::string& dictionary);
      bool GetValue(std::string& value) const override;
      static void InitDictionary();

      static std::map<std::string, std::map<int, QString>> s_replaceMap;

     private:
      explicit ValueConverterReplace(std::string dictionary) : dictionary(std::move(dictionary)) {}
      std::string dictionary;
    };

    // The displayed value; empty when there is none.
    std::string GetValue(const std::string& value) const;

    int section = 0;
    QString label;
    std::vector<ConverterPtr> converters;
  };

  // Draws the section headers' mark over the spanned row.
  class CustomDelegate : public QStyledItemDelegate {
   public:
    CustomDelegate(QTableView* view, const std::set<int>& sectionRows);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

   private:
    QPen pen;
    std::set<int> sectionRows;
  };

  // Throws std::invalid_argument when info is not a metadata tree.
  FileInfo(const Core::Property& info, const DecoderNameFunction& decoderName, QWidget* parent = nullptr,
           Qt::WindowFlags flags = Qt::WindowFlags());
  ~FileInfo() override;

  // Reads the three groups into data; returns the table rows they need (value rows and one header
  // row per section after the first).
  static int ParseFileInfoProperty(const Core::Property& info, const DecoderNameFunction& decoderName,
                                   InfoDataType& data, std::string& fileName, FoundTagsType& foundTags);
  // The four main rows of section 0; returns the rows of section 0, or 0 without the group.
  static int ParseFileInfoPropertyTagMain(const Core::Property& info, const std::string& group,
                                          const DecoderNameFunction& decoderName, InfoDataType& data,
                                          std::string& fileName);
  // The item-list rows of one group; returns the rows added plus the sections created.
  static int ParseFileInfoPropertyTag(const Core::Property& info, const std::string& group, InfoDataType& data,
                                      FoundTagsType& foundTags);

  static void FillTable(QTableWidget* table, const InfoDataType& data, std::set<int>& sectionRows);
  static void FillTable(QTableWidget* table, int& row, const InfoRows& rows);

  static void InitStrings();
  static void InitItemLocList();

  static QString Location;
  static QString FileSize;
  static QString Dimensions;
  static QString Format;
  static QString FormatUnknown;
  static QString MM;
  static QString S;
  static QString NA;

  static std::map<std::string, ItemLoc> s_itemLocList;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  std::unique_ptr<::Ui::FileInfo> ui;
};

}  // namespace Glimra
}  // namespace Zentor
