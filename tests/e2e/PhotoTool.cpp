// Pictures for the end-to-end journeys, and what the journeys read back from pictures on disk.
//   make <path> <width> <height> [r]   a textured photo with a red disc at the centre and a blue
//                                      square in the top left quarter; camera EXIF in a JPEG
//   size <path>                        "<width> <height>"
//   mean <path> <x> <y> <w> <h>        the region's mean "r g b"
//   diff <a> <b>                       the mean channel difference of two same-sized pictures
//   exif <path>                        Make, Model, DateTimeOriginal and Orientation, one a line
#include "Platform/Formats/IFormatCodec.h"
#include "Platform/ImageTags/ImageMetadata.h"

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <string>

using Zentor::Conf::IFormatFile;
using Zentor::Core::Property;
using Zentor::Proc::IImageMetadata;
using Zentor::Proc::ImageMetadata;

namespace {

// The object sits at the centre; its radius is a tenth of the shorter side unless given.
int Make(const std::string& path, int width, int height, int radius) {
  QImage image(width, height, QImage::Format_RGB32);
  // A fine green texture: uniform enough that a fill matches it, busy enough to be a real photo.
  for (int y = 0; y < height; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const int wave = int(12 * std::sin(x * 0.7) + 12 * std::cos(y * 0.9));
      line[x] = qRgb(60 + wave / 2, 150 + wave, 70 + wave / 2);
    }
  }
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(220, 30, 40));
  if (radius <= 0) radius = std::min(width, height) / 10;
  painter.drawEllipse(QPoint(width / 2, height / 2), radius, radius);
  // A blue square in the top left quarter shows the picture's orientation.
  painter.setBrush(QColor(30, 40, 220));
  painter.drawRect(width / 5 - radius / 2, height / 5 - radius / 2, radius, radius);
  painter.end();
  if (!image.save(QString::fromStdString(path), nullptr, 95)) return 1;

  const QString lower = QString::fromStdString(path).toLower();
  if (!lower.endsWith(".jpg") && !lower.endsWith(".jpeg")) return 0;
  Property settings(IImageMetadata::SAVE_SETTINGS);
  settings.SetChildT(IFormatFile::TAG_FILENAME, path);
  Property& replace = settings.SetChild(IImageMetadata::REPLACE_SETTINGS);
  replace.SetChildT("Exif.Image.Make", std::string("Glimra Camera"));
  replace.SetChildT("Exif.Image.Model", std::string("Model E2E"));
  replace.SetChildT("Exif.Photo.DateTimeOriginal", std::string("2025:06:07 08:09:10"));
  replace.SetChildT("Exif.Image.Orientation", std::string("1"));
  ImageMetadata::Create(path, nullptr)->Write(settings, nullptr);
  return 0;
}

QImage Load(const char* path) {
  QImageReader reader(QString::fromLocal8Bit(path));
  reader.setAutoTransform(false);
  reader.setAllocationLimit(0);
  return reader.read().convertToFormat(QImage::Format_RGB32);
}

int Mean(const QImage& image, int x0, int y0, int w, int h) {
  double sum[3] = {0, 0, 0};
  long count = 0;
  for (int y = std::max(0, y0); y < std::min(image.height(), y0 + h); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = std::max(0, x0); x < std::min(image.width(), x0 + w); ++x) {
      sum[0] += qRed(line[x]);
      sum[1] += qGreen(line[x]);
      sum[2] += qBlue(line[x]);
      ++count;
    }
  }
  if (!count) return 1;
  std::cout << sum[0] / count << ' ' << sum[1] / count << ' ' << sum[2] / count << '\n';
  return 0;
}

int Diff(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return 1;
  double sum = 0;
  for (int y = 0; y < a.height(); ++y) {
    const QRgb* la = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const QRgb* lb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x) {
      sum += std::abs(qRed(la[x]) - qRed(lb[x])) + std::abs(qGreen(la[x]) - qGreen(lb[x])) +
             std::abs(qBlue(la[x]) - qBlue(lb[x]));
    }
  }
  std::cout << sum / (3.0 * a.width() * a.height()) << '\n';
  return 0;
}

int Exif(const std::string& path) {
  const auto metadata = ImageMetadata::Create(path, nullptr);
  for (const auto& [group, tag] : {std::pair{"Image", "Make"}, std::pair{"Image", "Model"},
                                   std::pair{"Photo", "DateTimeOriginal"}, std::pair{"Image", "Orientation"}}) {
    std::string text;
    Zentor::Core::GetValue(text, metadata->GetTag("Exif", group, tag), IImageMetadata::TEXT_VALUE);
    std::cout << tag << '=' << text << '\n';
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const std::string command = argc > 1 ? argv[1] : "";
  try {
    if (command == "make" && (argc == 5 || argc == 6)) {
      return Make(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argc == 6 ? std::atoi(argv[5]) : 0);
    }
    if (command == "exif" && argc == 3) return Exif(argv[2]);
    if (command == "size" && argc == 3) {
      const QImage image = Load(argv[2]);
      if (image.isNull()) return 1;
      std::cout << image.width() << ' ' << image.height() << '\n';
      return 0;
    }
    if (command == "mean" && argc == 7) {
      return Mean(Load(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]));
    }
    if (command == "diff" && argc == 4) return Diff(Load(argv[2]), Load(argv[3]));
  } catch (const std::exception& failure) {
    std::cerr << failure.what() << '\n';
    return 1;
  }
  std::cerr << "usage: e2e_photo make|size|mean|diff|exif ...\n";
  return 2;
}
