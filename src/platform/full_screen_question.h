// What the player is asked when the chosen full-screen mode cannot be had, and told after No.
#pragma once

constexpr const char* full_screen_question =
    "The requested fullscreen mode is not\nsupported by your video card.\nUse the windowed mode "
    "instead?";
constexpr const char* full_screen_caption = "Swirlbeam";
constexpr const char* closing_notice = "Program will now close.";
