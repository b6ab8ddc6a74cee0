// GoogleTest glue for farhost: every host failure fails the running test at
// once, with the host's text naming the call that caused it.
#pragma once

#include "FarHost.h"

#include <gtest/gtest.h>

namespace farhost {

inline Options GtestOptions(Options options = Options()) {
  options.onFailure = [](const std::string& text) { ADD_FAILURE() << "farhost: " << text; };
  return options;
}

}  // namespace farhost

// Fails the test when a screen is still saved, a dir list unfreed, an answer
// unused, or any failure was recorded.
#define EXPECT_HOST_BALANCED(host) EXPECT_TRUE((host).CheckBalanced()) << (host).FailureText()
