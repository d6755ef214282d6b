#pragma once
// Key and button names, and the per-code state recorded by the window's event handlers.

#include <map>
#include <string>
#include <vector>

namespace orv {

struct KeyState {
    bool down = false;
    bool clicked = false;
};

using KeyNameTable = std::map<std::string, int>;
using KeyStateTable = std::map<int, KeyState>;

// The process-wide tables: ten names at load, no tracked codes.
KeyNameTable& keyNameTable();
KeyStateTable& keyStateTable();

// The code of a name; an unknown name reads as code 0 (the left mouse button) and is
// not stored.
int keyCodeFor(const std::string& name);
// The state of a code; starts tracking it on first use.
KeyState& keyStateFor(int code);

// A new window has seen no press: every tracked code reads not down and not clicked,
// and stays tracked.
void releaseTrackedKeys();

// The handlers' rule: untracked codes are ignored, press sets down, release sets
// clicked, anything else (repeat) changes nothing.
void recordKeyAction(int code, int action);

// The queries behind buttonDown, buttonClicked and buttonComboDown.
bool isButtonDown(const std::string& name);
bool takeButtonClicked(const std::string& name);
bool isComboDown(const std::vector<std::string>& names);

}  // namespace orv
