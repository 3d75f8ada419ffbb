// What a skinned screen offers its buttons: a button reports its index, and the screen
// turns it into the button's name and runs its own command handler with that name. The
// main window, the sub-screen panels and the summary screens each implement it; buttons
// find it on their parent widget.
#pragma once

#include <string>

namespace brindle::skin {

class SkinScreen {
public:
    virtual ~SkinScreen() = default;

    // A button of this screen was clicked: index is its position in the screen's button
    // list. An index outside the list does nothing.
    virtual void ButtonPressedByIndex(int index) = 0;
    // The screen's command handler; names are compared exactly.
    virtual void ButtonPressed(const std::string& name) = 0;

protected:
    SkinScreen() = default;
    SkinScreen(const SkinScreen&) = default;
    SkinScreen& operator=(const SkinScreen&) = default;
};

}  // namespace brindle::skin
