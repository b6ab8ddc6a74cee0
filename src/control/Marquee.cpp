#include "control/Marquee.h"

namespace {

constexpr int kMarqueeFirst = 2;  // the letter after the "M"
constexpr int kMarqueeLast = 6;   // the "X"
constexpr int kMarqueeLength = sizeof(kMarqueeText) - 1;
constexpr int kLowerLength = sizeof(kMarqueeLowerText) - 1;

void Put(char* text, size_t size, int position, const char* from, int fromLength) {
  if (position < 0 || position >= fromLength) return;
  if (static_cast<size_t>(position) + 1 >= size) return;  // keep the terminator
  text[position] = from[position];
}

}  // namespace

void MarqueeStep(char* text, size_t size, int* position) {
  if (text == nullptr || size == 0 || position == nullptr) return;
  int p = *position;
  if (p < 0 || p >= kMarqueeLength) p = 0;
  Put(text, size, p, kMarqueeText, kMarqueeLength);
  p = p >= kMarqueeLast ? kMarqueeFirst : p + 1;
  Put(text, size, p, kMarqueeLowerText, kLowerLength);
  *position = p;
}
