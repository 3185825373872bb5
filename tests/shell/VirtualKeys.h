#pragma once
// The keys the tests press, as the platform numbers them: Windows virtual-key numbers.

#include <cstdint>

constexpr int32_t VkBackspace = 8;
constexpr int32_t VkReturn = 13;
constexpr int32_t VkControl = 17;
constexpr int32_t VkEscape = 27;
constexpr int32_t VkSpace = 32;
constexpr int32_t VkLeft = 37;
constexpr int32_t VkUp = 38;
constexpr int32_t VkRight = 39;
constexpr int32_t VkDown = 40;
constexpr int32_t VkF1 = 112;
constexpr int32_t VkF5 = 116;
constexpr int32_t VkF9 = 120;
