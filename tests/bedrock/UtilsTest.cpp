#include "Core/Interfaces/IProgressController.h"
#include "Core/Interfaces/Utils.h"
#include "Platform/Bedrock/HugePageMemory.h"
#include "Platform/Bedrock/Ratio.h"
#include "Platform/Bedrock/Sanitizers.h"
#include "Platform/Bedrock/Statistics.h"
#include "Platform/Bedrock/TempName.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>

using Zentor::Core::Round;

TEST(Round, DecimalsTensAndHalves) {
  EXPECT_EQ(Round(2.345, 2), 235.0 / 10.0 / 10.0);
  EXPECT_EQ(Round(1234.0, -2), 12.0 / 0.1 / 0.1);
  EXPECT_DOUBLE_EQ(Round(1234.0, -2), 1200.0);
  EXPECT_EQ(Round(2.5, 0), 3.0);
  EXPECT_EQ(Round(-2.6, 0), -2.0);
  EXPECT_EQ(Round(-2.4, 0), -1.0);
  EXPECT_EQ(Round(0.0, 5), 0.0);
}

TEST(Round, OutOfInt32RangeReturnsValueUnchanged) {
  EXPECT_EQ(Round(3e9, 0), 3e9);
  EXPECT_EQ(Round(-3e9, 0), -3e9);
  EXPECT_EQ(Round(2147483647.0, 0), 2147483647.0);  // + 0.5 still truncates into range
  EXPECT_EQ(Round(2147483647.6, 0), 2147483647.6);
  EXPECT_EQ(Round(123456.789, 6), 123456.789);
  EXPECT_EQ(Round(1.5, 400), 1.5);                  // scaling overflows to infinity
  EXPECT_EQ(Round(1.5, -400), 0.0);                 // scales down to nothing
  EXPECT_EQ(Round(7.0, INT_MIN), 0.0);
  EXPECT_TRUE(std::isnan(Round(NAN, 2)));
  EXPECT_EQ(Round(INFINITY, 0), INFINITY);
}

TEST(Ratio, Parsing) {
  using Zentor::Core::RatioFromString;
  boost::rational<long long> r(5, 7);
  EXPECT_TRUE(RatioFromString("72/1", r));
  EXPECT_EQ(r, boost::rational<long long>(72));
  EXPECT_TRUE(RatioFromString(" 300 ", r));
  EXPECT_EQ(r, boost::rational<long long>(300));
  EXPECT_TRUE(RatioFromString("+3", r));
  EXPECT_EQ(r, boost::rational<long long>(3));
  EXPECT_TRUE(RatioFromString("600 / -4", r));
  EXPECT_EQ(r.numerator(), -150);
  EXPECT_EQ(r.denominator(), 1);
  EXPECT_TRUE(RatioFromString("9223372036854775807/9223372036854775807", r));
  EXPECT_EQ(r, boost::rational<long long>(1));

  const boost::rational<long long> kept(5, 7);
  for (const char* bad : {"1/0", "0/0", "abc", "", "/", "3/", "/3", "1.5", "1/2/3", "++3", "3 4",
                          "99999999999999999999/1", "-9223372036854775808/1"}) {
    r = kept;
    EXPECT_FALSE(RatioFromString(bad, r)) << bad;
    EXPECT_EQ(r, kept) << bad;
  }
}

TEST(Ratio, TextAndApproximation) {
  using Zentor::Core::RatioFromDoubleApprox;
  using Zentor::Core::StringFromRatio;
  EXPECT_EQ(StringFromRatio(boost::rational<long long>(72)), "72/1");
  EXPECT_EQ(StringFromRatio(boost::rational<long long>(-3, 6)), "-1/2");
  EXPECT_EQ(RatioFromDoubleApprox(300.0, 1000), boost::rational<long long>(300));
  EXPECT_EQ(RatioFromDoubleApprox(0.5, 1000), boost::rational<long long>(1, 2));
  EXPECT_EQ(RatioFromDoubleApprox(M_PI, 1000), boost::rational<long long>(355, 113));
  EXPECT_EQ(RatioFromDoubleApprox(-1.0 / 3.0, 1000), boost::rational<long long>(-1, 3));
  EXPECT_EQ(RatioFromDoubleApprox(72.0 / 2.54 * 2.54, 1000), boost::rational<long long>(72));
  const auto approx = RatioFromDoubleApprox(96.123456, 1000);
  EXPECT_LE(approx.denominator(), 1000);
  EXPECT_NEAR(boost::rational_cast<double>(approx), 96.123456, 1e-5);
  EXPECT_EQ(RatioFromDoubleApprox(NAN, 1000), boost::rational<long long>(0));
  EXPECT_EQ(RatioFromDoubleApprox(1e30, 1000), boost::rational<long long>(LLONG_MAX));
  EXPECT_EQ(RatioFromDoubleApprox(1e-9, 1000), boost::rational<long long>(0));
}

