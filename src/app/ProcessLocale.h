#pragma once

// The process locale: the user's, so that the X libraries and the input
// method convert window titles and typed text in the desktop's encoding; but
// numbers stay in the "C" form ("1.5", never "1,5") everywhere, and byte
// classification stays that of a multi-byte locale, where no single byte
// above 0x7F is a letter: the program's own text is GBK bytes.

namespace quorvo::app {

// Call once at start, before any window exists and before other threads start.
void adoptUserLocale();

}  // namespace quorvo::app
