#include "game/RuleMaths.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace RuleMaths {

namespace {

// sin and cos of x + y on [-pi/4, pi/4], y the tail of the reduced argument.
double KernelSin(double X, double Y) {
  constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                   S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                   S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
  const double Z = X * X;
  const double V = Z * X;
  const double R = S2 + Z * (S3 + Z * (S4 + Z * (S5 + Z * S6)));
  return X - ((Z * (0.5 * Y - V * R) - Y) - V * S1);
}

double KernelCos(double X, double Y) {
  constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03,
                   C3 = 2.48015872894767294178e-05, C4 = -2.75573143513906633035e-07,
                   C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;
  const double Z = X * X;
  const double R = Z * (C1 + Z * (C2 + Z * (C3 + Z * (C4 + Z * (C5 + Z * C6)))));
  const double Ax = std::fabs(X);
  if (Ax < 0.3) return 1.0 - (0.5 * Z - (Z * R - X * Y));
  // 1 - x*x/2 split so that the big part is exact: qx is x/4 with its low word cleared.
  const double Qx =
      Ax > 0.78125 ? 0.28125
                   : std::bit_cast<double>((std::bit_cast<uint64_t>(Ax) - (uint64_t{0x00200000} << 32)) &
                                           0xFFFFFFFF00000000ull);
  const double Hz = 0.5 * Z - Qx;
  const double A = 1.0 - Qx;
  return A - (Hz - (Z * R - X * Y));
}

// X = N * pi/2 + (Y0 + Y1), |Y0 + Y1| <= pi/4; answers N mod 4.
int Reduce(double X, double& Y0, double& Y1) {
  constexpr double InvPio2 = 6.36619772367581382433e-01;
  constexpr double Pio2_1 = 1.57079632673412561417e+00, Pio2_1t = 6.07710050650619224932e-11;
  constexpr double Pio2_2 = 6.07710050630396597660e-11, Pio2_2t = 2.02226624879595063154e-21;
  constexpr double Pio2_3 = 2.02226624871116645580e-21, Pio2_3t = 8.47842766036889956997e-32;
  if (std::fabs(X) <= 0.785398163397448279) {  // pi/4
    Y0 = X;
    Y1 = 0;
    return 0;
  }
  const double Fn = std::nearbyint(X * InvPio2);
  const int N = static_cast<int>(static_cast<int64_t>(Fn) & 3);
  // Three steps of Cody and Waite: pi/2 in parts whose products with Fn are exact.
  double R = X - Fn * Pio2_1;
  double W = Fn * Pio2_1t;
  Y0 = R - W;
  const int Exponent = static_cast<int>(std::bit_cast<uint64_t>(X) >> 52 & 0x7FF);
  if (Exponent - static_cast<int>(std::bit_cast<uint64_t>(Y0) >> 52 & 0x7FF) > 16) {
    double T = R;
    W = Fn * Pio2_2;
    R = T - W;
    W = Fn * Pio2_2t - ((T - R) - W);
    Y0 = R - W;
    if (Exponent - static_cast<int>(std::bit_cast<uint64_t>(Y0) >> 52 & 0x7FF) > 49) {
      T = R;
      W = Fn * Pio2_3;
      R = T - W;
      W = Fn * Pio2_3t - ((T - R) - W);
      Y0 = R - W;
    }
  }
  Y1 = (R - Y0) - W;
  return N;
}

}  // namespace

double Sin(double X) {
  if (!std::isfinite(X)) return std::numeric_limits<double>::quiet_NaN();
  if (std::fabs(X) < 7.450580596923828125e-9) return X;  // 2^-27: sin x is x to the last bit
  double Y0, Y1;
  switch (Reduce(X, Y0, Y1)) {
    case 0: return KernelSin(Y0, Y1);
    case 1: return KernelCos(Y0, Y1);
    case 2: return -KernelSin(Y0, Y1);
    default: return -KernelCos(Y0, Y1);
  }
}

double Cos(double X) {
  if (!std::isfinite(X)) return std::numeric_limits<double>::quiet_NaN();
  if (std::fabs(X) < 7.450580596923828125e-9) return 1.0;
  double Y0, Y1;
  switch (Reduce(X, Y0, Y1)) {
    case 0: return KernelCos(Y0, Y1);
    case 1: return -KernelSin(Y0, Y1);
    case 2: return -KernelCos(Y0, Y1);
    default: return KernelSin(Y0, Y1);
  }
}

double Acos(double X) {
  constexpr double Pi = 3.14159265358979311600e+00, Pio2Hi = 1.57079632679489655800e+00,
                   Pio2Lo = 6.12323399573676603587e-17;
  constexpr double PS0 = 1.66666666666666657415e-01, PS1 = -3.25565818622400915405e-01,
                   PS2 = 2.01212532134862925881e-01, PS3 = -4.00555345006794114027e-02,
                   PS4 = 7.91534994289814532176e-04, PS5 = 3.47933107596021167570e-05,
                   QS1 = -2.40339491173441421878e+00, QS2 = 2.02094576023350569471e+00,
                   QS3 = -6.88283971605453293030e-01, QS4 = 7.70381505559019352791e-02;
  auto Ratio = [&](double Z) {
    const double P = Z * (PS0 + Z * (PS1 + Z * (PS2 + Z * (PS3 + Z * (PS4 + Z * PS5)))));
    const double Q = 1.0 + Z * (QS1 + Z * (QS2 + Z * (QS3 + Z * QS4)));
    return P / Q;
  };
  const double Ax = std::fabs(X);
  if (!(Ax <= 1.0)) return std::numeric_limits<double>::quiet_NaN();
  if (Ax == 1.0) return X > 0 ? 0.0 : Pi + 2.0 * Pio2Lo;
  if (Ax < 0.5) {
    if (Ax <= 1.387778780781445675529539585113525390625e-17) return Pio2Hi + Pio2Lo;  // 2^-56
    return Pio2Hi - (X - (Pio2Lo - X * Ratio(X * X)));
  }
  if (X < 0) {
    const double Z = (1.0 + X) * 0.5;
    const double S = std::sqrt(Z);
    const double W = Ratio(Z) * S - Pio2Lo;
    return Pi - 2.0 * (S + W);
  }
  const double Z = (1.0 - X) * 0.5;
  const double S = std::sqrt(Z);
  // S split into a high part with a clear low word and the rest, for an exact square.
  const double Df = std::bit_cast<double>(std::bit_cast<uint64_t>(S) & 0xFFFFFFFF00000000ull);
  const double C = (Z - Df * Df) / (S + Df);
  const double W = Ratio(Z) * S + C;
  return 2.0 * (Df + W);
}

double Hypot(double X, double Y) {
  return std::sqrt(X * X + Y * Y);
}

}  // namespace RuleMaths
