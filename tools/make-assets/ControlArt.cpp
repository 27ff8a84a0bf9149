#include "Artwork.h"
#include "Glyphs.h"
#include "Palette.h"

#include <numbers>

namespace quorvo::art {

namespace {

constexpr double pi = std::numbers::pi;

struct MarkState {
    bool checked;
    bool highlighted;
};
constexpr MarkState markStates[] = {{false, false}, {false, true}, {true, false}, {true, true}};

// The outline and fill shared by the check box and the radio button.
void paintMark(cairo_t* cr, MarkState state)
{
    if (state.checked) {
        setColour(cr, state.highlighted ? palette::accentLight : palette::accent);
        cairo_fill_preserve(cr);
        setColour(cr, palette::ink.withAlpha(state.highlighted ? 0.55 : 0.75));
    } else {
        setColour(cr, palette::white.withAlpha(0.95));
        cairo_fill_preserve(cr);
        setColour(cr, state.highlighted ? palette::accent : palette::black.withAlpha(0.38));
    }
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void highlightRing(cairo_t* cr, MarkState state, bool round)
{
    if (!state.highlighted)
        return;
    if (round) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, 8.5, 8.5, 7, 0, 2 * pi);
    } else {
        roundedRectangle(cr, 1.5, 1.5, 14, 14, 3.5);
    }
    // Just outside the mark's own outline, inside the frame.
    setColour(cr, palette::accent.withAlpha(0.35));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

}  // namespace

Canvas checkBoxStrip()
{
    Canvas canvas(68, 17);
    cairo_t* cr = canvas.cr();
    for (int i = 0; i < 4; ++i) {
        FrameScope frame(cr, i * 17, 0, 17, 17);
        const MarkState state = markStates[i];
        highlightRing(cr, state, false);
        roundedRectangle(cr, 2.5, 2.5, 12, 12, 2.5);
        paintMark(cr, state);
        if (state.checked) {
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_move_to(cr, 5.4, 8.8);
            cairo_line_to(cr, 7.6, 11);
            cairo_line_to(cr, 11.8, 6.2);
            setColour(cr, palette::white);
            cairo_set_line_width(cr, 1.9);
            cairo_stroke(cr);
        }
    }
    return canvas;
}

Canvas radioStrip()
{
    Canvas canvas(68, 17);
    cairo_t* cr = canvas.cr();
    for (int i = 0; i < 4; ++i) {
        FrameScope frame(cr, i * 17, 0, 17, 17);
        const MarkState state = markStates[i];
        highlightRing(cr, state, true);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 8.5, 8.5, 6, 0, 2 * pi);
        paintMark(cr, state);
        if (state.checked) {
            setColour(cr, palette::white);
            fillCircle(cr, 8.5, 8.5, 2.6);
        }
    }
    return canvas;
}

Canvas captionButtons()
{
    constexpr int closeWidth = 39;
    constexpr int otherWidth = 28;
    constexpr int height = 19;
    using CaptionGlyph = void (*)(cairo_t*, double, double);
    const struct {
        CaptionGlyph glyph;
        int width;
        bool danger;
    } rows[] = {
        {glyphs::close, closeWidth, true},    {glyphs::maximise, otherWidth, false},
        {glyphs::restore, otherWidth, false}, {glyphs::minimise, otherWidth, false},
        {glyphs::menu, otherWidth, false},
    };
    Canvas canvas(closeWidth * 4, height * 5);
    cairo_t* cr = canvas.cr();
    for (int row = 0; row < 5; ++row) {
        const auto& r = rows[row];
        for (int column = 0; column < 4; ++column) {
            FrameScope frame(cr, column * r.width, row * height, r.width, height);
            if (column == 1 || column == 2) {
                roundedRectangle(cr, 1, 0, r.width - 2, height, 3.5);
                if (r.danger)
                    setColour(cr, column == 1 ? Colour::rgb(222, 70, 56, 0.95) : Colour::rgb(184, 46, 36, 0.95));
                else
                    setColour(cr, column == 1 ? palette::white.withAlpha(0.24) : palette::black.withAlpha(0.16));
                cairo_fill(cr);
            }
            setColour(cr, palette::white.withAlpha(column == 3 ? 0.38 : 0.95));
            r.glyph(cr, r.width / 2.0, height / 2.0);
        }
    }
    return canvas;
}

