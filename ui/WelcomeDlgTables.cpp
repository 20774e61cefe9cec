#include "ui/WelcomeDlgTables.h"

#include "res/resource.h"

#include <iterator>

const WelcomeControlPlacement kWelcomeControlPlacements[] = {
    // Header buttons and Start.
    {IDC_CONTACT, 740, 4, 24, 24, WelcomeFont::None, WelcomeText::None, nullptr},
    {IDC_CLOSE, 772, 4, 24, 24, WelcomeFont::None, WelcomeText::None, nullptr},
    {IDC_START, 336, 370, 250, 38, WelcomeFont::None, WelcomeText::None, nullptr},
    // Welcome page and footer.
    {IDC_WELCOME, 391, 43, 165, 33, WelcomeFont::Title, WelcomeText::Fixed, L"WELCOME"},
    {IDC_SLOGAN, 300, 115, 340, 33, WelcomeFont::Subtitle, WelcomeText::Fixed,
     L"Vexra Boost Your Applications"},
    {IDC_VERSION, 195, 428, 320, 19, WelcomeFont::Footer, WelcomeText::VersionLine, nullptr},
    {IDC_PRODUCT_YEAR, 719, 428, 75, 19, WelcomeFont::Footer, WelcomeText::Fixed,
     L"Vexra,2018"},
    // Animation, tabs and the System page's header image.
    {IDC_WELCOME_ANIMATION, 335, 161, 291, 175, WelcomeFont::None, WelcomeText::None, nullptr},
    {IDC_TAB_ENGINE, 30, 177, 152, 52, WelcomeFont::None, WelcomeText::None, nullptr},
    {IDC_TAB_SYSTEM, 30, 232, 152, 52, WelcomeFont::None, WelcomeText::None, nullptr},
    {IDC_SYSTEM_ICON, 208, 8, 64, 54, WelcomeFont::None, WelcomeText::None, nullptr},
    // System page: the title, then label and value pairs. The values are placeholders
    // until the system facts are gathered.
    {IDC_SYSTEM_TITLE, 277, 25, 277, 36, WelcomeFont::Subtitle, WelcomeText::Fixed,
     L"System Information :"},
    {IDC_SYSTEM_COMPUTER_LABEL, 225, 125, 150, 19, WelcomeFont::Body, WelcomeText::Fixed,
     L"Computer Name:"},
    {IDC_SYSTEM_COMPUTER_VALUE, 378, 125, 410, 19, WelcomeFont::Body, WelcomeText::Fixed, L"A"},
    {IDC_SYSTEM_EDITION_LABEL, 225, 175, 150, 19, WelcomeFont::Body, WelcomeText::Fixed,
     L"Windows Edition:"},
    // Two lines of the body font: the edition text is often longer than the width.
    {IDC_SYSTEM_EDITION_VALUE, 378, 175, 410, 42, WelcomeFont::Body, WelcomeText::Fixed, L"A"},
    {IDC_SYSTEM_PROCESSOR_LABEL, 225, 225, 92, 19, WelcomeFont::Body, WelcomeText::Fixed,
     L"Processor:"},
    {IDC_SYSTEM_PROCESSOR_VALUE, 320, 225, 410, 19, WelcomeFont::Body, WelcomeText::Fixed,
     L"A"},
    {IDC_SYSTEM_MEMORY_LABEL, 225, 275, 225, 19, WelcomeFont::Body, WelcomeText::Fixed,
     L"Installed Memory (RAM:)"},
    {IDC_SYSTEM_MEMORY_VALUE, 453, 275, 410, 19, WelcomeFont::Body, WelcomeText::Fixed, L"A"},
    {IDC_SYSTEM_TYPE_LABEL, 225, 325, 110, 19, WelcomeFont::Body, WelcomeText::Fixed,
     L"System Type:"},
    {IDC_SYSTEM_TYPE_VALUE, 338, 325, 410, 19, WelcomeFont::Body, WelcomeText::Fixed, L"A"},
    // Engine page's header image and gauges.
    {IDC_ENGINE_ICON, 208, 13, 64, 54, WelcomeFont::None, WelcomeText::None, nullptr},
    {IDC_CPU_GAUGE, 305, 156, 76, 76, WelcomeFont::None, WelcomeText::None, nullptr},
    {IDC_MEMORY_GAUGE, 578, 168, 88, 58, WelcomeFont::None, WelcomeText::None, nullptr},
    // Engine page texts; usage, count and focus are placeholders until the engine runs.
    {IDC_ENGINE_TITLE, 277, 28, 290, 36, WelcomeFont::Title, WelcomeText::Fixed,
     L"Vexra Engine Status:"},
    {IDC_ENGINE_STATUS, 570, 28, 250, 36, WelcomeFont::Title, WelcomeText::Fixed,
     L"Processing"},
    {IDC_ENGINE_CPU_LABEL, 309, 104, 68, 32, WelcomeFont::GaugeLabel, WelcomeText::Fixed,
     L"CPU"},
    {IDC_ENGINE_MEMORY_LABEL, 555, 104, 155, 32, WelcomeFont::GaugeLabel, WelcomeText::Fixed,
     L"MEMORY"},
    {IDC_ENGINE_CPU_USAGE, 301, 255, 106, 32, WelcomeFont::Body, WelcomeText::Fixed,
     L"Usage:50%"},
    {IDC_ENGINE_MEMORY_USAGE, 578, 255, 106, 32, WelcomeFont::Body, WelcomeText::Fixed,
     L"Usage:50%"},
    {IDC_ENGINE_PROCESS_LABEL, 290, 326, 240, 32, WelcomeFont::Body, WelcomeText::Fixed,
     L"Number of Running Process:"},
    {IDC_ENGINE_PROCESS_COUNT, 533, 326, 106, 32, WelcomeFont::Body, WelcomeText::Fixed, L"0"},
    {IDC_ENGINE_FOCUS_LABEL, 290, 360, 110, 32, WelcomeFont::Subtitle, WelcomeText::Fixed,
     L"Focus on:"},
    {IDC_ENGINE_FOCUS_VALUE, 403, 360, 256, 32, WelcomeFont::Subtitle, WelcomeText::Fixed,
     L"Do something..."},
};
const std::size_t kWelcomeControlPlacementCount = std::size(kWelcomeControlPlacements);

