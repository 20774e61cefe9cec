// Which of the image button's pre-composed faces its current state shows. Portable.
#pragma once

enum class ButtonFace
{
    Normal,
    Pressed,
    Hover,
    Disabled,
    AltNormal,
    AltPressed,
    AltHover,
};

struct ButtonFaceState
{
    bool disabledLook = false; // the owner wants the disabled look whatever the mouse does
    bool pressed = false;      // the button is held down
    bool hovering = false;     // the mouse rests on the button
    int alternateState = 0;    // non-zero selects the alternate set
    bool hasAlternate = false; // an alternate image was set (the pressed and alternate faces exist)
    bool hasHover = false;     // a hover image was set
};

// The disabled look wins over everything. The pressed and alternate faces are made from the
// alternate image, so without one the normal set is used: a press then shows the hover face
// (or the normal face when there is no hover image either).
inline ButtonFace ChooseButtonFace(const ButtonFaceState& state)
{
    if (state.disabledLook)
        return ButtonFace::Disabled;
    const bool alternateSet = state.alternateState != 0 && state.hasAlternate;
    if (state.pressed)
    {
        if (alternateSet)
            return ButtonFace::AltPressed;
        if (state.hasAlternate)
            return ButtonFace::Pressed;
        return state.hasHover ? ButtonFace::Hover : ButtonFace::Normal;
    }
    if (state.hovering)
        return alternateSet ? ButtonFace::AltHover : ButtonFace::Hover;
    return alternateSet ? ButtonFace::AltNormal : ButtonFace::Normal;
}
