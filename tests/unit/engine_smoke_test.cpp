#include <gtest/gtest.h>

#include "send_input.h"
#include "sim_keyboard.h"

namespace typomancer {
namespace {

TEST(EngineSmoke, OneLetterIsOneDownAndOneUp) {
    SimKeyboard keyboard;
    MSendInput engine(keyboard);
    engine.SendKeyText(u"a");
    ASSERT_EQ(keyboard.injections.size(), 1u);
    EXPECT_EQ(keyboard.injections[0].size(), 2u);
}

}  // namespace
}  // namespace typomancer
