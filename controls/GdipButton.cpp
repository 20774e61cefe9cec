#include "controls/GdipButton.h"

#include <commctrl.h>

#include "controls/MemDC1.h"

BEGIN_MESSAGE_MAP(CGdipButton, CButton)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_MOUSEHOVER()
END_MESSAGE_MAP()

namespace {

// Brightens each colour channel to 1.05 times itself plus 0.05; alpha stays.
Gdiplus::ColorMatrix BrighteningMatrix()
{
    Gdiplus::ColorMatrix matrix = {{
        {1.05f, 0.0f, 0.0f, 0.0f, 0.0f},
        {0.0f, 1.05f, 0.0f, 0.0f, 0.0f},
        {0.0f, 0.0f, 1.05f, 0.0f, 0.0f},
        {0.0f, 0.0f, 0.0f, 1.0f, 0.0f},
        {0.05f, 0.05f, 0.05f, 0.0f, 1.0f},
    }};
    return matrix;
}

// The faces are drawn one pixel right of and below the button's origin over its full size.
void DrawStretched(Gdiplus::Graphics& graphics, Gdiplus::Bitmap* image, int width, int height)
{
    if (image)
        graphics.DrawImage(image, Gdiplus::Rect(1, 1, width, height));
}

} // namespace

CGdipButton::CGdipButton() = default;
CGdipButton::~CGdipButton() = default;

void CGdipButton::LoadImageInto(ImagePtr& slot, UINT nResourceId)
{
    slot = std::make_unique<CGdiPlusBitmapResource>();
    slot->Load(nResourceId);
}

void CGdipButton::LoadNormalImage(UINT nResourceId)
{
    LoadImageInto(m_pNormalImage, nResourceId);
}

void CGdipButton::LoadAlternateImage(UINT nResourceId)
{
    m_bHasAlternate = TRUE;
    LoadImageInto(m_pAlternateImage, nResourceId);
}

void CGdipButton::LoadHoverImage(UINT nResourceId)
{
    m_bHasHover = TRUE;
    LoadImageInto(m_pHoverImage, nResourceId);
}

void CGdipButton::LoadDisabledImage(UINT nResourceId)
{
    m_bHasDisabled = TRUE;
    LoadImageInto(m_pDisabledImage, nResourceId);
}

CBitmapDC& CGdipButton::FaceFor(ButtonFace face)
{
    switch (face)
    {
    case ButtonFace::Pressed: return m_dcPressed;
    case ButtonFace::Hover: return m_dcHover;
    case ButtonFace::Disabled: return m_dcDisabled;
    case ButtonFace::AltNormal: return m_dcAltNormal;
    case ButtonFace::AltPressed: return m_dcAltPressed;
    case ButtonFace::AltHover: return m_dcAltHover;
    case ButtonFace::Normal: break;
    }
    return m_dcNormal;
}

const CBitmapDC& CGdipButton::GetFace(ButtonFace face) const
{
    return const_cast<CGdipButton*>(this)->FaceFor(face);
}

void CGdipButton::PreSubclassWindow()
{
    ModifyStyle(0, BS_OWNERDRAW, SWP_FRAMECHANGED);
    CButton::PreSubclassWindow();
}

BOOL CGdipButton::PreTranslateMessage(MSG* pMsg)
{
    // A quick second click must be a second press and a second command, not a double-click.
    if (pMsg->message == WM_LBUTTONDBLCLK && pMsg->hwnd == m_hWnd)
        pMsg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(pMsg);
}

BOOL CGdipButton::OnEraseBkgnd(CDC* /*pDC*/)
{
    return TRUE; // the face always covers the whole button
}

void CGdipButton::CaptureBackground(int width, int height)
{
    CWnd* pParent = GetParent();
    if (!pParent)
        return;
    CClientDC parentDC(pParent);
    CRect rect;
    GetWindowRect(&rect);
    pParent->ScreenToClient(&rect);
    if (m_dcBackground.Create(parentDC.GetSafeHdc(), width, height))
        ::BitBlt(m_dcBackground.GetSafeHdc(), 0, 0, width, height, parentDC.GetSafeHdc(), rect.left, rect.top,
                 SRCCOPY);
}

template <typename DrawImage>
void CGdipButton::ComposeFace(CBitmapDC& face, HDC hScratch, Gdiplus::Graphics& graphics, int width, int height,
                              DrawImage drawImage)
{
    if (face.Exists())
        return;
    if (m_dcBackground.Exists())
        ::BitBlt(hScratch, 0, 0, width, height, m_dcBackground.GetSafeHdc(), 0, 0, SRCCOPY);
    drawImage();
    graphics.Flush(Gdiplus::FlushIntentionSync);
    if (face.Create(hScratch, width, height))
        ::BitBlt(face.GetSafeHdc(), 0, 0, width, height, hScratch, 0, 0, SRCCOPY);
}

