// Input states: the key-assignment table, merging keyboard and joystick, the foreground rule and
// the key edges the game derives from them.
#include <gtest/gtest.h>

#include "app/Form.h"
#include "engine/DXInput.h"
#include "engine/Errors.h"
#include "platform/HeadlessWindow.h"
#include "platform/KeyCodes.h"
#include "stage/GameState.h"
#include "stage/KeyEdges.h"

namespace {

struct InputFixture : ::testing::Test {
    platform::HeadlessWindow window;
    TDXInput input{&window};
    void SetUp() override {
        input.Keyboard.Assigns = TKeyboard::GameAssigns();
        input.Reinitialize();
    }
};

TEST_F(InputFixture, PauseAndEscTogetherSetBothButtons) {
    window.SetKey('P', true);
    window.SetKey(vk::Escape, true);
    input.Poll();
    EXPECT_TRUE(input.Has(isButton4));
    EXPECT_TRUE(input.Has(isButton5));
}

TEST_F(InputFixture, TwoKeysOfOneStateKeepItWhileEitherIsHeld) {
    window.SetKey(vk::Up, true);
    input.Poll();
    window.SetKey(vk::Numpad0 + 8, true);
    input.Poll();
    EXPECT_TRUE(input.Has(isUp));
    window.SetKey(vk::Up, false);
    input.Poll();
    EXPECT_TRUE(input.Has(isUp)) << "numeric pad 8 is still held";
    window.SetKey(vk::Numpad0 + 8, false);
    input.Poll();
    EXPECT_FALSE(input.Has(isUp));
}

TEST_F(InputFixture, KeysReadAsReleasedWithoutFocus) {
    window.SetKey(vk::Space, true);
    window.SetKey(vk::Left, true);
    input.Poll();
    EXPECT_TRUE(input.Has(isButton8));
    window.SetForeground(false);
    input.Poll();
    EXPECT_TRUE(input.States.Empty());
    platform::JoystickReading r;
    r.X = -32768;
    r.Buttons = 1u << 7;
    r.ButtonCount = 10;
    window.SetJoystick(0, r);
    input.Poll();
    EXPECT_TRUE(input.States.Empty()) << "the joystick obeys the same rule";
}

TEST_F(InputFixture, AStateClearedByTheProgramStaysClearUntilPressedAgain) {
    window.SetKey('Y', true);
    input.Poll();
    input.States.Exclude(isButton6);
    input.Poll();
    EXPECT_FALSE(input.Has(isButton6));
    window.SetKey('Y', false);
    input.Poll();
    window.SetKey('Y', true);
    input.Poll();
    EXPECT_TRUE(input.Has(isButton6));
}

TEST_F(InputFixture, JoystickAxesAndButtonsFeedTheStates) {
    struct Case {
        int32_t x, y;
        uint32_t buttons;
        std::vector<TDXInputState> expected;
    };
    const Case cases[] = {
        {0, 0, 0, {}},
        {-32768, 0, 0, {isLeft}},
        {32767, 32767, 0, {isRight, isDown}},
        {0, -32768, 1u << 3, {isUp, isButton4}},
        {-12000, 12000, 0, {}}, // under half-way: inside the dead zone
        {-20000, 0, (1u << 7) | (1u << 31), {isLeft, isButton8, isButton32}},
    };
    for (const Case& c : cases) {
        platform::JoystickReading r;
        r.X = c.x;
        r.Y = c.y;
        r.Buttons = c.buttons;
        r.ButtonCount = 32;
        window.SetJoystick(0, r);
        input.Poll();
        TDXInputStates expected;
        for (auto s : c.expected)
            expected.Include(s);
        EXPECT_EQ(input.States, expected) << "x " << c.x << " y " << c.y;
    }
}

TEST(JoystickScaling, DeadZoneAndRange) {
    // Windows-style axis 0..65535, centre 32767.
    EXPECT_EQ(TJoystick::ScaleAxis(32767, 0, 65535, 1000, 50), 0);
    EXPECT_EQ(TJoystick::ScaleAxis(65535, 0, 65535, 1000, 50), 1000);
    EXPECT_EQ(TJoystick::ScaleAxis(0, 0, 65535, 1000, 50), -1000);
    EXPECT_EQ(TJoystick::ScaleAxis(40000, 0, 65535, 1000, 50), 0);
    EXPECT_EQ(TJoystick::ScaleAxis(65535, 0, 65535, 1000, 100), 0) << "a dead zone of 100 silences the axis";
    EXPECT_GT(TJoystick::ScaleAxis(60000, 0, 65535, 1000, 0), 800);
}

TEST(KeyboardTables, StoredLayoutIs432BytesInStateThenSlotOrder) {
    TKeyAssigns game = TKeyboard::GameAssigns();
    std::vector<uint8_t> bytes = TKeyboard::WriteAssigns(game);
    ASSERT_EQ(bytes.size(), 432u);
    EXPECT_EQ(bytes[0], 38);  // Up, slot 1
    EXPECT_EQ(bytes[4], 0);   // Up, slot 2 empty
    EXPECT_EQ(bytes[8], 104); // Up, slot 3
    TKeyAssigns back{};
    ASSERT_TRUE(TKeyboard::ReadAssigns(bytes, back));
    EXPECT_EQ(back, game);
    bytes.pop_back();
    EXPECT_FALSE(TKeyboard::ReadAssigns(bytes, back));
}

TEST(KeyboardTables, AKeyboardMadeOutsideTheFormUsesTheDefaultTable) {
    platform::HeadlessWindow window;
    TDXInput input(&window);
    input.Reinitialize();
    window.SetKey('K', true);
    window.SetKey(vk::F1 + 1, true);
    input.Poll();
    EXPECT_TRUE(input.Has(isUp));
    EXPECT_TRUE(input.Has(isButton9));
}

TEST(InputComponent, NeedsAForm) {
    EXPECT_THROW({ TDXInput input(nullptr); }, EDXInputError);
}

TEST(InputEdges, HitOnlyOnTheFrameTheKeyWentDown) {
    platform::HeadlessWindow window;
    TDXInput input(&window);
    input.Keyboard.Assigns = TKeyboard::GameAssigns();
    input.Reinitialize();
    ResetInputEdges();
    window.SetKey('P', true);
    window.SetKey('N', true);
    input.Poll();
    UpdateInputEdges(input);
    EXPECT_TRUE(PauseKeyHit);
    EXPECT_TRUE(NoKeyHit);
    EXPECT_FALSE(EscKeyHit);
    input.Poll();
    UpdateInputEdges(input);
    EXPECT_FALSE(PauseKeyHit) << "held, not pressed again";
    EXPECT_TRUE(PauseKeyWasDown);
    window.SetKey('P', false);
    input.Poll();
    UpdateInputEdges(input);
    window.SetKey('P', true);
    input.Poll();
    UpdateInputEdges(input);
    EXPECT_TRUE(PauseKeyHit);
    ResetInputEdges();
    EXPECT_FALSE(PauseKeyHit);
    EXPECT_FALSE(PauseKeyWasDown);
}

} // namespace
