// An owner-drawn push button drawn from PNG images: normal, pressed, hover and disabled
// looks plus an alternate set, each composed once over the piece of the parent's skin that
// lies under the button and then copied to the screen as the state asks.
#pragma once

#include <memory>

#include "controls/ButtonFace.h"
#include "controls/BitmapDC.h"
#include "controls/GdiPlusBitmap.h"
#include "framework/Afx.h"

class CGdipButton : public CButton
{
public:
    CGdipButton();
    ~CGdipButton() override;

    // Each takes a "PNG" resource id. A failed load leaves an empty image that draws nothing.
    void LoadNormalImage(UINT nResourceId);
    void LoadAlternateImage(UINT nResourceId);
    void LoadHoverImage(UINT nResourceId);
    void LoadDisabledImage(UINT nResourceId);

    // The face a state shows; empty until the button was first painted.
    const CBitmapDC& GetFace(ButtonFace face) const;

    // Set by the owner, who then invalidates the button: non-zero selects the alternate set.
    void SetAlternateState(int nState) { m_nAlternateState = nState; }
    int AlternateState() const { return m_nAlternateState; }
    // Set by the owner, who then invalidates the button.
    void SetDisabledLook(BOOL bDisabledLook) { m_bDisabledLook = bDisabledLook; }
    BOOL IsDisabledLook() const { return m_bDisabledLook; }
    BOOL AreFacesBuilt() const { return m_bFacesBuilt; }
    BOOL IsHovering() const { return m_bHovering; }
    BOOL IsTrackingMouse() const { return m_bTracking; }

protected:
    void PreSubclassWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnMouseLeave();
    void OnMouseHover(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    using ImagePtr = std::unique_ptr<CGdiPlusBitmapResource>;
    static Gdiplus::Bitmap* BitmapOf(const ImagePtr& image) { return image ? image->Bitmap() : nullptr; }
    void LoadImageInto(ImagePtr& slot, UINT nResourceId);
    void CaptureBackground(int width, int height);
    void ComposeFaces(HDC hScratch, Gdiplus::Graphics& graphics, int width, int height);
    template <typename DrawImage>
    void ComposeFace(CBitmapDC& face, HDC hScratch, Gdiplus::Graphics& graphics, int width, int height,
                     DrawImage drawImage);
    CBitmapDC& FaceFor(ButtonFace face);

    ImagePtr m_pAlternateImage;
    ImagePtr m_pNormalImage;
    ImagePtr m_pHoverImage;
    ImagePtr m_pDisabledImage;

    CBitmapDC m_dcBackground;
    CBitmapDC m_dcNormal, m_dcPressed, m_dcHover;
    CBitmapDC m_dcAltNormal, m_dcAltPressed, m_dcAltHover;
    CBitmapDC m_dcDisabled;
    CBitmapDC* m_pCurrentFace = nullptr;

    BOOL m_bHasAlternate = FALSE;
    BOOL m_bHasHover = FALSE;
    BOOL m_bHasDisabled = FALSE;
    BOOL m_bFacesBuilt = FALSE;
    BOOL m_bDisabledLook = FALSE;
    BOOL m_bHovering = FALSE;
    BOOL m_bTracking = FALSE;
    int m_nAlternateState = 0;
};
