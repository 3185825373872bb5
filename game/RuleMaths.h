#pragma once
// The game's rules compute with these instead of the C library's sin, cos and acos, whose
// last bit may differ between systems (glibc rounds them correctly, MinGW's library does
// not always): with one implementation carried on both, a game recorded on Windows plays
// back to the same frames on Linux and back. +, -, *, / and sqrt are exact everywhere
// (IEEE 754 doubles, no contraction into fused multiply-adds), so these are too.
//
// Accurate to within one unit in the last place (the classic kernels' polynomials, the
// argument reduced by pi/2 in three parts), for |x| up to about 10^6: far beyond any angle
// of the game's.

namespace RuleMaths {

double Sin(double X);
double Cos(double X);
// X in [-1, 1]; outside it the result is NaN.
double Acos(double X);
// sqrt(X * X + Y * Y), for the game's coordinates (no overflow).
double Hypot(double X, double Y);

}  // namespace RuleMaths
