// Ratios such as "72/1" (image resolutions) over boost::rational.
#pragma once

#include "Platform/Bedrock/Export.h"

#include <boost/rational.hpp>

#include <string>

namespace Zentor {
namespace Core {

// Parses "num/den" or a plain integer ("300", "+3"), blanks around the numbers allowed. The result
// is reduced with the sign on the numerator. Returns false (out unchanged) for anything else,
// including a zero denominator and numbers outside 64 bits.
ZENTOR_API bool RatioFromString(const std::string& text, boost::rational<long long>& out);

// "num/den", always with the denominator ("72/1").
ZENTOR_API std::string StringFromRatio(const boost::rational<long long>& ratio);

// The fraction nearest to value whose denominator is at most maxDenominator (continued fractions).
// Not-a-number gives 0/1; values beyond the 64-bit range are clamped to it.
ZENTOR_API boost::rational<long long> RatioFromDoubleApprox(double value, long long maxDenominator = 1000);

}  // namespace Core
}  // namespace Zentor
