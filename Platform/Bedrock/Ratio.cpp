#include "Platform/Bedrock/Ratio.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace Zentor {
namespace Core {

namespace {

std::string Trim(const std::string& s) {
  const char* blanks = " \t\r\n\f\v";
  const auto first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// A whole text of an optional sign and decimal digits; LLONG_MIN is refused so negation is safe.
bool ParseInteger(const std::string& raw, long long& out) {
  std::string s = Trim(raw);
  if (!s.empty() && s[0] == '+') s.erase(0, 1);
  if (s.empty() || s[0] == '+') return false;
  const char* last = s.data() + s.size();
  const auto res = std::from_chars(s.data(), last, out);
  return res.ec == std::errc() && res.ptr == last && out != LLONG_MIN;
}

unsigned long long Gcd(unsigned long long a, unsigned long long b) {
  while (b != 0) {
    const unsigned long long t = a % b;
    a = b;
    b = t;
  }
  return a;
}

}  // namespace

bool RatioFromString(const std::string& text, boost::rational<long long>& out) {
  const std::string s = Trim(text);
  long long num = 0;
  long long den = 1;
  const auto slash = s.find('/');
  if (slash == std::string::npos) {
    if (!ParseInteger(s, num)) return false;
  } else {
    if (!ParseInteger(s.substr(0, slash), num) || !ParseInteger(s.substr(slash + 1), den)) return false;
    if (den == 0) return false;
  }
  const long long g = static_cast<long long>(Gcd(static_cast<unsigned long long>(std::llabs(num)),
                                                 static_cast<unsigned long long>(std::llabs(den))));
  num /= g;
  den /= g;
  if (den < 0) {
    num = -num;
    den = -den;
  }
  out.assign(num, den);  // already reduced with a positive denominator: cannot throw
  return true;
}

std::string StringFromRatio(const boost::rational<long long>& ratio) {
  return std::to_string(ratio.numerator()) + "/" + std::to_string(ratio.denominator());
}

boost::rational<long long> RatioFromDoubleApprox(double value, long long maxDenominator) {
  if (std::isnan(value)) return boost::rational<long long>(0);
  if (maxDenominator < 1) maxDenominator = 1;
  const bool negative = value < 0;
  const double x0 = std::fabs(value);
  if (x0 >= 9223372036854775807.0) return boost::rational<long long>(negative ? -LLONG_MAX : LLONG_MAX);

  // Convergents p/q of the continued fraction, stopped when the denominator would pass the limit.
  using Wide = __int128;
  Wide p0 = 0, q0 = 1, p1 = 1, q1 = 0;
  double x = x0;
  for (int step = 0; step < 64; ++step) {
    const double a_floor = std::floor(x);
    if (a_floor > 9.2e18) break;
    const Wide a = static_cast<Wide>(a_floor);
    const Wide p2 = p0 + a * p1;
    const Wide q2 = q0 + a * q1;
    if (q2 > maxDenominator || p2 > LLONG_MAX) {
      // Best semiconvergent within the limits, kept when closer than the last convergent.
      Wide k = (maxDenominator - q0) / q1;
      if (p1 > 0) k = std::min<Wide>(k, (Wide(LLONG_MAX) - p0) / p1);
      if (k > 0) {
        const Wide ps = p0 + k * p1;
        const Wide qs = q0 + k * q1;
        const double errS = std::fabs(static_cast<double>(ps) / static_cast<double>(qs) - x0);
        const double errC = std::fabs(static_cast<double>(p1) / static_cast<double>(q1) - x0);
        if (errS < errC) {
          p1 = ps;
          q1 = qs;
        }
      }
      break;
    }
    p0 = p1;
    q0 = q1;
    p1 = p2;
    q1 = q2;
    const double frac = x - a_floor;
    if (frac <= 0.0) break;
    x = 1.0 / frac;
    if (!std::isfinite(x)) break;
  }
  const long long num = static_cast<long long>(p1);
  return boost::rational<long long>(negative ? -num : num, static_cast<long long>(q1));
}

}  // namespace Core
}  // namespace Zentor
