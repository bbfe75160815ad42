// The picture of the spectrum's colouring brush, made from the upper view's
// background: a green gradient that rises towards the top, then two
// smoothing passes that also brighten the green.
//
// Pixels: 4 bytes each, blue, green, red and a fourth byte without meaning;
// rows bottom-up (memory row 0 is the picture's bottom line); `stride` is the
// byte length of a memory row (at least width x 4).
#pragma once

#include <cstddef>
#include <cstdint>

// Added to the doubled green of every pixel by the gradient (8-bit, wrapping).
inline constexpr int kGradientGreenBase = 20;
// Smoothing weights: the pixel itself, its four edge neighbours, its four
// diagonal neighbours (they add up to 1).
inline constexpr double kSmoothCentreWeight = 0.44;
inline constexpr double kSmoothEdgeWeight = 0.11;
inline constexpr double kSmoothCornerWeight = 0.03;
// Green after each smoothing pass: kSmoothGreenLift + trunc(kSmoothGreenGain x sum).
inline constexpr int kSmoothGreenLift = 5;
inline constexpr double kSmoothGreenGain = 1.3;

// Each of the four bytes of a packed pixel times `factor`, truncated toward
// zero.
std::uint32_t ScalePixelBytes(std::uint32_t pixel, double factor);

// Green of memory row `row` of a `height`-row picture after the gradient:
// (trunc(row x (1 / height) x ((2 x green) mod 256)) + 20) mod 256.
std::uint8_t GradientGreen(std::uint8_t green, std::int32_t row, std::int32_t height);

// The gradient over the whole picture: green only, blue and red unchanged.
void ApplyGreenGradient(std::uint8_t* bits, std::int32_t width, std::int32_t height, std::ptrdiff_t stride);

// One smoothing pass from `src` into `dst` (same size and stride; distinct
// buffers). Neighbours outside the picture count as black; the fourth byte of
// `dst` is left as it was.
void SmoothPass(const std::uint8_t* src, std::uint8_t* dst, std::int32_t width, std::int32_t height,
                std::ptrdiff_t stride);

// Gradient and two smoothing passes, in place, through a scratch buffer of
// height x stride bytes that the caller provides.
void MakeColouringPicture(std::uint8_t* bits, std::uint8_t* scratch, std::int32_t width, std::int32_t height,
                          std::ptrdiff_t stride);
