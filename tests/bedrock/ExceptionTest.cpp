#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"

#include <boost/exception_ptr.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace {

[[noreturn]] void ThrowDecoderFailure() {
  ZENTOR_THROW_DESC(Zentor::Proc::DecoderException, "Cannot decode the picture.");
}

}  // namespace

TEST(Exception, MethodIsNotApplicableCaughtThroughEveryBase) {
  const Zentor::Exception* asZentor = nullptr;
  const Zentor::Core::PropertyException* asProperty = nullptr;
  const std::exception* asStd = nullptr;
  Zentor::Core::Property leaf("leaf", true);
  try {
    leaf.SetChildT("x", 1);
  } catch (const Zentor::Exception& e) {
    asZentor = &e;
    try {
      throw;
    } catch (const Zentor::Core::PropertyException& p) {
      asProperty = &p;
      try {
        throw;
      } catch (const std::exception& s) {
        asStd = &s;
        EXPECT_EQ(std::string(s.what()), std::string(std::exception().what()));
      }
    }
    EXPECT_EQ(dynamic_cast<const void*>(asZentor), dynamic_cast<const void*>(asProperty));
    EXPECT_EQ(dynamic_cast<const void*>(asZentor), dynamic_cast<const void*>(asStd));
    // The throw location is the accessor's.
    const char* const* file = boost::get_error_info<boost::throw_file>(e);
    ASSERT_NE(file, nullptr);
    EXPECT_STREQ(*file, "Core/Interfaces/Property");
    EXPECT_EQ(Zentor::GetDescription(e, "fallback"), "fallback");
    const std::string* stack = boost::get_error_info<Zentor::TagCallStack>(e);
    ASSERT_NE(stack, nullptr);
    EXPECT_NE(stack->find("Zentor::Core::Detail::ThrowNotAGroup"), std::string::npos) << *stack;
  }
  ASSERT_NE(asStd, nullptr);
}

TEST(Exception, CapturedOnWorkerRethrownOnMainKeepsClassAndTags) {
  boost::exception_ptr captured;
  std::thread worker([&] {
    try {
      ThrowDecoderFailure();
    } catch (...) {
      captured = boost::current_exception();
    }
  });
  worker.join();
  ASSERT_TRUE(captured);
  try {
    boost::rethrow_exception(captured);
  } catch (const Zentor::Proc::DecoderException& e) {
    EXPECT_EQ(Zentor::GetDescription(e), "Cannot decode the picture.");
    const std::string* stack = boost::get_error_info<Zentor::TagCallStack>(e);
    ASSERT_NE(stack, nullptr);
    EXPECT_NE(stack->find('\n'), std::string::npos);
    EXPECT_GE(std::count(stack->begin(), stack->end(), '\n'), 2) << *stack;
    EXPECT_NE(boost::get_error_info<boost::throw_function>(e), nullptr);
    EXPECT_NE(boost::get_error_info<boost::throw_line>(e), nullptr);
  } catch (...) {
    FAIL() << "rethrown as another class";
  }
}

TEST(Exception, CopyCarriesTheSameTags) {
  try {
    ZENTOR_THROW(Zentor::Proc::EffectException() << Zentor::TagDescription("effect failed"));
  } catch (const Zentor::Proc::EffectException& e) {
    const Zentor::Proc::EffectException copy(e);
    EXPECT_EQ(Zentor::GetDescription(copy), "effect failed");
    EXPECT_EQ(*boost::get_error_info<Zentor::TagCallStack>(copy), *boost::get_error_info<Zentor::TagCallStack>(e));
    EXPECT_NE(boost::diagnostic_information(copy).find("effect failed"), std::string::npos);
  }
}
