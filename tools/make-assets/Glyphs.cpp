#include "Glyphs.h"

#include "Canvas.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace quorvo::art::glyphs {

namespace {

constexpr double pi = std::numbers::pi;

// Shapes with holes are drawn into a group and cut there, so the hole shows
// whatever lies below the glyph rather than punching through a button plate.
class Group {
public:
    explicit Group(cairo_t* cr)
        : m_cr(cr)
    {
        cairo_push_group(m_cr);
    }
    ~Group()
    {
        cairo_pop_group_to_source(m_cr);
        cairo_paint(m_cr);
    }
    Group(const Group&) = delete;
    Group& operator=(const Group&) = delete;

    void cut()
    {
        cairo_set_operator(m_cr, CAIRO_OPERATOR_CLEAR);
        cairo_fill(m_cr);
        cairo_set_operator(m_cr, CAIRO_OPERATOR_OVER);
    }

private:
    cairo_t* m_cr;
};

void roundCaps(cairo_t* cr)
{
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
}

}  // namespace

void plus(cairo_t* cr)
{
    roundedRectangle(cr, 9, 4, 2, 12, 0.6);
    roundedRectangle(cr, 4, 9, 12, 2, 0.6);
    cairo_fill(cr);
}

void start(cairo_t* cr)
{
    SavedState saved(cr);
    roundCaps(cr);
    cairo_move_to(cr, 7, 5);
    cairo_line_to(cr, 15, 10);
    cairo_line_to(cr, 7, 15);
    cairo_close_path(cr);
    cairo_set_line_width(cr, 1.6);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
}

void pause(cairo_t* cr)
{
    roundedRectangle(cr, 6, 5, 3, 10, 0.8);
    roundedRectangle(cr, 11, 5, 3, 10, 0.8);
    cairo_fill(cr);
}

void trash(cairo_t* cr)
{
    Group group(cr);
    // Lid with its handle.
    roundedRectangle(cr, 4, 5, 12, 2, 0.8);
    cairo_fill(cr);
    {
        SavedState saved(cr);
        cairo_set_line_width(cr, 1.4);
        roundedRectangle(cr, 8.2, 3.2, 3.6, 2.6, 0.8);
        cairo_stroke(cr);
    }
    // Body, narrowing towards the bottom.
    cairo_move_to(cr, 5.2, 8);
    cairo_line_to(cr, 14.8, 8);
    cairo_line_to(cr, 14, 16.2);
    cairo_curve_to(cr, 13.9, 16.8, 13.6, 17, 13, 17);
    cairo_line_to(cr, 7, 17);
    cairo_curve_to(cr, 6.4, 17, 6.1, 16.8, 6, 16.2);
    cairo_close_path(cr);
    cairo_fill(cr);
    // Two slits.
    roundedRectangle(cr, 8, 9.8, 1.2, 5.4, 0.6);
    roundedRectangle(cr, 10.8, 9.8, 1.2, 5.4, 0.6);
    group.cut();
}

void folder(cairo_t* cr)
{
    Group group(cr);
    // Back of the folder with its tab.
    cairo_move_to(cr, 3, 6);
    cairo_curve_to(cr, 3, 5.2, 3.4, 4.5, 4.2, 4.5);
    cairo_line_to(cr, 7.6, 4.5);
    cairo_line_to(cr, 9.2, 6.2);
    cairo_line_to(cr, 15, 6.2);
    cairo_curve_to(cr, 15.7, 6.2, 16, 6.6, 16, 7.3);
    cairo_line_to(cr, 16, 9);
    cairo_line_to(cr, 3, 9);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_rectangle(cr, 3, 8, 1.6, 7);
    cairo_fill(cr);
    // The open front flap, set off by a thin gap.
    cairo_move_to(cr, 5.2, 8.6);
    cairo_line_to(cr, 18.6, 8.6);
    cairo_line_to(cr, 15.6, 16.2);
    cairo_line_to(cr, 2.2, 16.2);
    cairo_close_path(cr);
    cairo_set_line_width(cr, 2.2);
    {
        SavedState saved(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_stroke_preserve(cr);
    }
    cairo_fill(cr);
}

void speaker(cairo_t* cr)
{
    SavedState saved(cr);
    roundCaps(cr);
    // Box and cone.
    cairo_move_to(cr, 3.5, 8);
    cairo_line_to(cr, 6.5, 8);
    cairo_line_to(cr, 10, 4.8);
    cairo_line_to(cr, 10, 15.2);
    cairo_line_to(cr, 6.5, 12);
    cairo_line_to(cr, 3.5, 12);
    cairo_close_path(cr);
    cairo_set_line_width(cr, 1);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
    // Two waves.
    cairo_set_line_width(cr, 1.5);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 10, 10, 3, -0.3 * pi, 0.3 * pi);
    cairo_stroke(cr);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 10, 10, 6, -0.3 * pi, 0.3 * pi);
    cairo_stroke(cr);
}