const WelcomeFontHeight kWelcomeFontHeights[] = {
    {WelcomeFont::Footer, -12},   {WelcomeFont::Title, -30}, {WelcomeFont::Subtitle, -24},
    {WelcomeFont::Body, -18},     {WelcomeFont::GaugeLabel, -30},
};
const std::size_t kWelcomeFontHeightCount = std::size(kWelcomeFontHeights);

const long kEditionFontHeights[] = {-18, -17, -16, -15, -14, -13, -12};
const std::size_t kEditionFontHeightCount = std::size(kEditionFontHeights);

const WelcomeButtonImages kWelcomeButtonImages[] = {
    {IDC_CONTACT, IDR_PNG_CONTACT_NORMAL, IDR_PNG_CONTACT_PRESSED, IDR_PNG_CONTACT_HOVER,
     IDR_PNG_CONTACT_NORMAL},
    {IDC_CLOSE, IDR_PNG_CLOSE_NORMAL, IDR_PNG_CLOSE_PRESSED, IDR_PNG_CLOSE_HOVER,
     IDR_PNG_CLOSE_PRESSED},
    {IDC_START, IDR_PNG_START_NORMAL, IDR_PNG_START_PRESSED, IDR_PNG_START_HOVER,
     IDR_PNG_START_PRESSED},
    // A tab's alternate and disabled looks are its selected face.
    {IDC_TAB_ENGINE, IDR_PNG_TAB_ENGINE, IDR_PNG_TAB_ENGINE_SELECTED, IDR_PNG_TAB_ENGINE,
     IDR_PNG_TAB_ENGINE_SELECTED},
    {IDC_TAB_SYSTEM, IDR_PNG_TAB_SYSTEM, IDR_PNG_TAB_SYSTEM_SELECTED, IDR_PNG_TAB_SYSTEM,
     IDR_PNG_TAB_SYSTEM_SELECTED},
    {IDC_SYSTEM_ICON, IDR_PNG_SYSTEM_HEADER, IDR_PNG_SYSTEM_HEADER, IDR_PNG_SYSTEM_HEADER,
     IDR_PNG_SYSTEM_HEADER},
    {IDC_ENGINE_ICON, IDR_PNG_ENGINE_HEADER, IDR_PNG_ENGINE_HEADER, IDR_PNG_ENGINE_HEADER,
     IDR_PNG_ENGINE_HEADER},
};
const std::size_t kWelcomeButtonImageCount = std::size(kWelcomeButtonImages);

