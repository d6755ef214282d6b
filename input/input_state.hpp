#pragma once
// What the keyboard, the mouse and text input did: the keys and buttons held now, and what
// happened between two drawn frames (presses, releases, clicks, the wheel, typed text).
// Every key is recorded from a window's start. Events a script injects wait in a queue and
// reach the same handlers at the next poll, as the window system's own would.

#include <bitset>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "input/key_names.hpp"

namespace orv {

struct Click {
    int button;  // 0 left, 1 right, 2 middle, ...
    double x;
    double y;
};

// One event a script injected.
struct InjectedEvent {
    enum class Kind { Key, Button, Move, Scroll, Text };
    explicit InjectedEvent(Kind k) : kind{k} {}

    Kind kind;
    int code = 0;     // key code, or mouse button number
    bool down = false;
    double x = 0.0;   // cursor position, or wheel offsets
    double y = 0.0;
    std::u32string text;
};

class InputState {
public:
    static constexpr int kButtons = 8;
    static constexpr int kCodes = kMouseCode + kButtons;

    // The handlers. `action` is the window system's press, release or repeat; a key code
    // outside the known range is ignored.
    void key(int code, int action);
    void button(int button, int action, double x, double y);
    void cursorMoved(double x, double y, bool injected);
    void scrolled(double dx, double dy);
    void typed(char32_t codepoint);

    // A frame is drawn: what happened since the previous one is what the queries see now.
    void endFrame();
    // A new window: nothing held, nothing happened, nothing waiting.
    void reset();

    bool down(int code) const;
    bool pressed(int code) const;
    bool released(int code) const;
    // Held key codes (not buttons), lowest first.
    std::vector<int> heldKeys() const;
    const std::vector<Click>& clicks() const { return shown.clicks; }
    std::pair<double, double> scroll() const { return shown.scroll; }
    const std::string& text() const { return shown.text; }

    // The cursor as the latest event left it; `injected` while no real motion followed an
    // injected one.
    double cursorX = -1.0;
    double cursorY = -1.0;
    bool cursorInjected = false;
    bool cursorSeen = false;

    // Injected events wait here until the next poll delivers them; a script that injects
    // without ever polling is stopped before the queue holds more than this.
    static constexpr size_t kMaxQueued = 100'000;
    void inject(InjectedEvent event);
    std::vector<InjectedEvent> takeInjected() { return std::exchange(queue, {}); }

private:
    struct Happened {
        std::bitset<kCodes> pressed;
        std::bitset<kCodes> released;
        std::vector<Click> clicks;
        std::pair<double, double> scroll{0.0, 0.0};
        std::string text;
    };

    void record(int code, int action);

    std::bitset<kCodes> held;
    Happened incoming;  // since the last drawn frame
    Happened shown;     // between the two frames drawn last
    std::vector<InjectedEvent> queue;
};

// The process-wide state the window's handlers write.
InputState& inputState();

}  // namespace orv
