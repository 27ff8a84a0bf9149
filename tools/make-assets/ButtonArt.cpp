#include "Artwork.h"
#include "Palette.h"

namespace quorvo::art {

namespace {

enum class ButtonState { Normal, Hover, Pressed, Disabled };

void drawButtonFrame(cairo_t* cr, GlyphFunction glyph, int width, ButtonState state)
{
    const double plateWidth = width - 2;
    switch (state) {
    case ButtonState::Normal:
        setColour(cr, palette::ink);
        break;
    case ButtonState::Hover:
        // A light plate that lifts the glyph off the panel below it.
        roundedRectangle(cr, 0.5, 0.5, plateWidth + 1, 19, 4.5);
        setColour(cr, palette::white.withAlpha(0.92));
        cairo_fill_preserve(cr);
        setColour(cr, palette::ink.withAlpha(0.45));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        setColour(cr, palette::inkLight);
        break;
    case ButtonState::Pressed:
        roundedRectangle(cr, 0.5, 0.5, plateWidth + 1, 19, 4.5);
        setColour(cr, palette::ink);
        cairo_fill(cr);
        setColour(cr, palette::white);
        break;
    case ButtonState::Disabled:
        setColour(cr, palette::disabled);
        break;
    }
    glyph(cr);
}

}  // namespace

Canvas buttonStrip(GlyphFunction glyph, int frameWidth)
{
    Canvas canvas(frameWidth * 4, 20);
    const ButtonState states[] = {ButtonState::Normal, ButtonState::Hover, ButtonState::Pressed, ButtonState::Disabled};
    for (int i = 0; i < 4; ++i) {
        FrameScope frame(canvas.cr(), i * frameWidth, 0, frameWidth, 20);
        drawButtonFrame(canvas.cr(), glyph, frameWidth, states[i]);
    }
    return canvas;
}

Canvas tabIcon(GlyphFunction glyph)
{
    Canvas canvas(26, 26);
    cairo_t* cr = canvas.cr();
    // A soft shadow keeps the white glyph clear over the lighter tab frames.
    {
        SavedState saved(cr);
        cairo_translate(cr, 0, 1);
        setColour(cr, palette::black.withAlpha(0.22));
        glyph(cr);
    }
    setColour(cr, palette::white);
    glyph(cr);
    return canvas;
}

Canvas tabStrip()
{
    Canvas canvas(180, 45);
    cairo_t* cr = canvas.cr();
    // The frames rise out of the band below the tabs, so they are strongest
    // at the bottom and fade towards the top.
    const struct {
        int x;
        double top;
        double bottom;
        double edge;
    } frames[] = {{60, 0.04, 0.16, 0.18}, {120, 0.12, 0.32, 0.55}};
    for (const auto& f : frames) {
        FrameScope frame(cr, f.x, 0, 60, 45);
        topRoundedRectangle(cr, 1, 1, 58, 44, 6);
        cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 1, 0, 45);
        cairo_pattern_add_color_stop_rgba(gradient, 0, 1, 1, 1, f.top);
        cairo_pattern_add_color_stop_rgba(gradient, 1, 1, 1, 1, f.bottom);
        cairo_set_source(cr, gradient);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(gradient);
        // A fine edge, brightest along the top.
        cairo_pattern_t* edge = cairo_pattern_create_linear(0, 1, 0, 45);
        cairo_pattern_add_color_stop_rgba(edge, 0, 1, 1, 1, f.edge);
        cairo_pattern_add_color_stop_rgba(edge, 1, 1, 1, 1, f.edge * 0.2);
        cairo_set_source(cr, edge);
        cairo_set_line_width(cr, 1);
        cairo_new_path(cr);
        topRoundedRectangle(cr, 1.5, 1.5, 57, 44.5, 5.5);
        cairo_stroke(cr);
        cairo_pattern_destroy(edge);
    }
    return canvas;
}

}  // namespace quorvo::art
