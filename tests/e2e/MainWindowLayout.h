// The main window's controls as a user meets them: where each sits, on which page it
// shows and what it says before any page command runs; and the check that a page shows
// exactly its controls.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace e2e {

enum class Page { All, Welcome, Tabs, Engine, System };

// The page numbers the window moves between.
constexpr int kWelcomePage = 0;
constexpr int kEnginePage = 1;
constexpr int kSystemPage = 2;

struct Place
{
    int x, y, width, height;
};

struct ExpectedControl
{
    int id;
    Page page;
    Place place;
    const wchar_t* text;  // nullptr: not a text control, or checked by its own test
};

extern const std::vector<ExpectedControl> kMainWindowControls;

bool IsShownOnPage(Page controlPage, int pageNumber);
RECT ToRect(const Place& place);
std::vector<HWND> DirectChildrenOf(HWND parent);
// Every control of the page (and those of all pages) shown, every other control hidden,
// and no other child window visible.
testing::AssertionResult ShowsExactlyPage(HWND mainWindow, int pageNumber);
// Rectangles of the visible controls, each grown by `margin` pixels, in client coordinates.
std::vector<RECT> VisibleControlRects(HWND mainWindow, int margin);

}  // namespace e2e