void magnifier(cairo_t* cr)
{
    SavedState saved(cr);
    roundCaps(cr);
    cairo_set_line_width(cr, 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 8.5, 8.5, 4.6, 0, 2 * pi);
    cairo_stroke(cr);
    strokeLine(cr, 12.2, 12.2, 15.8, 15.8, 2.8);
}

void copyTo(cairo_t* cr)
{
    SavedState saved(cr);
    roundCaps(cr);
    Group group(cr);
    // The sheet behind, as an outline, with a margin cleared around the copy
    // in front of it.
    cairo_set_line_width(cr, 1.4);
    roundedRectangle(cr, 3.7, 3.2, 8, 10, 1.2);
    cairo_stroke(cr);
    roundedRectangle(cr, 6, 6, 9.2, 11.4, 1.6);
    group.cut();
    roundedRectangle(cr, 7.2, 7.2, 6.8, 9, 1);
    cairo_fill(cr);
    // Arrow towards the destination.
    strokeLine(cr, 17.5, 11.5, 24, 11.5, 1.8);
    cairo_move_to(cr, 21, 8.3);
    cairo_line_to(cr, 24.3, 11.5);
    cairo_line_to(cr, 21, 14.7);
    cairo_set_line_width(cr, 1.8);
    cairo_stroke(cr);
}

void tabSearch(cairo_t* cr)
{
    SavedState saved(cr);
    roundCaps(cr);
    cairo_set_line_width(cr, 2.4);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 11, 11, 6.6, 0, 2 * pi);
    cairo_stroke(cr);
    strokeLine(cr, 16, 16, 21.5, 21.5, 3.2);
}

void tabDownload(cairo_t* cr)
{
    SavedState saved(cr);
    roundCaps(cr);
    strokeLine(cr, 13, 3.5, 13, 15, 2.4);
    cairo_move_to(cr, 8, 10.5);
    cairo_line_to(cr, 13, 15.5);
    cairo_line_to(cr, 18, 10.5);
    cairo_set_line_width(cr, 2.4);
    cairo_stroke(cr);
    cairo_move_to(cr, 4.2, 15.5);
    cairo_line_to(cr, 4.2, 21.3);
    cairo_line_to(cr, 21.8, 21.3);
    cairo_line_to(cr, 21.8, 15.5);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
}

void tabSettings(cairo_t* cr)
{
    Group group(cr);
    constexpr double cx = 13;
    constexpr double cy = 13;
    constexpr double outer = 10;
    constexpr double inner = 7.4;
    constexpr int teeth = 8;
    constexpr double toothHalf = 0.2;  // radians at the tip
    constexpr double rootHalf = 0.3;   // radians at the root
    for (int i = 0; i < teeth; ++i) {
        const double a = i * 2 * pi / teeth - pi / 2;
        const double next = (i + 1) * 2 * pi / teeth - pi / 2;
        if (i == 0)
            cairo_move_to(cr, cx + inner * std::cos(a - rootHalf), cy + inner * std::sin(a - rootHalf));
        cairo_line_to(cr, cx + outer * std::cos(a - toothHalf), cy + outer * std::sin(a - toothHalf));
        cairo_line_to(cr, cx + outer * std::cos(a + toothHalf), cy + outer * std::sin(a + toothHalf));
        cairo_line_to(cr, cx + inner * std::cos(a + rootHalf), cy + inner * std::sin(a + rootHalf));
        cairo_arc(cr, cx, cy, inner, a + rootHalf, next - rootHalf);
    }
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, 3.4, 0, 2 * pi);
    group.cut();
}

void close(cairo_t* cr, double cx, double cy)
{
    SavedState saved(cr);
    roundCaps(cr);
    strokeLine(cr, cx - 4, cy - 4, cx + 4, cy + 4, 1.6);
    strokeLine(cr, cx + 4, cy - 4, cx - 4, cy + 4, 1.6);
}

void minimise(cairo_t* cr, double cx, double cy)
{
    roundedRectangle(cr, cx - 4.5, cy + 2, 9, 1.6, 0.6);
    cairo_fill(cr);
}

