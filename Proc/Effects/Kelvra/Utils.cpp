#include "Proc/Effects/Kelvra/Utils.h"

#include "Core/Interfaces/Exception.h"
#include "Platform/Formats/IFormatCodec.h"

#include <glog/logging.h>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <boost/format.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <limits>
#include <set>
#include <vector>

namespace Zentor {
namespace Proc {
namespace OpenCV {

const Utils::PixFmtToOpenCVMap Utils::s_PixFmtToOpenCVMap = {
    {AV_PIX_FMT_GRAY8, CV_8UC1}, {AV_PIX_FMT_BGR24, CV_8UC3}, {AV_PIX_FMT_RGB24, CV_8UC3},
    {AV_PIX_FMT_BGRA, CV_8UC4},  {AV_PIX_FMT_BGR0, CV_8UC4},
};

const Utils::PixFmtToOpenCVMap& Utils::GetPixFmtToOpenCVMap() { return s_PixFmtToOpenCVMap; }

int Utils::GetPixelFormatOpenCV(AVPixelFormat format) {
  const auto it = s_PixFmtToOpenCVMap.find(format);
  if (it == s_PixFmtToOpenCVMap.end()) {
    ZENTOR_THROW_DESC(EffectException,
                      (boost::format("Colorspace %1% not supported by OpenCV") % Conf::PixelFormatToTextID(format)).str());
  }
  return it->second;
}

cv::Mat Utils::GetMat(const DataVideoPtr& frame) {
  if (!frame) return cv::Mat();
  const int type = GetPixelFormatOpenCV(frame->GetPixelFormat());
  Picture& picture = frame->GetPicture();
  if (!picture.data[0] || frame->GetWidth() == 0 || frame->GetHeight() == 0) return cv::Mat();
  return cv::Mat(static_cast<int>(frame->GetHeight()), static_cast<int>(frame->GetWidth()), type, picture.data[0],
                 static_cast<size_t>(picture.linesize[0]));
}

namespace {

// The decoded picture as 8-bit grey, BGR or BGRA; empty when it has no such form.
cv::Mat ToFrameLayout(const cv::Mat& decoded) {
  if (decoded.empty()) return cv::Mat();
  cv::Mat eight;
  switch (decoded.depth()) {
    case CV_8U:
      eight = decoded;
      break;
    case CV_16U:
      decoded.convertTo(eight, CV_8U, 1.0 / 257);
      break;
    case CV_16S:
      decoded.convertTo(eight, CV_8U, 1.0 / 257, 32768.0 / 257);
      break;
    case CV_32F:
    case CV_64F:
      decoded.convertTo(eight, CV_8U, 255.0);
      break;
    default:
      LOG(WARNING) << "Decoded picture has an unsupported sample depth " << decoded.depth();
      return cv::Mat();
  }
  switch (eight.channels()) {
    case 1:
    case 3:
    case 4:
      return eight;
    case 2: {
      cv::Mat bgra(eight.size(), CV_8UC4);
      const int pairs[] = {0, 0, 0, 1, 0, 2, 1, 3};
      cv::mixChannels(&eight, 1, &bgra, 1, pairs, 4);
      return bgra;
    }
    default:
      LOG(WARNING) << "Decoded picture has an unsupported channel count " << eight.channels();
      return cv::Mat();
  }
}

// A frame of the decoded picture; null, with one warning, when nothing was decoded or the picture is
// larger than a frame may be.
DataVideoPtr DecodedFrame(const cv::Mat& picture, const std::string& what) {
  if (picture.empty()) {
    LOG(WARNING) << "OpenCV cannot decode " << what;
    return nullptr;
  }
  if (static_cast<uint64_t>(picture.cols) > DataVideoFF::MAX_DIMENSION ||
      static_cast<uint64_t>(picture.rows) > DataVideoFF::MAX_DIMENSION) {
    LOG(WARNING) << "The picture decoded from " << what << " is too large: " << picture.cols << " x " << picture.rows;
    return nullptr;
  }
  return Utils::MatToFrame(picture);
}

// A JPEG (it starts with a start-of-image marker) whose last bytes hold no end-of-image marker was
// cut short. OpenCV decodes such a file with the missing part filled in grey, as if it were whole.
// Inside the coded data 0xFF is always followed by 0x00 or a restart marker, so 0xFF 0xD9 near the
// end is the end-of-image marker itself.
constexpr size_t JPEG_TAIL = 1024;

bool IsTruncatedJpeg(const uint8_t* head, size_t headLength, const uint8_t* tail, size_t tailLength) {
  if (headLength < 3 || head[0] != 0xFF || head[1] != 0xD8 || head[2] != 0xFF) return false;
  for (size_t i = 0; i + 1 < tailLength; ++i) {
    if (tail[i] == 0xFF && tail[i + 1] == 0xD9) return false;
  }
  return true;
}

bool IsTruncatedJpegFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return false;
  const std::streamoff size = file.tellg();
  uint8_t head[3] = {0, 0, 0};
  file.seekg(0);
  if (size < 3 || !file.read(reinterpret_cast<char*>(head), 3)) return false;
  const size_t tailLength = static_cast<size_t>(std::min<std::streamoff>(size, JPEG_TAIL));
  std::vector<uint8_t> tail(tailLength);
  file.seekg(size - static_cast<std::streamoff>(tailLength));
  if (!file.read(reinterpret_cast<char*>(tail.data()), static_cast<std::streamsize>(tailLength))) return false;
  return IsTruncatedJpeg(head, 3, tail.data(), tailLength);
}

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

DataVideoPtr Utils::MatToFrame(const cv::Mat& mat) {
  AVPixelFormat format = AV_PIX_FMT_GRAY8;
  switch (mat.channels()) {
    case 1:
      format = AV_PIX_FMT_GRAY8;
      break;
    case 3:
      format = AV_PIX_FMT_BGR24;
      break;
    case 4:
      format = AV_PIX_FMT_BGRA;
      break;
    default:
      ZENTOR_THROW_DESC(EffectException, "Unsupported channel count");
  }
  DataVideoPtr frame = DataVideoFF::Create(format, mat.cols, mat.rows, 1, 1);
  Picture& picture = frame->GetPicture();
  const size_t rowBytes = static_cast<size_t>(mat.cols) * mat.channels();
  for (int y = 0; y < mat.rows; ++y) {
    std::memcpy(picture.data[0] + static_cast<size_t>(y) * picture.linesize[0], mat.ptr(y), rowBytes);
  }
  return frame;
}

DataVideoPtr Utils::Decode(const std::string& path) {
  if (IsTruncatedJpegFile(path)) {
    LOG(WARNING) << "The JPEG picture " << path << " is cut short";
    return nullptr;
  }
  return DecodedFrame(ToFrameLayout(cv::imread(path, cv::IMREAD_UNCHANGED)), path);
}

DataVideoPtr Utils::Decode(const uint8_t* bytes, size_t length) {
  if (!bytes || length == 0 || length > static_cast<size_t>(std::numeric_limits<int>::max())) {
    LOG(WARNING) << "OpenCV has no bytes to decode";
    return nullptr;
  }
  const size_t tailLength = std::min(length, JPEG_TAIL);
  if (IsTruncatedJpeg(bytes, length, bytes + length - tailLength, tailLength)) {
    LOG(WARNING) << "The JPEG picture of " << length << " bytes is cut short";
    return nullptr;
  }
  const cv::Mat encoded(1, static_cast<int>(length), CV_8UC1, const_cast<uint8_t*>(bytes));
  return DecodedFrame(ToFrameLayout(cv::imdecode(encoded, cv::IMREAD_UNCHANGED)), std::to_string(length) + " bytes");
}

BlobPtr Utils::Encode(const DataVideoPtr& frame, const Core::Property& settings) {
  if (!frame) ZENTOR_THROW_DESC(EffectException, "No frame to encode");
  const cv::Mat mat = GetMat(frame);
  std::string extension = ".jpg";
  Core::GetValue(extension, settings, Conf::IFormatFile::TAG_FILE_EXTENSION);
  if (extension.empty() || extension[0] != '.') extension = "." + extension;
  const std::string lower = LowerCase(extension);

  cv::Mat picture = mat;
  // The fourth byte of BGR0 is padding, never alpha.
  if (frame->GetPixelFormat() == AV_PIX_FMT_BGR0) cv::cvtColor(mat, picture, cv::COLOR_BGRA2BGR);
  // The PxM encoders take exactly the channel count of their kind.
  if (lower == ".pgm" || lower == ".pbm") {
    if (picture.channels() == 3) cv::cvtColor(picture, picture, cv::COLOR_BGR2GRAY);
    if (picture.channels() == 4) cv::cvtColor(picture, picture, cv::COLOR_BGRA2GRAY);
  } else if (lower == ".ppm" || lower == ".pnm" || lower == ".pxm") {
    if (picture.channels() == 4) cv::cvtColor(picture, picture, cv::COLOR_BGRA2BGR);
    if (lower == ".ppm" && picture.channels() == 1) cv::cvtColor(picture, picture, cv::COLOR_GRAY2BGR);
  }

  std::vector<uchar> bytes;
  if (picture.empty() || !cv::imencode(extension, picture, bytes) || bytes.empty()) {
    ZENTOR_THROW_DESC(EffectException, "Cannot encode the picture as " + extension);
  }
  BlobPtr blob = Blob::Create(bytes.size());
  std::memcpy(blob->Data(), bytes.data(), bytes.size());
  return blob;
}

void Utils::KMeansColorSegmentation(const std::vector<uint32_t>& colors, std::vector<uint32_t>& labels,
                                    std::vector<uint32_t>& centers) {
  if (colors.empty()) return;
  const int rows = static_cast<int>(colors.size());
  cv::Mat data(rows, 3, CV_32F);
  for (int i = 0; i < rows; ++i) {
    data.at<float>(i, 0) = static_cast<float>((colors[i] >> 16) & 0xFF);
    data.at<float>(i, 1) = static_cast<float>((colors[i] >> 8) & 0xFF);
    data.at<float>(i, 2) = static_cast<float>(colors[i] & 0xFF);
  }
  // More clusters than distinct colours would leave clusters empty.
  std::set<uint32_t> distinct;
  for (uint32_t c : colors) distinct.insert(c & 0xFFFFFF);
  const int maxClusters = std::min<int>(9, static_cast<int>(distinct.size()));

  cv::Mat bestLabels, bestCenters;
  try {
    double previous = std::numeric_limits<double>::max();
    for (int k = 1; k <= maxClusters; ++k) {
      cv::Mat kLabels, kCenters;
      cv::kmeans(data, k, kLabels, cv::TermCriteria(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 10, 1.0), 10,
                 cv::KMEANS_PP_CENTERS, kCenters);
      double error = 0;
      for (int i = 0; i < rows; ++i) {
        const int label = kLabels.at<int>(i);
        for (int c = 0; c < 3; ++c) {
          const double d = static_cast<double>(data.at<float>(i, c)) - kCenters.at<float>(label, c);
          error += d * d;
        }
      }
      bestLabels = kLabels;
      bestCenters = kCenters;
      if (error == 0 || error / previous > 0.6) break;
      previous = error;
    }
  } catch (const cv::Exception& e) {
    ZENTOR_THROW_DESC(EffectException, DescribeOpenCVError(e));
  }

  labels.reserve(labels.size() + rows);
  for (int i = 0; i < rows; ++i) labels.push_back(static_cast<uint32_t>(bestLabels.at<int>(i)));
  auto component = [](float value) { return static_cast<uint32_t>(static_cast<int64_t>(value + 0.5)); };
  for (int k = 0; k < bestCenters.rows; ++k) {
    centers.push_back((component(bestCenters.at<float>(k, 0)) * 65536) | (component(bestCenters.at<float>(k, 1)) * 256) |
                      component(bestCenters.at<float>(k, 2)));
  }
}

void Utils::MergeKeepingFourth(const cv::Mat& colour, const cv::Mat& source, cv::Mat& destination) {
  const cv::Mat inputs[] = {colour, source};
  const int pairs[] = {0, 0, 1, 1, 2, 2, 6, 3};
  cv::mixChannels(inputs, 2, &destination, 1, pairs, 4);
}

std::string Utils::DescribeOpenCVError(const cv::Exception& e) {
  std::string text = e.what();
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
  return text;
}

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
