#include "input/input_callbacks.hpp"
#include "input/key_tables.hpp"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

namespace orv {
namespace {

const KeyNameTable kInitialNames{
    {"up", 265},   {"down", 264}, {"left", 263}, {"right", 262}, {"mouseLeft", 0},
    {"mouseRight", 1}, {"W", 87}, {"A", 65},     {"S", 83},      {"D", 68},
};

// The state table is process-wide; empty it so test order doesn't matter.
class KeyTables : public ::testing::Test {
protected:
    void SetUp() override { keyStateTable().clear(); }
    void TearDown() override { keyStateTable().clear(); }
};

TEST_F(KeyTables, StartsWithTheTenNames) {
    EXPECT_EQ(keyNameTable(), kInitialNames);
    EXPECT_EQ(keyCodeFor("up"), GLFW_KEY_UP);
    EXPECT_EQ(keyCodeFor("mouseRight"), GLFW_MOUSE_BUTTON_RIGHT);
}

TEST_F(KeyTables, UntrackedEventsAreDropped) {
    recordKeyAction(GLFW_KEY_W, GLFW_PRESS);
    recordKeyAction(GLFW_KEY_A, GLFW_RELEASE);
    keyCallback(nullptr, GLFW_KEY_S, 0, GLFW_PRESS, 0);
    mouseButtonCallback(nullptr, GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE, 0);
    EXPECT_TRUE(keyStateTable().empty());
}

TEST_F(KeyTables, KeyHeldBeforeFirstQueryNeedsAFreshPress) {
    keyCallback(nullptr, GLFW_KEY_W, 17, GLFW_PRESS, 0);
    EXPECT_FALSE(isButtonDown("W"));  // starts tracking, press was lost
    keyCallback(nullptr, GLFW_KEY_W, 17, GLFW_REPEAT, 0);
    EXPECT_FALSE(isButtonDown("W"));
    keyCallback(nullptr, GLFW_KEY_W, 17, GLFW_RELEASE, 0);
    EXPECT_FALSE(isButtonDown("W"));
    keyCallback(nullptr, GLFW_KEY_W, 17, GLFW_PRESS, GLFW_MOD_SHIFT);
    EXPECT_TRUE(isButtonDown("W"));
}

TEST_F(KeyTables, ClickIsReportedOncePerRelease) {
    EXPECT_FALSE(takeButtonClicked("mouseRight"));
    mouseButtonCallback(nullptr, GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS, 0);
    EXPECT_TRUE(isButtonDown("mouseRight"));
    EXPECT_FALSE(takeButtonClicked("mouseRight"));
    mouseButtonCallback(nullptr, GLFW_MOUSE_BUTTON_RIGHT, GLFW_RELEASE, 0);
    EXPECT_FALSE(isButtonDown("mouseRight"));
    EXPECT_TRUE(takeButtonClicked("mouseRight"));
    EXPECT_FALSE(takeButtonClicked("mouseRight"));
    // Querying the click must not disturb the down flag.
    mouseButtonCallback(nullptr, GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS, 0);
    EXPECT_FALSE(takeButtonClicked("mouseRight"));
    EXPECT_TRUE(isButtonDown("mouseRight"));
}

TEST_F(KeyTables, PressAfterReleaseCancelsTheClick) {
    keyStateFor(GLFW_KEY_UP);
    recordKeyAction(GLFW_KEY_UP, GLFW_PRESS);
    recordKeyAction(GLFW_KEY_UP, GLFW_RELEASE);
    recordKeyAction(GLFW_KEY_UP, GLFW_PRESS);
    EXPECT_FALSE(takeButtonClicked("up"));
    EXPECT_TRUE(isButtonDown("up"));
}

TEST_F(KeyTables, RepeatAndUnknownActionsChangeNothing) {
    KeyState& state = keyStateFor(GLFW_KEY_D);
    recordKeyAction(GLFW_KEY_D, GLFW_REPEAT);
    EXPECT_FALSE(state.down);
    EXPECT_FALSE(state.clicked);

    recordKeyAction(GLFW_KEY_D, GLFW_RELEASE);
    recordKeyAction(GLFW_KEY_D, GLFW_REPEAT);
    recordKeyAction(GLFW_KEY_D, 7);
    EXPECT_FALSE(state.down);
    EXPECT_TRUE(state.clicked);

    recordKeyAction(GLFW_KEY_D, GLFW_PRESS);
    recordKeyAction(GLFW_KEY_D, GLFW_REPEAT);
    EXPECT_TRUE(state.down);
    EXPECT_FALSE(state.clicked);
}

TEST_F(KeyTables, ComboStopsAtFirstUpKey) {
    EXPECT_TRUE(isComboDown({}));
    EXPECT_TRUE(keyStateTable().empty());

    EXPECT_FALSE(isComboDown({"left", "right"}));
    EXPECT_EQ(keyStateTable().count(GLFW_KEY_LEFT), 1u);
    EXPECT_EQ(keyStateTable().count(GLFW_KEY_RIGHT), 0u);

    recordKeyAction(GLFW_KEY_LEFT, GLFW_PRESS);
    recordKeyAction(GLFW_KEY_RIGHT, GLFW_PRESS);  // still untracked: dropped
    EXPECT_FALSE(isComboDown({"left", "right", "down"}));
    EXPECT_EQ(keyStateTable().count(GLFW_KEY_RIGHT), 1u);
    EXPECT_EQ(keyStateTable().count(GLFW_KEY_DOWN), 0u);

    recordKeyAction(GLFW_KEY_RIGHT, GLFW_PRESS);
    EXPECT_TRUE(isComboDown({"left", "right"}));
    EXPECT_TRUE(isComboDown({"left", "left"}));
}

TEST_F(KeyTables, UnknownNamesAliasTheLeftMouseButton) {
    EXPECT_EQ(keyCodeFor("space"), 0);
    EXPECT_EQ(keyCodeFor("w"), 0);  // names are case-sensitive
    EXPECT_EQ(keyCodeFor("Up"), 0);
    EXPECT_EQ(keyCodeFor("W"), GLFW_KEY_W);

    EXPECT_FALSE(isButtonDown("jump"));
    mouseButtonCallback(nullptr, GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS, 0);
    EXPECT_TRUE(isButtonDown("jump"));
    EXPECT_TRUE(isButtonDown("mouseLeft"));
    mouseButtonCallback(nullptr, GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE, 0);
    EXPECT_TRUE(takeButtonClicked("space"));
    EXPECT_FALSE(takeButtonClicked("mouseLeft"));
    // Nothing of them is kept: a script may ask about ever new names.
    EXPECT_EQ(keyNameTable(), kInitialNames);
    EXPECT_EQ(keyStateTable().size(), 1u);
}

TEST_F(KeyTables, NewWindowReleasesTrackedKeysAndKeepsThemTracked) {
    isButtonDown("up");
    isButtonDown("mouseRight");
    takeButtonClicked("D");
    recordKeyAction(GLFW_KEY_UP, GLFW_PRESS);
    recordKeyAction(GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS);
    recordKeyAction(GLFW_KEY_D, GLFW_PRESS);
    recordKeyAction(GLFW_KEY_D, GLFW_RELEASE);
    releaseTrackedKeys();
    EXPECT_EQ(keyStateTable().size(), 3u);
    for (const auto& [code, state] : keyStateTable()) {
        EXPECT_FALSE(state.down) << code;
        EXPECT_FALSE(state.clicked) << code;
    }
    recordKeyAction(GLFW_KEY_UP, GLFW_PRESS);  // still tracked: seen without a new query
    EXPECT_TRUE(keyStateTable().at(GLFW_KEY_UP).down);
}

}  // namespace
}  // namespace orv
