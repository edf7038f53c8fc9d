// The bridge between framework frames and OpenCV matrices: pixel-format map, frame wrapping,
// image decoding and encoding, and colour clustering.
#pragma once

#include "Core/Interfaces/Property.h"
#include "Platform/Pipeline/Blob.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <opencv2/core.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Zentor {
namespace Proc {
namespace OpenCV {

class Utils {
 public:
  using PixFmtToOpenCVMap = std::map<AVPixelFormat, int>;

  // Frame pixel formats OpenCV can work on, with their matrix type; channel order is kept as it is.
  static const PixFmtToOpenCVMap& GetPixFmtToOpenCVMap();
  // The matrix type of a pixel format; EffectException for a format without one.
  static int GetPixelFormatOpenCV(AVPixelFormat format);
  // A matrix header over the frame's first plane (no copy); an empty matrix for a null frame.
  static cv::Mat GetMat(const DataVideoPtr& frame);

  // Decodes an image file or encoded bytes, keeping the stored orientation. One, three and four
  // channels become GRAY8, BGR24 and BGRA frames; two (grey and alpha) become BGRA; 16-bit and
  // floating-point pictures are scaled to 8 bits. Null when nothing could be decoded.
  static DataVideoPtr Decode(const std::string& path);
  static DataVideoPtr Decode(const uint8_t* bytes, size_t length);
  // A frame holding a copy of an 8-bit matrix of one, three or four channels.
  static DataVideoPtr MatToFrame(const cv::Mat& mat);

  // Encodes a GRAY8, BGR24, BGRA or BGR0 frame in the format of settings' file extension (".jpg"
  // when absent). EffectException when no encoder takes it.
  static BlobPtr Encode(const DataVideoPtr& frame, const Core::Property& settings);

  // Groups packed 0xRRGGBB-style colours with k-means, choosing the number of clusters (1 to 9) itself.
  // Appends one label per colour and the packed cluster centres.
  static void KMeansColorSegmentation(const std::vector<uint32_t>& colors, std::vector<uint32_t>& labels,
                                      std::vector<uint32_t>& centers);

  // Writes the three channels of colour and the fourth byte of the four-channel source into the
  // four-channel destination (for operations that take no fourth channel).
  static void MergeKeepingFourth(const cv::Mat& colour, const cv::Mat& source, cv::Mat& destination);

  // The text an OpenCV error is reported with.
  static std::string DescribeOpenCVError(const cv::Exception& e);

 private:
  static const PixFmtToOpenCVMap s_PixFmtToOpenCVMap;
};

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