void maximise(cairo_t* cr, double cx, double cy)
{
    SavedState saved(cr);
    cairo_set_line_width(cr, 1.2);
    cairo_rectangle(cr, cx - 4.4, cy - 3.4, 8.8, 7.8);
    cairo_stroke(cr);
    cairo_rectangle(cr, cx - 5, cy - 4, 10, 2);
    cairo_fill(cr);
}

void restore(cairo_t* cr, double cx, double cy)
{
    SavedState saved(cr);
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, cx - 2.4, cy - 3.2);
    cairo_line_to(cr, cx - 2.4, cy - 4.4);
    cairo_line_to(cr, cx + 5, cy - 4.4);
    cairo_line_to(cr, cx + 5, cy + 1.6);
    cairo_line_to(cr, cx + 3.6, cy + 1.6);
    cairo_stroke(cr);
    cairo_rectangle(cr, cx - 4.4, cy - 1.4, 7.4, 5.8);
    cairo_stroke(cr);
    cairo_rectangle(cr, cx - 5, cy - 2, 8.6, 1.8);
    cairo_fill(cr);
}

void menu(cairo_t* cr, double cx, double cy)
{
    for (int i = -1; i <= 1; ++i)
        roundedRectangle(cr, cx - 4.5, cy + i * 3.5 - 0.7, 9, 1.5, 0.6);
    cairo_fill(cr);
}

void cross(cairo_t* cr)
{
    SavedState saved(cr);
    roundCaps(cr);
    strokeLine(cr, 14, 14, 26, 26, 3.6);
    strokeLine(cr, 26, 14, 14, 26, 3.6);
}

void exclamation(cairo_t* cr)
{
    SavedState saved(cr);
    roundCaps(cr);
    strokeLine(cr, 20, 15, 20, 24, 3.6);
    fillCircle(cr, 20, 29.6, 2.1);
}

void questionMark(cairo_t* cr)
{
    SavedState saved(cr);
    roundCaps(cr);
    cairo_set_line_width(cr, 3.4);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 20, 15.6, 5, 1.05 * pi, 2.3 * pi);
    cairo_curve_to(cr, 23, 19.8, 20, 20.5, 20, 23.6);
    cairo_stroke(cr);
    fillCircle(cr, 20, 29, 2.1);
}

void info(cairo_t* cr)
{
    SavedState saved(cr);
    roundCaps(cr);
    fillCircle(cr, 20, 11.8, 2.3);
    strokeLine(cr, 20, 18, 20, 28.5, 3.8);
}

void person(cairo_t* cr)
{
    fillCircle(cr, 20, 15.2, 5.6);
    cairo_move_to(cr, 9.5, 32.5);
    cairo_curve_to(cr, 10.5, 25, 14.5, 22.4, 20, 22.4);
    cairo_curve_to(cr, 25.5, 22.4, 29.5, 25, 30.5, 32.5);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void speechBubble(cairo_t* cr)
{
    Group group(cr);
    roundedRectangle(cr, 1.5, 2.5, 15, 10.5, 3.2);
    cairo_move_to(cr, 4.5, 12);
    cairo_line_to(cr, 4, 16.2);
    cairo_line_to(cr, 9, 12);
    cairo_close_path(cr);
    cairo_fill(cr);
    for (int i = 0; i < 3; ++i) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, 5.5 + i * 3.5, 7.75, 1.2, 0, 2 * pi);
    }
    group.cut();
}

void beamedNotes(cairo_t* cr)
{
    // Note heads, tilted like written ones.
    for (const auto& [x, y] : {std::pair {0.33, 0.71}, std::pair {0.69, 0.63}}) {
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_rotate(cr, -0.38);
        cairo_scale(cr, 0.125, 0.092);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 0, 0, 1, 0, 2 * pi);
        cairo_restore(cr);
        cairo_fill(cr);
    }
    // Stems and beam as one shape.
    constexpr double stem = 0.075;
    cairo_move_to(cr, 0.435, 0.70);
    cairo_line_to(cr, 0.435, 0.27);
    cairo_line_to(cr, 0.795, 0.19);
    cairo_line_to(cr, 0.795, 0.62);
    cairo_line_to(cr, 0.795 - stem, 0.62);
    cairo_line_to(cr, 0.795 - stem, 0.31);
    cairo_line_to(cr, 0.435 + stem, 0.385);
    cairo_line_to(cr, 0.435 + stem, 0.70);
    cairo_close_path(cr);
    cairo_fill(cr);
}

}  // namespace quorvo::art::glyphs
