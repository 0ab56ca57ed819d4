#include "slider.h"

// TODO: hSlider, range 0..1000, page size, ticks, nThumbMargin,
// hSliderFont, rcChannel, SyncSelectionUI and the SliderProc subclass.
void SetUpSlider(HWND) {}

// TODO: draw the channel, the selection and the duration caption.
LRESULT OnSliderCustomDraw(HWND, NMCUSTOMDRAW*)
{
    return CDRF_DODEFAULT;
}
