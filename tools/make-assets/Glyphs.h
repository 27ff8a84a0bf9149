#pragma once

// The pictograms, as paths of our own. Each draws with the current source in
// the coordinates of the picture it was designed for, so that its strokes
// land on whole pixels there.

#include <cairo.h>

namespace quorvo::art::glyphs {

// 20 x 20 button glyphs (the copy-to glyph is 28 x 20).
void plus(cairo_t* cr);
void start(cairo_t* cr);
void pause(cairo_t* cr);
void trash(cairo_t* cr);
void folder(cairo_t* cr);
void speaker(cairo_t* cr);
void magnifier(cairo_t* cr);
void copyTo(cairo_t* cr);

// 26 x 26 tab glyphs.
void tabSearch(cairo_t* cr);
void tabDownload(cairo_t* cr);
void tabSettings(cairo_t* cr);

// Caption glyphs, centred on (cx, cy).
void close(cairo_t* cr, double cx, double cy);
void minimise(cairo_t* cr, double cx, double cy);
void maximise(cairo_t* cr, double cx, double cy);
void restore(cairo_t* cr, double cx, double cy);
void menu(cairo_t* cr, double cx, double cy);

// 40 x 40 message-box symbols, centred on (20, 20).
void cross(cairo_t* cr);
void exclamation(cairo_t* cr);
void questionMark(cairo_t* cr);
void info(cairo_t* cr);
void person(cairo_t* cr);

// An 18 x 18 speech bubble for the author's microblog.
void speechBubble(cairo_t* cr);

// Two beamed notes in a unit square (scale before calling).
void beamedNotes(cairo_t* cr);

}  // namespace quorvo::art::glyphs
