#include <gtest/gtest.h>

// Keeps the DSP test executable buildable before the first algorithm test lands.
TEST(DspLibrary, Links) { SUCCEED(); }
