#include "gfx/Painter.h"

#include "gfx/CairoSupport.h"
#include "gfx/Path.h"
#include "gfx/Surface.h"

#include <cairo.h>

#include <cassert>

namespace quorvo::gfx {

Painter::Painter(Surface& target)
{
    if (target.isNull()) {
        return;
    }
    m_cr = cairo_create(target.native());
    if (cairo_status(m_cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(m_cr);
        m_cr = nullptr;
        return;
    }
    m_width = target.width();
    m_height = target.height();
    m_deviceScale = target.scale();
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_DEFAULT);
}

Painter::~Painter()
{
    assert(m_saveDepth == 0 && "Painter save/restore calls must pair up");
    if (m_cr != nullptr) {
        cairo_destroy(m_cr);
    }
}

void Painter::setAntialias(bool on)
{
    m_antialias = on;
    if (m_cr != nullptr) {
        cairo_set_antialias(m_cr, on ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    }
}

void Painter::save()
{
    if (m_cr != nullptr) {
        cairo_save(m_cr);
    }
    ++m_saveDepth;
}

void Painter::restore()
{
    assert(m_saveDepth > 0 && "Painter::restore without save");
    if (m_saveDepth == 0) {
        return;
    }
    --m_saveDepth;
    if (m_cr != nullptr) {
        cairo_restore(m_cr);
    }
}

void Painter::translate(float dx, float dy)
{
    if (m_cr != nullptr) {
        cairo_translate(m_cr, dx, dy);
    }
}

void Painter::clipRect(const FloatRect& rect)
{
    if (m_cr == nullptr) {
        return;
    }
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, rect.x, rect.y, rect.width, rect.height);
    cairo_clip(m_cr);
}

bool Painter::clipPath(const Path& path, CombineMode mode)
{
    if (m_cr == nullptr) {
        return false;
    }
    cairo_new_path(m_cr);
    switch (mode) {
    case CombineMode::Replace:
        cairo_reset_clip(m_cr);
        [[fallthrough]];
    case CombineMode::Intersect:
        path.appendTo(m_cr);
        cairo_set_fill_rule(m_cr, fillRuleOf(path.fillMode()));
        cairo_clip(m_cr);
        return true;
    case CombineMode::Exclude: {
        // The complement of the path, intersected with the present clip: the
        // path inside a rectangle larger than anything drawable, filled even-odd.
        path.appendTo(m_cr);
        cairo_save(m_cr);
        cairo_identity_matrix(m_cr);
        cairo_rectangle(m_cr, -hugeCoordinate, -hugeCoordinate, 2 * hugeCoordinate, 2 * hugeCoordinate);
        cairo_restore(m_cr);
        cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_clip(m_cr);
        return true;
    }
    case CombineMode::Union:
    case CombineMode::Xor:
    case CombineMode::Complement:
        break;
    }
    return false;
}

void Painter::resetClip()
{
    if (m_cr != nullptr) {
        cairo_reset_clip(m_cr);
    }
}

void Painter::clear(Argb colour)
{
    if (m_cr == nullptr) {
        return;
    }
    cairo_save(m_cr);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
    setSource(m_cr, colour);
    cairo_paint(m_cr);
    cairo_restore(m_cr);
}

void Painter::drawSurface(const Surface& source, const FloatRect& dest, const FloatRect& sourceRect, double alphaScale)
{
    if (m_cr == nullptr || source.isNull() || dest.width <= 0.0f || dest.height <= 0.0f || sourceRect.width <= 0.0f
        || sourceRect.height <= 0.0f || alphaScale <= 0.0) {
        return;
    }
    const double scaleX = dest.width / sourceRect.width;
    const double scaleY = dest.height / sourceRect.height;
    // A source on another pixel grid than the target (a picture drawn into a
    // HiDPI surface) is resampled even at its own logical size.
    const bool unscaled = scaleX == 1.0 && scaleY == 1.0 && source.scale() == m_deviceScale;
    if (unscaled && sourceRect.x == 0.0f && sourceRect.y == 0.0f
        && sourceRect.width == static_cast<float>(source.width())
        && sourceRect.height == static_cast<float>(source.height())) {
        // The common case of composing a control's surface: a plain blit.
        cairo_save(m_cr);
        cairo_new_path(m_cr);
        cairo_set_source_surface(m_cr, source.native(), dest.x, dest.y);
        cairo_pattern_set_filter(cairo_get_source(m_cr), CAIRO_FILTER_NEAREST);
        cairo_rectangle(m_cr, dest.x, dest.y, dest.width, dest.height);
        if (alphaScale >= 1.0) {
            cairo_fill(m_cr);
        } else {
            cairo_clip(m_cr);
            cairo_paint_with_alpha(m_cr, alphaScale);
        }
        cairo_restore(m_cr);
        return;
    }
    // A sub-surface limited to the source rectangle, padded at its edges, keeps
    // neighbouring slices of a nine-grid from bleeding into each other.
    cairo_surface_t* slice = cairo_surface_create_for_rectangle(source.native(), sourceRect.x, sourceRect.y,
                                                                sourceRect.width, sourceRect.height);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(slice);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    // Across pixel grids GOOD: bilinear when enlarging, averaging every covered pixel when shrinking.
    const bool sameGrid = source.scale() == m_deviceScale;
    cairo_pattern_set_filter(pattern,
                             unscaled ? CAIRO_FILTER_NEAREST : (sameGrid ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_GOOD));
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, 1.0 / scaleX, 1.0 / scaleY);
    cairo_matrix_translate(&matrix, -dest.x, -dest.y);
    cairo_pattern_set_matrix(pattern, &matrix);

    cairo_save(m_cr);
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, dest.x, dest.y, dest.width, dest.height);
    cairo_clip(m_cr);
    cairo_set_source(m_cr, pattern);
    if (alphaScale >= 1.0) {
        cairo_paint(m_cr);
    } else {
        cairo_paint_with_alpha(m_cr, alphaScale);
    }
    cairo_restore(m_cr);
    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(slice);
}

void Painter::copySurface(const Surface& source, float x, float y)
{
    if (m_cr == nullptr || source.isNull()) {
        return;
    }
    cairo_save(m_cr);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(m_cr, source.native(), x, y);
    cairo_pattern_set_filter(cairo_get_source(m_cr),
                             source.scale() == m_deviceScale ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_paint(m_cr);
    cairo_restore(m_cr);
}

void Painter::drawSurface(const Surface& source, float x, float y, double alphaScale)
{
    if (source.isNull()) {
        return;
    }
    const auto width = static_cast<float>(source.width());
    const auto height = static_cast<float>(source.height());
    drawSurface(source, {x, y, width, height}, {0.0f, 0.0f, width, height}, alphaScale);
}

}  // namespace quorvo::gfx
