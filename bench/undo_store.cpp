// Pushes 60 image steps of 12 megapixels (BGRA) and 2,000 small mask steps through the undo store
// with the default swap threshold, then undoes and redoes them all. Times are compared with a
// memcpy of one frame and a raw write and read of one frame.
#include "BenchSupport.h"

#include "GlimraCore/GlimraUndo.h"

#include <boost/filesystem.hpp>
#include <glog/logging.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace Zentor;
using namespace Bench;

namespace {

constexpr uint32_t WIDTH = 4000;
constexpr uint32_t HEIGHT = 3000;
constexpr int IMAGE_STEPS = 60;
constexpr int MASK_STEPS = 2000;
constexpr uint32_t STROKE = 24;

struct Average {
  double total = 0;
  double low = 1e9;
  double high = 0;
  int count = 0;
  void Add(double seconds) {
    total += seconds;
    low = std::min(low, seconds);
    high = std::max(high, seconds);
    ++count;
  }
  double Mean() const { return count ? total / count : 0; }
};

void Print(const char* what, const Average& a, double yardstick, const char* yardName) {
  if (a.count == 0) {
    std::printf("%-34s %6s\n", what, "-");
    return;
  }
  std::printf("%-34s %6d x %9.3f ms  = %6.2f x %-6s (min %.3f, max %.3f ms)\n", what, a.count, a.Mean() * 1e3,
              a.Mean() / yardstick, yardName, a.low * 1e3, a.high * 1e3);
}

}  // namespace