namespace
{
struct StaticTextColour
{
    int nId;
    COLORREF colour;
};

const COLORREF kSlate = RGB(45, 54, 76);
const COLORREF kGrey = RGB(110, 111, 110);
const COLORREF kLabel = RGB(47, 47, 47);
const COLORREF kValueBlue = RGB(4, 121, 254);
const COLORREF kStatusBlue = RGB(23, 106, 214);
const COLORREF kUsage = RGB(40, 40, 40);
const COLORREF kEngineLabel = RGB(46, 46, 46);

const StaticTextColour kStaticTextColours[] = {
    {IDC_SLOGAN, kSlate},
    {IDC_VERSION, kSlate},
    {IDC_PRODUCT_YEAR, kSlate},
    {IDC_ENGINE_CPU_LABEL, kSlate},
    {IDC_ENGINE_MEMORY_LABEL, kSlate},
    {IDC_WELCOME, kGrey},
    {IDC_SYSTEM_TITLE, kGrey},
    {IDC_ENGINE_TITLE, kGrey},
    {IDC_SYSTEM_COMPUTER_LABEL, kLabel},
    {IDC_SYSTEM_EDITION_LABEL, kLabel},
    {IDC_SYSTEM_PROCESSOR_LABEL, kLabel},
    {IDC_SYSTEM_MEMORY_LABEL, kLabel},
    {IDC_SYSTEM_TYPE_LABEL, kLabel},
    {IDC_SYSTEM_COMPUTER_VALUE, kValueBlue},
    {IDC_SYSTEM_EDITION_VALUE, kValueBlue},
    {IDC_SYSTEM_PROCESSOR_VALUE, kValueBlue},
    {IDC_SYSTEM_MEMORY_VALUE, kValueBlue},
    {IDC_SYSTEM_TYPE_VALUE, kValueBlue},
    {IDC_ENGINE_STATUS, kStatusBlue},
    {IDC_ENGINE_PROCESS_COUNT, kStatusBlue},
    {IDC_ENGINE_FOCUS_VALUE, kStatusBlue},
    {IDC_ENGINE_CPU_USAGE, kUsage},
    {IDC_ENGINE_MEMORY_USAGE, kUsage},
    {IDC_ENGINE_PROCESS_LABEL, kEngineLabel},
    {IDC_ENGINE_FOCUS_LABEL, kEngineLabel},
};

constexpr int kNoGif = 0;

const PageStep kWelcomePageSteps[] = {
    {PageAction::Show, IDC_WELCOME, IDC_SLOGAN, kNoGif},
    {PageAction::Show, IDC_VERSION, IDC_PRODUCT_YEAR, kNoGif},
    {PageAction::Hide, IDC_SYSTEM_FIRST, IDC_SYSTEM_LAST, kNoGif},
    {PageAction::Hide, IDC_SYSTEM_ICON, IDC_SYSTEM_ICON, kNoGif},
    {PageAction::Hide, IDC_ENGINE_FIRST, IDC_ENGINE_LAST, kNoGif},
    {PageAction::Hide, IDC_ENGINE_ICON, IDC_ENGINE_ICON, kNoGif},
    {PageAction::Hide, IDC_CPU_GAUGE, IDC_MEMORY_GAUGE, kNoGif},
    {PageAction::Show, IDC_CONTACT, IDC_START, kNoGif},
    {PageAction::PlayGif, IDC_WELCOME_ANIMATION, IDC_WELCOME_ANIMATION, IDR_GIF_WELCOME},
};

const PageStep kEnginePageSteps[] = {
    {PageAction::Hide, IDC_WELCOME, IDC_SLOGAN, kNoGif},
    {PageAction::Show, IDC_VERSION, IDC_PRODUCT_YEAR, kNoGif},
    {PageAction::Hide, IDC_SYSTEM_FIRST, IDC_SYSTEM_LAST, kNoGif},
    {PageAction::Hide, IDC_SYSTEM_ICON, IDC_SYSTEM_ICON, kNoGif},
    {PageAction::Show, IDC_CONTACT, IDC_CLOSE, kNoGif},
    {PageAction::Hide, IDC_START, IDC_WELCOME_ANIMATION, kNoGif},
    {PageAction::Show, IDC_TAB_ENGINE, IDC_TAB_SYSTEM, kNoGif},
    {PageAction::SelectTab, IDC_TAB_ENGINE, IDC_TAB_ENGINE, kNoGif},
    {PageAction::DeselectTab, IDC_TAB_SYSTEM, IDC_TAB_SYSTEM, kNoGif},
    {PageAction::Show, IDC_ENGINE_FIRST, IDC_ENGINE_LAST, kNoGif},
    {PageAction::Show, IDC_ENGINE_ICON, IDC_ENGINE_ICON, kNoGif},
    {PageAction::PlayGif, IDC_CPU_GAUGE, IDC_CPU_GAUGE, IDR_GIF_CPU_GAUGE},
    {PageAction::PlayGif, IDC_MEMORY_GAUGE, IDC_MEMORY_GAUGE, IDR_GIF_MEMORY_GAUGE},
};

const PageStep kSystemPageSteps[] = {
    {PageAction::Hide, IDC_WELCOME, IDC_SLOGAN, kNoGif},
    {PageAction::Show, IDC_VERSION, IDC_PRODUCT_YEAR, kNoGif},
    {PageAction::Hide, IDC_ENGINE_FIRST, IDC_ENGINE_LAST, kNoGif},
    {PageAction::Hide, IDC_CPU_GAUGE, IDC_MEMORY_GAUGE, kNoGif},
    {PageAction::Hide, IDC_ENGINE_ICON, IDC_ENGINE_ICON, kNoGif},
    {PageAction::Show, IDC_CONTACT, IDC_CLOSE, kNoGif},
    {PageAction::Hide, IDC_START, IDC_WELCOME_ANIMATION, kNoGif},
    {PageAction::Show, IDC_TAB_ENGINE, IDC_TAB_SYSTEM, kNoGif},
    {PageAction::DeselectTab, IDC_TAB_ENGINE, IDC_TAB_ENGINE, kNoGif},
    {PageAction::SelectTab, IDC_TAB_SYSTEM, IDC_TAB_SYSTEM, kNoGif},
    {PageAction::Show, IDC_SYSTEM_FIRST, IDC_SYSTEM_LAST, kNoGif},
    {PageAction::Show, IDC_SYSTEM_ICON, IDC_SYSTEM_ICON, kNoGif},
};
}  // namespace

bool LookUpStaticTextColour(int nId, COLORREF& colour)
{
    for (const StaticTextColour& entry : kStaticTextColours)
    {
        if (entry.nId == nId)
        {
            colour = entry.colour;
            return true;
        }
    }
    return false;
}

const PageStep* GetPageSteps(int nPage, std::size_t& nCount)
{
    switch (nPage)
    {
    case PAGE_WELCOME:
        nCount = std::size(kWelcomePageSteps);
        return kWelcomePageSteps;
    case PAGE_ENGINE:
        nCount = std::size(kEnginePageSteps);
        return kEnginePageSteps;
    case PAGE_SYSTEM:
        nCount = std::size(kSystemPageSteps);
        return kSystemPageSteps;
    default:
        nCount = 0;
        return nullptr;
    }
}
