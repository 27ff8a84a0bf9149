#pragma once

// Private to the platform library.

namespace quorvo::platform {

// Xlib's default error handler ends the process. Some errors come from races no
// client can close: SDL wakes its waiting loop from other threads by sending an
// event to a window the user-interface thread may be destroying at that moment.
// After this call such errors are reported on stderr and survived, so a closing
// popup never takes a running download with it. Idempotent; no-op without X11.
void surviveX11Errors();

}  // namespace quorvo::platform
