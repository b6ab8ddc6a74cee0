// The moving lower-case letter in the information panel's title.
#include "control/Marquee.h"

#include <gtest/gtest.h>

#include <string.h>

TEST(Marquee, RunsOverTheLettersAfterTheFirstAndStartsAgain) {
  char text[80] = kMarqueeText;
  int position = 0;
  // After loading the first two steps pass positions 1 and 2 of " MELVOX ".
  const char* const expected[] = {" MELVOX ", " MeLVOX ", " MElVOX ", " MELvOX ", " MELVoX ",
                                  " MELVOx ", " MeLVOX ", " MElVOX "};
  const int positions[] = {1, 2, 3, 4, 5, 6, 2, 3};
  for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i) {
    MarqueeStep(text, sizeof text, &position);
    EXPECT_STREQ(expected[i], text) << "step " << i + 1;
    EXPECT_EQ(positions[i], position) << "step " << i + 1;
  }
}

TEST(Marquee, StaysInsideItsBufferAndMendsAStrangePosition) {
  char small[4] = " ME";  // room for three characters and the terminator
  int position = 2;
  MarqueeStep(small, sizeof small, &position);
  EXPECT_STREQ(" ME", small) << "position 3 is the terminator's: left alone";
  EXPECT_EQ(3, position);
  char text[80] = " MELVoX ";
  position = -7;  // taken as 0: nothing to put back there
  MarqueeStep(text, sizeof text, &position);
  EXPECT_EQ(1, position);
  EXPECT_STREQ(" MELVoX ", text);
  MarqueeStep(nullptr, 0, &position);  // no text: nothing happens
  EXPECT_EQ(1, position);
}
