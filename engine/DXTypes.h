#pragma once
// Small value types and rounding helpers shared by the whole engine.

#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;   // exclusive
  int32_t Bottom = 0;  // exclusive
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

inline TRect Bounds(int32_t L, int32_t T, int32_t W, int32_t H) {
  return {L, T, L + W, T + H};
}

// Strict: rectangles that only touch, or an empty one, never overlap.
// The edge tests alone would let an empty rectangle lying inside another overlap it, so
// both must have an area as well.
inline bool RectsOverlap(const TRect& A, const TRect& B) {
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom &&
         A.Left < A.Right && A.Top < A.Bottom && B.Left < B.Right && B.Top < B.Bottom;
}

// A double brought into the 32-bit range (NaN gives 0): converting a value outside it to
// an integer is undefined, and positions and frame counters can run away.
inline double ClampToInt32(double V) {
  if (!(V == V)) return 0.0;
  return V < -2147483648.0 ? -2147483648.0 : (V > 2147483647.0 ? 2147483647.0 : V);
}
// Engine rounding: nearest, ties to even (2.5 -> 2, 3.5 -> 4); saturates at the 32-bit ends.
inline int32_t RoundEven(double V) {
  return static_cast<int32_t>(ClampToInt32(std::nearbyint(ClampToInt32(V))));
}
// Game rounding: truncation toward zero; saturates at the 32-bit ends.
inline int32_t Trunc(double V) {
  return static_cast<int32_t>(ClampToInt32(V));
}

// i mod n moved into [0, n) for n > 0.
inline int32_t PosMod(int32_t I, int32_t N) {
  int32_t R = I % N;
  return R < 0 ? R + N : R;
}

// r - round(r / n) * n, moved into [0, n); r itself when n = 0.
inline double PosModF(double R, int32_t N) {
  if (N == 0) return R;
  double V = R - std::nearbyint(R / N) * N;
  return V < 0 ? V + N : V;
}

// Base of the engine's exceptions: each component raises its own class with a fixed text.
class EDXError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Allocator whose value-less construction leaves the element uninitialized, so that a
// buffer about to be overwritten whole is not cleared first.
template <typename T>
class TDefaultInitAllocator : public std::allocator<T> {
 public:
  template <typename U>
  struct rebind {
    using other = TDefaultInitAllocator<U>;
  };
  using std::allocator<T>::allocator;
  template <typename U>
  void construct(U* P) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(P)) U;
  }
  template <typename U, typename... Args>
  void construct(U* P, Args&&... A) {
    ::new (static_cast<void*>(P)) U(std::forward<Args>(A)...);
  }
};