TEST(TempName, FreshNamesWithoutDotsAcrossThreads) {
  char pattern[] = "/tmp/bedrock-temp-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = std::string(pattern) + "/";

  std::mutex lock;
  std::set<std::string> names;
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 500; ++i) {
        const std::string name = Zentor::Core::GenerateTempFileName(folder);
        std::lock_guard<std::mutex> guard(lock);
        names.insert(name);
      }
    });
  for (auto& t : threads) t.join();
  ASSERT_EQ(names.size(), 4000u);
  for (const auto& name : names) {
    ASSERT_EQ(name.compare(0, folder.size(), folder), 0);
    const std::string base = name.substr(folder.size());
    EXPECT_EQ(base.find('.'), std::string::npos);
    EXPECT_EQ(base.find('/'), std::string::npos);
    EXPECT_FALSE(base.empty());
  }

  const std::string withExt = Zentor::Core::GenerateTempFileName(pattern, "raw");
  EXPECT_EQ(withExt.compare(0, folder.size(), folder), 0);
  EXPECT_EQ(withExt.substr(withExt.size() - 4), ".raw");
  EXPECT_EQ(withExt.find('.'), withExt.size() - 4);
  std::remove(withExt.c_str());
  rmdir(pattern);
}

TEST(Statistics, ShapeAndStub) {
  const Zentor::Core::Property stats = Zentor::Core::MakeStatistics("GetStatistic", 1500, 3);
  EXPECT_EQ(stats.GetName(), "GetStatistic");
  EXPECT_EQ(stats.GetType(), Zentor::PT_GROUP);
  EXPECT_EQ(stats["Time"].GetInt64(), 1500);
  EXPECT_EQ(stats["Count"].GetInt64(), 3);
  EXPECT_EQ(Zentor::Core::MakeStatistics("x", 0, UINT64_MAX)["Count"].GetInt64(), LLONG_MAX);
  EXPECT_STREQ(Zentor::Core::PerformanceTimer::IMPL_NAME, "ImplName");
  EXPECT_TRUE(Zentor::Core::IsEmptyProperty(Zentor::Core::GetRootItem()));

  auto stub = Zentor::Core::ProgressControllerStub::Create();
  stub->Notify(Zentor::Core::IProgressController::EVENT_START);
  stub->SetMaximum(10);
  stub->IncProgress(1);
  stub->SetClient(nullptr);
  EXPECT_FALSE(stub->CheckForStop());
  EXPECT_EQ(stub->GetRefCount(), 1);
}

// A large picture's memory: zero-filled on a huge page's boundary, except under AddressSanitizer
// (with either compiler), where it comes from the heap so that overruns are caught.
TEST(HugePageMemory, AlignedAndZeroedOrNoneUnderAddressSanitizer) {
  const Zentor::Core::HugePageMemory memory(size_t(9) << 20);
#ifdef ZENTOR_ADDRESS_SANITIZER
  EXPECT_EQ(memory.Begin(), nullptr);
#else
  if (!memory.Begin()) GTEST_SKIP() << "the system refused the mapping";
  EXPECT_EQ(reinterpret_cast<uintptr_t>(memory.Begin()) % (size_t(2) << 20), 0u);
  for (size_t i = 0; i < (size_t(9) << 20); i += 4093) ASSERT_EQ(memory.Begin()[i], 0) << i;
#endif
  EXPECT_EQ(Zentor::Core::HugePageMemory(0).Begin(), nullptr);
}
