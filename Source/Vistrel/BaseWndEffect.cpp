// The animated quarter turn of a fitted picture.
#include "BaseWnd.h"

void CBaseWnd::UpdateResampleLayer() {}

void CBaseWnd::SwapResampleLayer(int) {}

void CBaseWnd::DoRotateEffect(int) {}
