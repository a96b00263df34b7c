#include "filmstrip/frame_dialogue.h"

#include <cstring>

#include "common/byte_order.h"

namespace varnholt {

int32_t AskNumber(TConsole& console, std::string_view prompt) {
  console.Write(prompt);
  console.Flush();
  const std::string answer = console.ReadLine();
  int32_t value = 0;
  if (!TextToInteger(answer, value)) RaiseFailure("EConvertError", "'" + answer + "' is not a valid integer value");
  return value;
}

TFilmstripTail AskFrameGeometry(TConsole& console, uint32_t rows, uint32_t columns) {
  TFilmstripTail tail{};
  std::memcpy(tail.Signature, "Rand", 4);
  tail.Width = SwapWord(static_cast<uint16_t>(columns));
  // Only the low 16 bits of each answer count; each is converted before the next prompt.
  const uint16_t frameHeight = static_cast<uint16_t>(AskNumber(console, "Enter cursor frame height: "));
  const uint16_t leading = static_cast<uint16_t>(AskNumber(console, "Enter cursor leading frame height: "));
  const uint16_t framesPerSecond = static_cast<uint16_t>(AskNumber(console, "Enter frames per seconds: "));
  // Added in 32 bits: 65535 + 1 is 65536, not 0.
  const uint32_t slot = uint32_t{frameHeight} + uint32_t{leading};
  if (slot == 0) RaiseFailure("EDivByZero", "Division by zero");
  tail.FrameCount = SwapLong(rows / slot);
  tail.FrameHeight = SwapWord(frameHeight);
  tail.Leading = SwapWord(leading);
  tail.FramesPerSecond = SwapWord(framesPerSecond);
  return tail;
}

}  // namespace varnholt
