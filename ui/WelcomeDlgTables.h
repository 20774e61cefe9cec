// The main dialog's fixed look as data: where each control goes with its font and text,
// which colour each static text takes, and what each page shows and hides.
#pragma once

#include <windows.h>

#include <cstddef>

// The dialog's fonts; all are Rockwell, medium weight, differing in height only.
enum class WelcomeFont
{
    None,        // the control gets no font of its own (buttons, picture boxes)
    Footer,      // -12
    Title,       // -30
    Subtitle,    // -24
    Body,        // -18
    GaugeLabel,  // -30
};

enum class WelcomeText
{
    None,         // moved only
    Fixed,        // the text in pszText
    VersionLine,  // built from the executable's version record
};

struct WelcomeControlPlacement
{
    int nId;
    int x, y, cx, cy;  // client coordinates of the 800 x 450 window
    WelcomeFont font;
    WelcomeText text;
    const wchar_t* pszText;
};

// Every control of the dialog in the order the layout visits them.
extern const WelcomeControlPlacement kWelcomeControlPlacements[];
extern const std::size_t kWelcomeControlPlacementCount;

// The LOGFONT height of each font, in the order the fonts are created.
struct WelcomeFontHeight
{
    WelcomeFont font;
    LONG lfHeight;
};
extern const WelcomeFontHeight kWelcomeFontHeights[];
extern const std::size_t kWelcomeFontHeightCount;

// The heights the edition value (1024) may take, from the body font's down to the
// footer's: the longest edition texts need a smaller font to fit its two lines whole.
extern const long kEditionFontHeights[];
extern const std::size_t kEditionFontHeightCount;

// The four PNG images of an image button: its normal, alternate, hover and disabled looks.
struct WelcomeButtonImages
{
    int nId;
    int nNormal, nAlternate, nHover, nDisabled;
};
// In the order the images are attached.
extern const WelcomeButtonImages kWelcomeButtonImages[];
extern const std::size_t kWelcomeButtonImageCount;

// Text colour of a static control by id; false when the id has none of its own.
bool LookUpStaticTextColour(int nId, COLORREF& colour);

enum class PageAction
{
    Show,         // every id from nFirstId to nLastId
    Hide,         // every id from nFirstId to nLastId
    SelectTab,    // nFirstId shows its selected face
    DeselectTab,  // nFirstId shows its ordinary faces
    PlayGif,      // nFirstId loads and plays GIF nGifId, then is shown
};

struct PageStep
{
    PageAction action;
    int nFirstId;
    int nLastId;
    int nGifId;
};

enum WelcomePage
{
    PAGE_WELCOME = 0,
    PAGE_ENGINE = 1,
    PAGE_SYSTEM = 2,
    PAGE_COUNT = 3,
};

// The steps that show a page, in order; nCount receives their number. Unknown pages
// give no steps.
const PageStep* GetPageSteps(int nPage, std::size_t& nCount);