void CGdipButton::ComposeFaces(HDC hScratch, Gdiplus::Graphics& graphics, int width, int height)
{
    Gdiplus::Bitmap* normal = BitmapOf(m_pNormalImage);
    Gdiplus::Bitmap* alternate = BitmapOf(m_pAlternateImage);
    Gdiplus::Bitmap* hover = m_bHasHover ? BitmapOf(m_pHoverImage) : normal;
    Gdiplus::Bitmap* disabled = m_bHasDisabled ? BitmapOf(m_pDisabledImage) : normal;

    ComposeFace(m_dcNormal, hScratch, graphics, width, height, [&] { DrawStretched(graphics, normal, width, height); });
    if (m_bHasAlternate)
        ComposeFace(m_dcPressed, hScratch, graphics, width, height,
                    [&] { DrawStretched(graphics, alternate, width, height); });
    ComposeFace(m_dcHover, hScratch, graphics, width, height, [&] { DrawStretched(graphics, hover, width, height); });
    ComposeFace(m_dcDisabled, hScratch, graphics, width, height,
                [&] { DrawStretched(graphics, disabled, width, height); });
    if (!m_bHasAlternate)
        return;

    auto drawUnscaled = [&] {
        if (alternate)
            graphics.DrawImage(alternate, 1, 1);
    };
    ComposeFace(m_dcAltNormal, hScratch, graphics, width, height, drawUnscaled);
    ComposeFace(m_dcAltPressed, hScratch, graphics, width, height, drawUnscaled);
    ComposeFace(m_dcAltHover, hScratch, graphics, width, height, [&] {
        if (!alternate || !normal)
            return;
        const int imageWidth = static_cast<int>(normal->GetWidth());
        const int imageHeight = static_cast<int>(normal->GetHeight());
        Gdiplus::ColorMatrix matrix = BrighteningMatrix();
        Gdiplus::ImageAttributes attributes;
        attributes.SetColorMatrix(&matrix, Gdiplus::ColorMatrixFlagsDefault, Gdiplus::ColorAdjustTypeDefault);
        graphics.DrawImage(alternate, Gdiplus::Rect(0, 0, imageWidth, imageHeight), 1, 1, imageWidth, imageHeight,
                           Gdiplus::UnitPixel, &attributes);
    });
}

HBRUSH CGdipButton::CtlColor(CDC* pDC, UINT /*nCtlColor*/)
{
    if (m_bFacesBuilt || !m_pNormalImage)
        return nullptr;

    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    const int height = client.Height();
    {
        CMemDC1 scratch(pDC, client);
        Gdiplus::Graphics graphics(scratch.GetSafeHdc());
        if (!m_dcBackground.Exists())
            CaptureBackground(width, height);
        ComposeFaces(scratch.GetSafeHdc(), graphics, width, height);
        // Leaving the scope ends the Graphics, then the scratch copies the last face onto
        // the DC; DrawItem paints the right face over it next.
    }
    if (!m_pCurrentFace)
        m_pCurrentFace = &m_dcNormal;
    m_bFacesBuilt = TRUE;
    return nullptr;
}

void CGdipButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    ButtonFaceState state;
    state.disabledLook = m_bDisabledLook != FALSE;
    state.pressed = (lpDrawItemStruct->itemState & ODS_SELECTED) != 0;
    state.hovering = m_bHovering != FALSE;
    state.alternateState = m_nAlternateState;
    state.hasAlternate = m_bHasAlternate != FALSE;
    state.hasHover = m_bHasHover != FALSE;
    m_pCurrentFace = &FaceFor(ChooseButtonFace(state));
    if (!m_pCurrentFace->Exists())
        return;

    CRect client;
    GetClientRect(&client);
    ::BitBlt(lpDrawItemStruct->hDC, 0, 0, client.Width(), client.Height(), m_pCurrentFace->GetSafeHdc(), 0, 0,
             SRCCOPY);
}

void CGdipButton::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!m_bTracking)
    {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = m_hWnd;
        track.dwHoverTime = 1;
        m_bTracking = _TrackMouseEvent(&track);
    }
    CButton::OnMouseMove(nFlags, point);
}

void CGdipButton::OnMouseHover(UINT /*nFlags*/, CPoint /*point*/)
{
    m_bHovering = TRUE;
    InvalidateRect(nullptr, TRUE);
}

void CGdipButton::OnMouseLeave()
{
    m_bTracking = FALSE;
    m_bHovering = FALSE;
    InvalidateRect(nullptr, TRUE);
}
