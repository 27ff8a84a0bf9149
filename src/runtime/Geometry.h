#pragma once

// The one set of points, sizes and rectangles of the project: integer pixels
// for windows and events, floats for layout and painting. A rectangle is its
// top-left corner plus a size; right() and bottom() are one past the last
// pixel, so contains() is half-open.

#include <algorithm>
#include <type_traits>

namespace quorvo {

template <typename T> struct Point {
    T x {};
    T y {};

    [[nodiscard]] constexpr Point translated(T dx, T dy) const { return {x + dx, y + dy}; }
    friend constexpr Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
    friend constexpr Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
    friend constexpr bool operator==(const Point&, const Point&) = default;
};

template <typename T> struct Size {
    T width {};
    T height {};

    [[nodiscard]] constexpr bool empty() const { return width <= T {} || height <= T {}; }
    friend constexpr bool operator==(const Size&, const Size&) = default;
};

template <typename T> struct Rect {
    T x {};
    T y {};
    T width {};
    T height {};

    [[nodiscard]] static constexpr Rect at(Point<T> origin, Size<T> size)
    {
        return {origin.x, origin.y, size.width, size.height};
    }

    [[nodiscard]] constexpr T left() const { return x; }
    [[nodiscard]] constexpr T top() const { return y; }
    [[nodiscard]] constexpr T right() const { return x + width; }
    [[nodiscard]] constexpr T bottom() const { return y + height; }
    [[nodiscard]] constexpr Point<T> origin() const { return {x, y}; }
    [[nodiscard]] constexpr Size<T> size() const { return {width, height}; }
    [[nodiscard]] constexpr bool empty() const { return width <= T {} || height <= T {}; }

    [[nodiscard]] constexpr bool contains(Point<T> p) const
    {
        return p.x >= x && p.x < right() && p.y >= y && p.y < bottom();
    }
    [[nodiscard]] constexpr bool contains(const Rect& other) const
    {
        return !other.empty() && other.x >= x && other.y >= y && other.right() <= right() && other.bottom() <= bottom();
    }
    [[nodiscard]] constexpr bool intersects(const Rect& other) const { return !intersected(other).empty(); }

    // The common part of two rectangles; 0 × 0 at the origin when they do not meet.
    [[nodiscard]] constexpr Rect intersected(const Rect& other) const
    {
        const T left = std::max(x, other.x);
        const T top = std::max(y, other.y);
        const T right = std::min(this->right(), other.right());
        const T bottom = std::min(this->bottom(), other.bottom());
        if (right <= left || bottom <= top)
            return {};
        return {left, top, right - left, bottom - top};
    }
    // The smallest rectangle holding both; an empty one adds nothing.
    [[nodiscard]] constexpr Rect united(const Rect& other) const
    {
        if (empty())
            return other;
        if (other.empty())
            return *this;
        const T left = std::min(x, other.x);
        const T top = std::min(y, other.y);
        return {left, top, std::max(right(), other.right()) - left, std::max(bottom(), other.bottom()) - top};
    }
    [[nodiscard]] constexpr Rect translated(T dx, T dy) const { return {x + dx, y + dy, width, height}; }
    [[nodiscard]] constexpr Rect translated(Point<T> by) const { return translated(by.x, by.y); }
    // Grows every side by `dx` / `dy` (negative values shrink it).
    [[nodiscard]] constexpr Rect inflated(T dx, T dy) const
    {
        return {x - dx, y - dy, width + dx + dx, height + dy + dy};
    }

    template <typename U> [[nodiscard]] constexpr Rect<U> to() const
    {
        return {static_cast<U>(x), static_cast<U>(y), static_cast<U>(width), static_cast<U>(height)};
    }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

using IntPoint = Point<int>;
using IntSize = Size<int>;
using IntRect = Rect<int>;
using FloatPoint = Point<float>;
using FloatSize = Size<float>;
using FloatRect = Rect<float>;

}  // namespace quorvo
