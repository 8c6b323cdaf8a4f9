#pragma once
// Byte strings as hex text: the control protocol carries every byte value this way.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillsim {

std::string ToHex(const std::vector<uint8_t>& bytes);
// Two digits a byte, either case, no separators; false on anything else.
bool FromHex(std::string_view text, std::vector<uint8_t>& bytes);
// Printable sample text (sentences ending in CR, as the device stores lines).
std::vector<uint8_t> SampleText(uint32_t count);

}  // namespace quillsim
