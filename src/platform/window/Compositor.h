#pragma once

// Whether the desktop composes windows (so that per-pixel alpha shows), asked
// of the X server before SDL opens its own connection. Private to the
// platform library.

namespace quorvo::platform {

struct CompositorProbe {
    bool present = false;          // a compositing manager owns _NET_WM_CM_Sn
    unsigned long argbVisual = 0;  // a 32-bit TrueColor visual for translucent windows
};

// Empty when SDL will not use X11, there is no display or no compositor.
CompositorProbe probeCompositor();

}  // namespace quorvo::platform