int main(int, char** argv) {
  google::InitGoogleLogging(argv[0]);
  FLAGS_logtostderr = true;
  FLAGS_minloglevel = 2;

  char folderTemplate[] = "/tmp/undo-bench-XXXXXX";
  if (!mkdtemp(folderTemplate)) return 1;
  const std::string folder = std::string(folderTemplate) + "/";

  // A picture and its frame size.
  Proc::DataVideoPtr source = Proc::DataVideoFF::Create(AV_PIX_FMT_BGRA, WIDTH, HEIGHT);
  const size_t frameBytes = static_cast<size_t>(source->GetPicture().linesize[0]) * HEIGHT;
  for (size_t i = 0; i < frameBytes; ++i) source->GetPicture().data[0][i] = static_cast<uint8_t>(i * 31 + (i >> 12));

  // Yardsticks: best of five.
  // A read back from swap fills fresh memory, whose page faults cost more than the read itself;
  // "fresh read" reads into newly allocated memory, "read" into memory already in use.
  double memcpyTime = 1e9, writeTime = 1e9, readTime = 1e9, freshReadTime = 1e9;
  {
    std::vector<uint8_t> target(frameBytes);
    const std::string raw = folder + "yardstick.raw";
    for (int run = 0; run < 5; ++run) {
      auto start = Clock::now();
      std::memcpy(target.data(), source->GetPicture().data[0], frameBytes);
      memcpyTime = std::min(memcpyTime, Seconds(start));

      start = Clock::now();
      int fd = ::open(raw.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || ::write(fd, source->GetPicture().data[0], frameBytes) != static_cast<ssize_t>(frameBytes)) return 1;
      ::close(fd);
      writeTime = std::min(writeTime, Seconds(start));

      start = Clock::now();
      fd = ::open(raw.c_str(), O_RDONLY);
      if (fd < 0 || ::read(fd, target.data(), frameBytes) != static_cast<ssize_t>(frameBytes)) return 1;
      ::close(fd);
      readTime = std::min(readTime, Seconds(start));

      start = Clock::now();
      {
        Proc::DataVideoPtr fresh = Proc::DataVideoFF::Create(AV_PIX_FMT_BGRA, WIDTH, HEIGHT);
        fd = ::open(raw.c_str(), O_RDONLY);
        if (fd < 0 || ::read(fd, fresh->GetPicture().data[0], frameBytes) != static_cast<ssize_t>(frameBytes)) return 1;
        ::close(fd);
      }
      freshReadTime = std::min(freshReadTime, Seconds(start));
    }
    std::remove(raw.c_str());
  }

  int nameCounter = 0;
  Glimra::GlimraUndoPtr store =
      Glimra::IGlimraUndo::Create(folder, "bench", [&nameCounter] { return "swap" + std::to_string(++nameCounter); });
  auto& impl = dynamic_cast<Glimra::GlimraUndo&>(*store);

  Average add, addMask, undoImageMemory, undoImageSwap, undoMask, redoImageMemory, redoImageSwap, redoMask;
  const int masksPerImage = MASK_STEPS / IMAGE_STEPS;
  int masksDone = 0;
  const auto pushStart = Clock::now();
  for (int step = 0; step < IMAGE_STEPS; ++step) {
    source->GetPicture().data[0][step] ^= 0xFF;  // every step a different picture
    Core::Property info(Glimra::IGlimraUndo::TAG_FRAME_INFO);
    info.SetChild(Glimra::IGlimraDrawer::TAG_EFFECT_SETTINGS).SetChildT("step", step);
    auto start = Clock::now();
    store->Add(info, source, nullptr);
    add.Add(Seconds(start));

    const int strokes = step == IMAGE_STEPS - 1 ? MASK_STEPS - masksDone : masksPerImage;
    for (int s = 0; s < strokes; ++s, ++masksDone) {
      // A painter paints into a copy of the current mask and hands it over.
      start = Clock::now();
      const Proc::DataVideoPtr current = store->GetMask();
      Proc::DataVideoPtr mask =
          current ? current->CreateCopy() : Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, WIDTH, HEIGHT);
      const uint32_t x = (s * 97 + step * 13) % (WIDTH - STROKE);
      const uint32_t y = (s * 53 + step * 29) % (HEIGHT - STROKE);
      for (uint32_t r = 0; r < STROKE; ++r)
        std::memset(mask->GetPicture().data[0] + (y + r) * mask->GetPicture().linesize[0] + x, 90, STROKE);
      store->AddMask(mask, Proc::CropInfo{x, x + STROKE, y, y + STROKE});
      addMask.Add(Seconds(start));
    }
  }
  const double pushTime = Seconds(pushStart);

  // Undo all: a step reads back what it needs (picture and mask) as the program's redraw does.
  auto walk = [&](bool undo, Average& image, Average& imageSwap, Average& mask) {
    int done = 0;
    for (;;) {
      const bool enabled = undo ? store->IsUndoEnabled() : store->IsRedoEnabled();
      if (!enabled) break;
      const uint32_t before = impl.GetIndex();
      const uint64_t sizeBefore = impl.GetSize();
      const auto start = Clock::now();
      undo ? store->Undo() : store->Redo();
      store->GetVideo();
      store->GetMask();
      const double took = Seconds(start);
      if (impl.GetIndex() == before) {
        mask.Add(took);
      } else if (impl.GetSize() >= sizeBefore + frameBytes) {
        imageSwap.Add(took);
      } else {
        image.Add(took);
      }
      ++done;
    }
    return done;
  };
  auto start = Clock::now();
  const int undos = walk(true, undoImageMemory, undoImageSwap, undoMask);
  const double undoTime = Seconds(start);
  start = Clock::now();
  const int redos = walk(false, redoImageMemory, redoImageSwap, redoMask);
  const double redoTime = Seconds(start);

  uint64_t written = 0;
  size_t files = 0;
  for (auto it = boost::filesystem::directory_iterator(folder); it != boost::filesystem::directory_iterator(); ++it) {
    written += boost::filesystem::file_size(it->path());
    ++files;
  }
  const long peakKb = PeakKb();
  store.reset();
  boost::filesystem::remove_all(folderTemplate);

  const double frameMb = frameBytes / 1e6;
  std::printf("Undo store: %d image steps of %ux%u BGRA (%.1f MB each), %d mask steps of %ux%u, threshold %.0f MB\n",
              IMAGE_STEPS, WIDTH, HEIGHT, frameMb, MASK_STEPS, STROKE, STROKE,
              Glimra::GlimraUndo::DEFAULT_SWAP_THRESHOLD / 1e6);
  std::printf("Yardsticks per frame: memcpy %.3f ms, raw write %.3f ms, raw read %.3f ms, fresh read %.3f ms\n",
              memcpyTime * 1e3, writeTime * 1e3, readTime * 1e3, freshReadTime * 1e3);
  Print("Add image step", add, memcpyTime, "memcpy");
  Print("Add mask step (with mask copy)", addMask, memcpyTime, "memcpy");
  Print("Undo image step, in memory", undoImageMemory, memcpyTime, "memcpy");
  Print("Undo image step, from swap", undoImageSwap, readTime, "read");
  Print("  the same against a fresh read", undoImageSwap, freshReadTime, "fresh");
  Print("Undo mask step", undoMask, memcpyTime, "memcpy");
  Print("Redo image step, in memory", redoImageMemory, memcpyTime, "memcpy");
  Print("Redo image step, from swap", redoImageSwap, readTime, "read");
  Print("  the same against a fresh read", redoImageSwap, freshReadTime, "fresh");
  Print("Redo mask step", redoMask, memcpyTime, "memcpy");
  std::printf("Totals: push %.2f s, %d undos %.2f s, %d redos %.2f s\n", pushTime, undos, undoTime, redos, redoTime);
  std::printf("Swap files: %zu, bytes written %.1f MB (%.1f frames)\n", files, written / 1e6, written / double(frameBytes));
  std::printf("Peak resident memory: %.1f MB = threshold + %.2f frames\n", peakKb / 1e3,
              (peakKb * 1e3 - Glimra::GlimraUndo::DEFAULT_SWAP_THRESHOLD) / double(frameBytes));
  return 0;
}
