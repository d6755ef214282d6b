// libFuzzer target for the input tables: the input is read as a sequence of operations
// (name look-ups, state look-ups, recorded key actions, queries, new windows), each
// mirrored on a plain model; the real tables must match the model after every step.
#include <fuzzer/FuzzedDataProvider.h>

#include <GLFW/glfw3.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "input/input_callbacks.hpp"
#include "input/key_tables.hpp"

namespace {

using orv::KeyNameTable;
using orv::KeyState;
using orv::KeyStateTable;

const KeyNameTable kBuiltIn{
    {"up", GLFW_KEY_UP},       {"down", GLFW_KEY_DOWN},   {"left", GLFW_KEY_LEFT},
    {"right", GLFW_KEY_RIGHT}, {"mouseLeft", GLFW_MOUSE_BUTTON_LEFT},
    {"mouseRight", GLFW_MOUSE_BUTTON_RIGHT},
    {"W", GLFW_KEY_W},         {"A", GLFW_KEY_A},         {"S", GLFW_KEY_S},
    {"D", GLFW_KEY_D},
};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "key_names_fuzzer: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

bool sameStates(const KeyStateTable& a, const KeyStateTable& b) {
    if (a.size() != b.size()) return false;
    for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
        if (ia->first != ib->first || ia->second.down != ib->second.down ||
            ia->second.clicked != ib->second.clicked) {
            return false;
        }
    }
    return true;
}

// The model of the state table, with the documented rules written out plainly; the
// name table never changes.
struct Model {
    KeyStateTable states;

    static int codeFor(const std::string& name) {
        auto it = kBuiltIn.find(name);
        return it == kBuiltIn.end() ? 0 : it->second;
    }

    void record(int code, int action) {
        auto it = states.find(code);
        if (it == states.end()) return;
        if (action == GLFW_PRESS) it->second = KeyState{true, false};
        if (action == GLFW_RELEASE) it->second = KeyState{false, true};
    }
};

class Ops {
public:
    explicit Ops(FuzzedDataProvider& p) : in{p} {}

    std::string name() {
        if (in.ConsumeBool()) {
            auto it = kBuiltIn.begin();
            std::advance(it, in.ConsumeIntegralInRange<std::size_t>(0, kBuiltIn.size() - 1));
            return it->first;
        }
        return in.ConsumeRandomLengthString(24);
    }

    int code() {
        switch (in.ConsumeIntegralInRange<int>(0, 2)) {
            case 0: {
                auto it = kBuiltIn.begin();
                std::advance(it, in.ConsumeIntegralInRange<std::size_t>(0, kBuiltIn.size() - 1));
                return it->second;
            }
            case 1: {
                const KeyStateTable& states = orv::keyStateTable();
                if (states.empty()) return in.ConsumeIntegral<int>();
                auto it = states.begin();
                std::advance(it, in.ConsumeIntegralInRange<std::size_t>(0, states.size() - 1));
                return it->first;
            }
            default:
                return in.ConsumeIntegral<int>();
        }
    }

    int action() {
        if (in.ConsumeBool()) return in.ConsumeIntegralInRange<int>(GLFW_RELEASE, GLFW_REPEAT);
        return in.ConsumeIntegral<int>();
    }

private:
    FuzzedDataProvider& in;
};

void checkAfterAction(const Model& model, std::size_t trackedBefore, int code, int action) {
    check(orv::keyStateTable().size() == trackedBefore, "a key action added a tracked code");
    auto it = orv::keyStateTable().find(code);
    if (it == orv::keyStateTable().end()) return;
    if (action == GLFW_PRESS) check(it->second.down && !it->second.clicked, "press: not down, or clicked");
    if (action == GLFW_RELEASE) check(!it->second.down && it->second.clicked, "release: down, or not clicked");
    (void)model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool startsRight = orv::keyNameTable() == kBuiltIn && orv::keyStateTable().empty();
    check(startsRight, "tables do not start with the ten names and no tracked code");

    // Each input starts from the load-time tables, so a crash reproduces from its input alone.
    orv::keyStateTable().clear();
    Model model;
    FuzzedDataProvider in(data, size);
    Ops pick(in);

    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange<int>(0, 7)) {
            case 0: {
                const std::string n = pick.name();
                check(orv::keyCodeFor(n) == model.codeFor(n), "keyCodeFor: wrong code");
                break;
            }
            case 1: {
                const int c = pick.code();
                const KeyState& got = orv::keyStateFor(c);
                const KeyState& want = model.states[c];
                check(got.down == want.down && got.clicked == want.clicked, "keyStateFor: wrong state");
                break;
            }
            case 2:
            case 3: {
                const int c = pick.code();
                const int a = pick.action();
                const std::size_t before = orv::keyStateTable().size();
                if (in.ConsumeBool()) {
                    orv::recordKeyAction(c, a);
                } else if (in.ConsumeBool()) {
                    orv::keyCallback(nullptr, c, in.ConsumeIntegral<int>(), a, in.ConsumeIntegral<int>());
                } else {
                    orv::mouseButtonCallback(nullptr, c, a, in.ConsumeIntegral<int>());
                }
                model.record(c, a);
                checkAfterAction(model, before, c, a);
                break;
            }
            case 4: {
                const std::string n = pick.name();
                const bool want = model.states[model.codeFor(n)].down;
                check(orv::isButtonDown(n) == want, "isButtonDown: wrong answer");
                break;
            }
            case 5: {
                const std::string n = pick.name();
                KeyState& state = model.states[model.codeFor(n)];
                const bool want = state.clicked;
                state.clicked = false;
                check(orv::takeButtonClicked(n) == want, "takeButtonClicked: wrong answer");
                check(!orv::keyStateFor(orv::keyCodeFor(n)).clicked, "takeButtonClicked: click not taken");
                break;
            }
            case 6: {
                std::vector<std::string> names(in.ConsumeIntegralInRange<std::size_t>(0, 5));
                for (std::string& n : names) n = pick.name();
                bool want = true;
                for (const std::string& n : names) {
                    if (!model.states[model.codeFor(n)].down) {
                        want = false;
                        break;
                    }
                }
                check(orv::isComboDown(names) == want, "isComboDown: wrong answer");
                break;
            }
            case 7: {
                // A new window: everything tracked is let go and stays tracked.
                orv::releaseTrackedKeys();
                for (auto& entry : model.states) entry.second = KeyState{};
                break;
            }
        }

        // Looking names up never stores them: the table keeps its ten names and codes.
        check(orv::keyNameTable() == kBuiltIn, "the name table changed");
        check(sameStates(orv::keyStateTable(), model.states), "state table differs from the model");
    }
    return 0;
}