Canvas messageBoxIcons()
{
    Canvas canvas(200, 40);
    cairo_t* cr = canvas.cr();
    const struct {
        Colour colour;
        GlyphFunction symbol;
        bool triangle;
        Colour symbolColour;
    } cells[] = {
        {palette::error, glyphs::cross, false, palette::white},
        {palette::warning, glyphs::exclamation, true, Colour::rgb(92, 52, 12)},
        {palette::question, glyphs::questionMark, false, palette::white},
        {palette::information, glyphs::info, false, palette::white},
        {palette::window, glyphs::person, false, palette::white},
    };
    for (int i = 0; i < 5; ++i) {
        FrameScope frame(cr, i * 40, 0, 40, 40);
        const auto& cell = cells[i];
        if (cell.triangle) {
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_move_to(cr, 20, 4.5);
            cairo_line_to(cr, 36, 34);
            cairo_line_to(cr, 4, 34);
            cairo_close_path(cr);
            cairo_set_line_width(cr, 4);
        } else {
            cairo_new_sub_path(cr);
            cairo_arc(cr, 20, 20, 17, 0, 2 * pi);
        }
        // Lit from above, with a darker rim.
        cairo_pattern_t* fill = cairo_pattern_create_linear(0, 3, 0, 37);
        cairo_pattern_add_color_stop_rgb(fill, 0, cell.colour.red * 0.85 + 0.15, cell.colour.green * 0.85 + 0.15,
                                         cell.colour.blue * 0.85 + 0.15);
        cairo_pattern_add_color_stop_rgb(fill, 1, cell.colour.red * 0.9, cell.colour.green * 0.9,
                                         cell.colour.blue * 0.9);
        cairo_set_source(cr, fill);
        if (cell.triangle)
            cairo_stroke_preserve(cr);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(fill);
        setColour(cr, Colour {cell.colour.red * 0.7, cell.colour.green * 0.7, cell.colour.blue * 0.7, 0.6});
        cairo_set_line_width(cr, 1);
        if (!cell.triangle)
            cairo_stroke(cr);
        cairo_new_path(cr);
        if (cell.triangle) {
            SavedState saved(cr);
            cairo_translate(cr, 0, 1.5);
            setColour(cr, cell.symbolColour);
            cell.symbol(cr);
        } else {
            setColour(cr, cell.symbolColour);
            cell.symbol(cr);
        }
    }
    return canvas;
}

Canvas messageBoxDecoration()
{
    Canvas canvas(48, 24);
    cairo_t* cr = canvas.cr();
    {
        FrameScope frame(cr, 0, 0, 24, 24);
        roundedRectangle(cr, 0.5, 0.5, 23, 23, 6);
        setColour(cr, palette::white.withAlpha(0.72));
        cairo_fill_preserve(cr);
        setColour(cr, palette::white.withAlpha(0.95));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    {
        FrameScope frame(cr, 24, 0, 24, 24);
        roundedRectangle(cr, 0, 0, 24, 24, 6);
        cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, 24);
        cairo_pattern_add_color_stop_rgba(fill, 0, 1, 1, 1, 0.30);
        cairo_pattern_add_color_stop_rgba(fill, 1, 1, 1, 1, 0.50);
        cairo_set_source(cr, fill);
        cairo_fill(cr);
        cairo_pattern_destroy(fill);
        setColour(cr, palette::white.withAlpha(0.8));
        cairo_rectangle(cr, 6, 0, 12, 1);
        cairo_fill(cr);
    }
    return canvas;
}

Canvas comboFrame()
{
    Canvas canvas(40, 26);
    cairo_t* cr = canvas.cr();
    for (int i = 0; i < 2; ++i) {
        FrameScope frame(cr, i * 20, 0, 20, 26);
        roundedRectangle(cr, 0.5, 0.5, 19, 25, 3.5);
        setColour(cr, palette::white.withAlpha(i == 0 ? 0.62 : 0.88));
        cairo_fill_preserve(cr);
        setColour(cr, palette::fieldBorder.withAlpha(i == 0 ? 0.3 : 0.62));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    return canvas;
}

Canvas comboArrow()
{
    Canvas canvas(30, 12);
    cairo_t* cr = canvas.cr();
    for (int i = 0; i < 2; ++i) {
        FrameScope frame(cr, i * 15, 0, 15, 12);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        if (i == 0) {
            cairo_move_to(cr, 3.5, 4.5);
            cairo_line_to(cr, 7.5, 8.5);
            cairo_line_to(cr, 11.5, 4.5);
            setColour(cr, palette::black.withAlpha(0.55));
        } else {
            cairo_move_to(cr, 3.5, 7.5);
            cairo_line_to(cr, 7.5, 3.5);
            cairo_line_to(cr, 11.5, 7.5);
            setColour(cr, palette::fieldBorder.withAlpha(0.85));
        }
        cairo_set_line_width(cr, 1.8);
        cairo_stroke(cr);
    }
    return canvas;
}

Canvas menuIcon()
{
    Canvas canvas(18, 18);
    setColour(canvas.cr(), palette::accent);
    glyphs::speechBubble(canvas.cr());
    return canvas;
}

}  // namespace quorvo::art
