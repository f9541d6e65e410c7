#include "draw/bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "draw/font.h"
#include "support/debug_log.h"

using i64 = long long;

namespace {

inline void put_rgb(std::uint8_t* p, const tarv_color& c)
{
    p[0] = static_cast<std::uint8_t>(c.red);
    p[1] = static_cast<std::uint8_t>(c.green);
    p[2] = static_cast<std::uint8_t>(c.blue);
}

inline void fill_row(std::uint8_t* p, int count, const tarv_color& c)
{
    for (int i = 0; i < count; ++i, p += 4) put_rgb(p, c);
}

// Puts the corners in order; false when the rectangle misses the surface.
inline bool order_corners(int& x1, int& y1, int& x2, int& y2, int width, int height)
{
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    return !(x2 < 0 || y2 < 0 || x1 >= width || y1 >= height);
}

inline void clamp_corners(int& x1, int& y1, int& x2, int& y2, int width, int height)
{
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, width - 1);
    y2 = std::min(y2, height - 1);
}

// A colour stepped in 1/256ths over the unclipped span of a gradient
// rectangle. Each band steps before it is drawn, so neither end colour is
// reached exactly, and clipping does not advance the walk.
class gradient_walk {
public:
    gradient_walk(const tarv_color& from, const tarv_color& to, i64 span)
    {
        const i64 a[3] = {from.red, from.green, from.blue};
        const i64 b[3] = {to.red, to.green, to.blue};
        for (int c = 0; c < 3; ++c) {
            acc_[c] = a[c] * 256;
            step_[c] = (b[c] * 256 - a[c] * 256) / span;
        }
    }
    tarv_color next()
    {
        for (int c = 0; c < 3; ++c) acc_[c] += step_[c];
        return {static_cast<std::int32_t>(acc_[0] >> 8), static_cast<std::int32_t>(acc_[1] >> 8),
                static_cast<std::int32_t>(acc_[2] >> 8)};
    }

private:
    i64 acc_[3];
    i64 step_[3];
};

// Floor division for a positive divisor.
inline i64 floor_div(__int128 a, i64 b)
{
    __int128 q = a / b;
    if ((a % b) != 0 && a < 0) --q;
    return static_cast<i64>(q);
}

// Source/destination rectangle of a clipped copy; false when nothing is left.
struct copy_area {
    int sx, sy, dx, dy, w, h;
};

bool clip_copy(int sw, int sh, int dw, int dh, int x, int y, copy_area& a)
{
    i64 sx = std::max<i64>(0, -static_cast<i64>(x));
    i64 sy = std::max<i64>(0, -static_cast<i64>(y));
    i64 dx = std::max<i64>(0, x);
    i64 dy = std::max<i64>(0, y);
    i64 dx_end = std::min<i64>(dw, static_cast<i64>(x) + sw);
    i64 dy_end = std::min<i64>(dh, static_cast<i64>(y) + sh);
    if (dx_end <= dx || dy_end <= dy) return false;
    a = {static_cast<int>(sx), static_cast<int>(sy), static_cast<int>(dx), static_cast<int>(dy),
         static_cast<int>(dx_end - dx), static_cast<int>(dy_end - dy)};
    return true;
}

// Walks the clipped overlap of `source` placed at (x, y) on `dest`, row by
// row, calling op(source pixel, dest pixel).
template <typename Op>
void for_each_overlap_pixel(tarv_bitmap& dest, const tarv_bitmap& source, int x, int y, Op op)
{
    copy_area a;
    if (!clip_copy(source.GetWidth(), source.GetHeight(), dest.GetWidth(), dest.GetHeight(), x, y, a)) return;
    for (int row = 0; row < a.h; ++row) {
        const std::uint8_t* s = source.pixel(a.sx, a.sy + row);
        std::uint8_t* d = dest.pixel(a.dx, a.dy + row);
        for (int col = 0; col < a.w; ++col, s += 4, d += 4) op(s, d);
    }
}

// Both surfaces usable; otherwise the primitive's log line names the one
// that is not.
bool copy_surfaces_ok(const tarv_bitmap& dest, const tarv_bitmap& source, const char* primitive)
{
    if (!dest.IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::%s(), pixel data dest failed?\n", primitive);
        return false;
    }
    if (!source.IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::%s(), pixel data src failed?\n", primitive);
        return false;
    }
    return true;
}

// Doubles far outside int range would make the conversion undefined.
inline i64 trunc_to_i64(double v)
{
    if (!(v == v)) return 0;
    if (v > 4.0e18) return static_cast<i64>(4.0e18);
    if (v < -4.0e18) return static_cast<i64>(-4.0e18);
    return static_cast<i64>(v);
}

}  // namespace

tarv_bitmap::tarv_bitmap() : tarv_bitmap(16, 16) {}

namespace {

// Far beyond any screen; keeps sizes from bad data from overflowing or
// exhausting memory.
constexpr int max_side = 32768;
constexpr std::size_t max_pixels = std::size_t{1} << 26;

}  // namespace

tarv_bitmap::tarv_bitmap(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height))
{
    std::size_t n = static_cast<std::size_t>(width_) * height_;
    if (width_ > max_side || height_ > max_side || n > max_pixels) {
        TARV_LOG(1, "Warning in tarv_bitmap::tarv_bitmap(), refusing a %d x %d surface.\n", width, height);
        width_ = height_ = 0;
        return;  // stays invalid: every primitive reports and draws nothing
    }
    pixels_.reset(new (std::nothrow) std::uint8_t[n * 4]);
    if (!pixels_) {
        TARV_LOG(1, "Warning in tarv_bitmap::tarv_bitmap(), no memory for a %d x %d surface.\n", width, height);
        width_ = height_ = 0;
        return;
    }
    // Black and opaque, as ClearAlpha on zeroed pixels would leave it.
    const std::uint8_t opaque_black[4] = {0, 0, 0, 255};
    fill_rows(opaque_black);
}

tarv_bitmap::tarv_bitmap(const tarv_bitmap& other) : width_(other.width_), height_(other.height_)
{
    if (!other.pixels_) return;
    std::size_t n = static_cast<std::size_t>(width_) * height_ * 4;
    pixels_.reset(new (std::nothrow) std::uint8_t[n]);
    if (!pixels_) {
        TARV_LOG(1, "Warning in tarv_bitmap::tarv_bitmap(), no memory to copy a %d x %d surface.\n", width_, height_);
        width_ = height_ = 0;
        return;
    }
    if (n) std::memcpy(pixels_.get(), other.pixels_.get(), n);
}

tarv_bitmap& tarv_bitmap::operator=(const tarv_bitmap& other)
{
    if (this != &other) {
        tarv_bitmap copy(other);
        *this = std::move(copy);
    }
    return *this;
}

tarv_bitmap::tarv_bitmap(tarv_bitmap&& other) noexcept
    : width_(other.width_), height_(other.height_), pixels_(std::move(other.pixels_))
{
    other.width_ = other.height_ = 0;
}

tarv_bitmap& tarv_bitmap::operator=(tarv_bitmap&& other) noexcept
{
    width_ = other.width_;
    height_ = other.height_;
    pixels_ = std::move(other.pixels_);
    other.width_ = other.height_ = 0;
    return *this;
}

tarv_bitmap::~tarv_bitmap() = default;

tarv_bitmap tarv_bitmap::from_rgba(int width, int height, const std::uint8_t* rgba)
{
    tarv_bitmap b(width, height);
    if (!b.IsOk()) return b;
    if (rgba) {
        std::memcpy(b.pixels_.get(), rgba, static_cast<std::size_t>(b.width_) * b.height_ * 4);
    } else {
        TARV_LOG(1, "Warning in tarv_bitmap::from_rgba(), no pixel data.\n");
        b.Clear(color_black);
    }
    return b;
}

tarv_color tarv_bitmap::GetPixel(int x, int y) const
{
    if (!pixels_ || x < 0 || y < 0 || x >= width_ || y >= height_) return color_black;
    const std::uint8_t* p = pixel(x, y);
    return {p[0], p[1], p[2]};
}

void tarv_bitmap::Clear(const tarv_color& color)
{
    if (!IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::Clear(), pixel data failed?\n");
        return;
    }
    std::uint8_t px[4] = {static_cast<std::uint8_t>(color.red), static_cast<std::uint8_t>(color.green),
                          static_cast<std::uint8_t>(color.blue), 255};
    fill_rows(px);
}

// Fills the first row pixel by pixel and copies it to the others: panels
// are cleared on every paint and made on every resize.
void tarv_bitmap::fill_rows(const std::uint8_t pixel[4])
{
    if (width_ <= 0 || height_ <= 0) return;
    std::uint8_t* first = pixels_.get();
    const std::size_t row = static_cast<std::size_t>(width_) * 4;
    for (std::size_t i = 0; i < row; i += 4) std::memcpy(first + i, pixel, 4);
    for (int y = 1; y < height_; ++y) std::memcpy(first + y * row, first, row);
}

void tarv_bitmap::ClearAlpha()
{
    if (!IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::ClearAlpha(), pixel data failed?\n");
        return;
    }
    std::uint8_t* p = pixels_.get();
    std::size_t n = static_cast<std::size_t>(width_) * height_;
    for (std::size_t i = 0; i < n; ++i) p[i * 4 + 3] = 255;
}

void tarv_bitmap::SetPixel(int x, int y, const tarv_color& color)
{
    if (!pixels_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
    put_rgb(pixel(x, y), color);
}

void tarv_bitmap::SetPixel(int x, int y, int red, int green, int blue)
{
    SetPixel(x, y, tarv_color{red, green, blue});
}

void tarv_bitmap::DrawLine(int x1, int y1, int x2, int y2, const tarv_color& color)
{
    line64(x1, y1, x2, y2, color);
}

// Bresenham over the major axis. Steps whose major coordinate lies off the
// surface are skipped arithmetically (the error term has a closed form), so
// a line with far-away ends costs no more than one across the surface.
void tarv_bitmap::line64(i64 x1, i64 y1, i64 x2, i64 y2, const tarv_color& color)
{
    if (!pixels_) return;
    if (x1 == x2 && y1 == y2) {
        if (x1 >= 0 && y1 >= 0 && x1 < width_ && y1 < height_) put_rgb(pixel(static_cast<int>(x1), static_cast<int>(y1)), color);
        return;
    }
    i64 dx = x2 > x1 ? x2 - x1 : x1 - x2;
    i64 dy = y2 > y1 ? y2 - y1 : y1 - y2;
    bool x_major = dx > dy;
    i64 a1 = x_major ? x1 : y1, b1 = x_major ? y1 : x1;
    i64 a2 = x_major ? x2 : y2, b2 = x_major ? y2 : x2;
    if (a1 > a2) {
        std::swap(a1, a2);
        std::swap(b1, b2);
    }
    i64 n = a2 - a1;  // >= 1
    i64 m = x_major ? dy : dx;
    i64 step = b2 > b1 ? 1 : -1;
    i64 major_size = x_major ? width_ : height_;
    i64 minor_size = x_major ? height_ : width_;

    i64 j = std::max<i64>(0, -a1);
    i64 j_end = std::min<i64>(n, major_size - 1 - a1);
    if (j > j_end) return;
    // Error after j steps stays in [0, n): e = n/2 - j*m + k*n.
    i64 k = floor_div(static_cast<__int128>(j) * m - n / 2 + n - 1, n);
    i64 e = static_cast<i64>(static_cast<__int128>(n / 2) - static_cast<__int128>(j) * m + static_cast<__int128>(k) * n);
    i64 b = b1 + step * k;
    for (; j <= j_end; ++j) {
        if (b >= 0 && b < minor_size) {
            i64 a = a1 + j;
            std::uint8_t* p = x_major ? pixel(static_cast<int>(a), static_cast<int>(b)) : pixel(static_cast<int>(b), static_cast<int>(a));
            put_rgb(p, color);
        }
        e -= m;
        if (e < 0) {
            e += n;
            b += step;
        }
    }
}

void tarv_bitmap::DrawGradientLine(int x1, int y1, int x2, int y2, const tarv_color& start, const tarv_color& end)
{
    if (!pixels_) return;
    i64 dx = static_cast<i64>(x2) - x1, dy = static_cast<i64>(y2) - y1;
    i64 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    bool x_major = adx > ady;
    i64 a1 = x_major ? x1 : y1, b1 = x_major ? y1 : x1;
    i64 n = x_major ? adx : ady;
    i64 m = x_major ? ady : adx;
    i64 sa = (x_major ? dx : dy) < 0 ? -1 : 1;
    i64 sb = (x_major ? dy : dx) < 0 ? -1 : ((x_major ? dy : dx) > 0 ? 1 : 0);
    i64 major_size = x_major ? width_ : height_;
    i64 minor_size = x_major ? height_ : width_;

    const i64 from[3] = {start.red, start.green, start.blue};
    const i64 to[3] = {end.red, end.green, end.blue};
    i64 stepc[3];
    for (int c = 0; c < 3; ++c) stepc[c] = (to[c] * 256 - from[c] * 256) / (n + 1);

    // Steps that keep the major coordinate on the surface.
    i64 j0, j1;
    if (sa > 0) {
        j0 = std::max<i64>(0, -a1);
        j1 = std::min<i64>(n, major_size - 1 - a1);
    } else {
        j0 = std::max<i64>(0, a1 - (major_size - 1));
        j1 = std::min<i64>(n, a1);
    }
    if (j0 > j1) return;

    // Minor moves made before step j: the error after j steps is
    // -(n/2) + j*m - k*n, kept in [n/2 - n, n/2) once n >= 2.
    i64 k;
    if (n == 0) k = 0;
    else if (n == 1) k = j0 * m;
    else k = floor_div(static_cast<__int128>(j0) * m - n / 2, n) + 1;
    i64 err = static_cast<i64>(-static_cast<__int128>(n / 2) + static_cast<__int128>(j0) * m - static_cast<__int128>(k) * n);
    i64 b = b1 + sb * k;
    i64 acc[3];
    for (int c = 0; c < 3; ++c) acc[c] = from[c] * 256 + j0 * stepc[c];

    for (i64 j = j0; j <= j1; ++j) {
        if (b >= 0 && b < minor_size) {
            i64 a = a1 + sa * j;
            std::uint8_t* p = x_major ? pixel(static_cast<int>(a), static_cast<int>(b)) : pixel(static_cast<int>(b), static_cast<int>(a));
            for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(acc[c] >> 8);
        }
        for (int c = 0; c < 3; ++c) acc[c] += stepc[c];
        err += m;
        if (err >= 0) {
            err -= n;
            b += sb;
        }
    }
}

void tarv_bitmap::DrawFrame(const tarv_color& color, int width, int height)
{
    int a = width - 1, b = height - 1;
    DrawLine(0, 1, 0, b, color);
    DrawLine(1, 0, a, 0, color);
    DrawLine(a, 1, a, b, color);
    DrawLine(1, b, a, b, color);
    SetPixel(0, 0, color_black);
    SetPixel(a, 0, color_black);
    SetPixel(0, b, color_black);
    SetPixel(a, b, color_black);
}

void tarv_bitmap::DrawEdges(int width, int height, int flags, const tarv_color* color)
{
    tarv_color primary = color ? *color : color_white;
    tarv_color secondary = color ? *color : color_grey;
    if (flags & EDGE_LEFT) {
        DrawLine(0, 0, 0, height, primary);
        DrawLine(1, 0, 1, height, secondary);
    }
    if (flags & EDGE_RIGHT) {
        DrawLine(width - 1, 0, width - 1, height, primary);
        DrawLine(width - 2, 0, width - 2, height, primary);
    }
    if (flags & EDGE_TOP) DrawLine(0, 0, width, 0, primary);
    if (flags & EDGE_BOTTOM) DrawLine(0, height - 1, width, height - 1, primary);
}

void tarv_bitmap::DrawFilledRectangle(int x1, int y1, int x2, int y2, const tarv_color& color)
{
    if (!IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::DrawFilledRectangle(), pixel data failed?\n");
        return;
    }
    if (!order_corners(x1, y1, x2, y2, width_, height_)) return;
    clamp_corners(x1, y1, x2, y2, width_, height_);
    for (int y = y1; y <= y2; ++y) fill_row(pixel(x1, y), x2 - x1 + 1, color);
}

void tarv_bitmap::DrawXGradientRectangle(int x1, int y1, int x2, int y2, const tarv_color& left, const tarv_color& right)
{
    if (!IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::DrawXGradientRectangle(), pixel data failed?\n");
        return;
    }
    if (!order_corners(x1, y1, x2, y2, width_, height_)) return;
    gradient_walk walk(left, right, static_cast<i64>(x2) - x1 + 2);
    clamp_corners(x1, y1, x2, y2, width_, height_);
    for (int x = x1; x <= x2; ++x) {
        tarv_color column = walk.next();
        for (int y = y1; y <= y2; ++y) put_rgb(pixel(x, y), column);
    }
}

void tarv_bitmap::DrawYGradientRectangle(int x1, int y1, int x2, int y2, const tarv_color& top, const tarv_color& bottom)
{
    if (!IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::DrawYGradientRectangle(), pixel data failed?\n");
        return;
    }
    if (!order_corners(x1, y1, x2, y2, width_, height_)) return;
    gradient_walk walk(top, bottom, static_cast<i64>(y2) - y1 + 2);
    clamp_corners(x1, y1, x2, y2, width_, height_);
    for (int y = y1; y <= y2; ++y) fill_row(pixel(x1, y), x2 - x1 + 1, walk.next());
}

void tarv_bitmap::DrawFilledCircle(int cx, int cy, int radius, const tarv_color& color)
{
    if (!IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::DrawFilledCircle(), pixel data failed?\n");
        return;
    }
    i64 r = std::max(0, radius);
    if (static_cast<i64>(cy) - r >= height_ || static_cast<i64>(cy) + r < 0) return;
    i64 y_from = std::max<i64>(0, cy - r);
    i64 y_to = std::min<i64>(height_ - 1, cy + r);
    i64 rr = r * (r + 1);
    for (i64 y = y_from; y <= y_to; ++y) {
        i64 d = y - cy;
        i64 q = std::max<i64>(0, rr - d * d);
        i64 half = static_cast<i64>(std::sqrt(static_cast<double>(q)));
        i64 x_from = std::max<i64>(0, cx - half);
        i64 x_to = std::min<i64>(width_ - 1, cx + half);
        if (x_from > x_to) continue;
        std::uint8_t* p = pixel(static_cast<int>(x_from), static_cast<int>(y));
        for (i64 x = x_from; x <= x_to; ++x, p += 4) put_rgb(p, color);
    }
}

namespace {

struct poly_edge {
    i64 y_top;
    i64 y_bottom;
    double x;
    double inverse_slope;
    bool seen;
};

// Stable: equal x keep their order.
void sort_edges(poly_edge* edges, int count)
{
    for (int i = 1; i < count; ++i) {
        poly_edge e = edges[i];
        int j = i;
        while (j > 0 && edges[j - 1].x > e.x) {
            edges[j] = edges[j - 1];
            --j;
        }
        edges[j] = e;
    }
}

constexpr int max_polygon_points = 1000;
// Off-surface rows above this many are skipped by multiplication instead
// of stepping, so a polygon with absurd coordinates cannot stall drawing.
constexpr i64 max_stepped_rows = 65536;

}  // namespace

void tarv_bitmap::DrawPolygon(int count, const tarv_point* points, int x_offset, int y_offset, const tarv_color& outline,
                              const tarv_color& fill)
{
    if (count < 3) {
        TARV_LOG(1, "Error in tarv_bitmap::DrawPolygon(), only got %d points, need a minimum of 3.\n", count);
        return;
    }
    if (count > max_polygon_points - 1) {
        TARV_LOG(1, "Error in tarv_bitmap::DrawPolygon(), got %d points, max is %d.\n", count, max_polygon_points);
        return;
    }
    if (!points) {
        TARV_LOG(1, "Error in tarv_bitmap::DrawPolygon(), no points.\n");
        return;
    }
    poly_edge edges[max_polygon_points + 2];
    int n_edges = 0;
    auto px = [&](int k) { return static_cast<i64>(points[k].x) + x_offset; };
    auto py = [&](int k) { return static_cast<i64>(points[k].y) + y_offset; };

    i64 y_min = py(count - 1), y_max = y_min;
    for (int k = 0; k < count; ++k) {
        int from = k == 0 ? count - 1 : k - 1;
        i64 xa = px(from), ya = py(from), xb = px(k), yb = py(k);
        if (ya == yb) continue;
        poly_edge& e = edges[n_edges++];
        if (ya < yb) {
            e.y_top = ya;
            e.y_bottom = yb;
            e.x = static_cast<double>(xa);
            e.inverse_slope = static_cast<double>(xb - xa) / static_cast<double>(yb - ya);
        } else {
            e.y_top = yb;
            e.y_bottom = ya;
            e.x = static_cast<double>(xb);
            e.inverse_slope = static_cast<double>(xa - xb) / static_cast<double>(ya - yb);
        }
        e.seen = false;
        y_min = std::min(y_min, e.y_top);
        y_max = std::max(y_max, e.y_bottom);
    }
    sort_edges(edges, n_edges);

    i64 y = y_min;
    if (-y_min > max_stepped_rows) {
        // Jump to just above the surface as if every row before had been walked.
        i64 target = std::min<i64>(-1, y_max);
        int kept = 0;
        for (int i = 0; i < n_edges; ++i) {
            poly_edge e = edges[i];
            if (e.y_bottom < target) continue;
            if (e.y_top < target) {
                e.x += static_cast<double>(target - e.y_top) * e.inverse_slope;
                e.y_top = target;
                e.seen = true;
            }
            edges[kept++] = e;
        }
        n_edges = kept;
        sort_edges(edges, n_edges);
        y = target;
    }
    i64 y_last = std::min<i64>(y_max, static_cast<i64>(height_) - 1);
    for (; y <= y_last; ++y) {
        int i = 0;
        while (i < n_edges) {
            poly_edge& e = edges[i];
            if (e.y_top > y) {
                ++i;
                continue;
            }
            if (!e.seen) {
                e.seen = true;
                ++i;
                continue;
            }
            int j = i + 1;
            bool found = false;
            for (; j < n_edges; ++j) {
                poly_edge& f = edges[j];
                if (f.y_top > y) continue;
                if (!f.seen) {
                    f.seen = true;
                    continue;
                }
                found = true;
                break;
            }
            if (!found) {
                TARV_LOG(2, "Error in DrawPolygon(), unclosed poly for draw line?\n");
                break;
            }
            line64(trunc_to_i64(e.x), y, trunc_to_i64(edges[j].x), y, fill);
            i = j + 1;
        }
        int kept = 0;
        for (int k = 0; k < n_edges; ++k) {
            poly_edge e = edges[k];
            if (e.y_bottom < y + 1) continue;
            if (e.y_top <= y) {
                e.x += e.inverse_slope;
                e.y_top = y + 1;
            }
            edges[kept++] = e;
        }
        n_edges = kept;
        sort_edges(edges, n_edges);
    }

    line64(px(0), py(0), px(count - 1), py(count - 1), outline);
    for (int k = 1; k < count; ++k) line64(px(k), py(k), px(k - 1), py(k - 1), outline);
}

void tarv_bitmap::DrawBitmap(const tarv_bitmap& source, int x, int y)
{
    if (!copy_surfaces_ok(*this, source, "DrawBitmap")) return;
    for_each_overlap_pixel(*this, source, x, y, [](const std::uint8_t* s, std::uint8_t* d) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
    });
}

void tarv_bitmap::DrawBitmapNukeAlpha(const tarv_bitmap& source, int x, int y)
{
    if (!copy_surfaces_ok(*this, source, "DrawBitmapNukeAlpha")) return;
    for_each_overlap_pixel(*this, source, x, y, [](const std::uint8_t* s, std::uint8_t* d) {
        const unsigned alpha = s[3];
        for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>((s[c] * alpha) >> 8);
    });
}

void tarv_bitmap::DrawBitmapBlend(const tarv_bitmap& source, int x, int y)
{
    if (!copy_surfaces_ok(*this, source, "DrawBitmapBlend")) return;
    for_each_overlap_pixel(*this, source, x, y, [](const std::uint8_t* s, std::uint8_t* d) {
        const unsigned alpha = s[3];
        if (alpha == 0) return;
        for (int c = 0; c < 3; ++c)
            d[c] = static_cast<std::uint8_t>((s[c] * alpha + d[c] * (255 - alpha) + 127) / 255);
    });
}

namespace {

// The glyph loops shared by the single-glyph calls and the string calls.
// An opaque cell's colour depends only on the coverage, so strings look it
// up in a table made once per call.
struct opaque_blend_table {
    std::uint8_t value[256][3];
    opaque_blend_table(const tarv_color& fg, const tarv_color& bg)
    {
        const int f[3] = {fg.red, fg.green, fg.blue};
        const int b[3] = {bg.red, bg.green, bg.blue};
        for (int c = 0; c < 3; ++c) value[0][c] = static_cast<std::uint8_t>(b[c]);
        for (int cov = 1; cov < 256; ++cov)
            for (int c = 0; c < 3; ++c)
                value[cov][c] = static_cast<std::uint8_t>((b[c] * (255 - cov) + f[c] * cov) / 256);
    }
};

void blend_glyph_table(tarv_bitmap& dest, const tarv_bitmap& glyph, int x, int y, const opaque_blend_table& t)
{
    for_each_overlap_pixel(dest, glyph, x, y, [&t](const std::uint8_t* s, std::uint8_t* d) {
        const std::uint8_t* v = t.value[s[1]];
        d[0] = v[0];
        d[1] = v[1];
        d[2] = v[2];
    });
}

void blend_glyph(tarv_bitmap& dest, const tarv_bitmap& glyph, int x, int y, const tarv_color& fg, const tarv_color& bg)
{
    const int f[3] = {fg.red, fg.green, fg.blue};
    const int b[3] = {bg.red, bg.green, bg.blue};
    for_each_overlap_pixel(dest, glyph, x, y, [&f, &b](const std::uint8_t* s, std::uint8_t* d) {
        const int cov = s[1];
        for (int c = 0; c < 3; ++c)
            d[c] = static_cast<std::uint8_t>(cov == 0 ? b[c] : (b[c] * (255 - cov) + f[c] * cov) / 256);
    });
}

void blend_glyph_transparent(tarv_bitmap& dest, const tarv_bitmap& glyph, int x, int y, const tarv_color& fg)
{
    const int f[3] = {fg.red, fg.green, fg.blue};
    for_each_overlap_pixel(dest, glyph, x, y, [&f](const std::uint8_t* s, std::uint8_t* d) {
        const int cov = s[1];
        if (cov == 0) return;
        for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>((f[c] * cov + d[c] * (255 - cov)) / 256);
    });
}

}  // namespace

void tarv_bitmap::DrawTextGlyph(const tarv_bitmap& glyph, int x, int y, const tarv_color& fg, const tarv_color& bg)
{
    if (!IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::DrawTextGlyph(), pixel data dest failed?\n");
        return;
    }
    if (!glyph.IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::DrawTextGlyph(), pixel data src failed?\n");
        return;
    }
    blend_glyph(*this, glyph, x, y, fg, bg);
}

void tarv_bitmap::DrawTextGlyphTransparent(const tarv_bitmap& glyph, int x, int y, const tarv_color& fg)
{
    if (!IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::DrawTextGlyphTransparent(), pixel data dest failed?\n");
        return;
    }
    if (!glyph.IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::DrawTextGlyphTransparent(), pixel data src failed?\n");
        return;
    }
    blend_glyph_transparent(*this, glyph, x, y, fg);
}

void tarv_bitmap::DrawText(const tarv_font& font, const char* text, int x, int y, const tarv_color& fg,
                           const tarv_color& bg)
{
    if (!text || x > width_ || y > height_) return;
    if (!IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::DrawTextGlyph(), pixel data dest failed?\n");
        return;
    }
    const opaque_blend_table table(fg, bg);
    i64 pen = x;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p && pen < width_; ++p) {
        const tarv_bitmap* g = font.glyph(*p);
        if (!g) continue;
        if (g->IsOk()) blend_glyph_table(*this, *g, static_cast<int>(pen), y, table);
        pen += g->GetWidth();
    }
}

void tarv_bitmap::DrawTextTransparent(const tarv_font& font, const char* text, int x, int y, const tarv_color& fg)
{
    if (!text || x > width_ || y > height_) return;
    if (!IsOk()) {
        TARV_LOG(2, "Error in tarv_bitmap::DrawTextGlyphTransparent(), pixel data dest failed?\n");
        return;
    }
    i64 pen = x;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p && pen < width_; ++p) {
        const tarv_bitmap* g = font.glyph(*p);
        if (!g) continue;
        if (g->IsOk()) blend_glyph_transparent(*this, *g, static_cast<int>(pen), y, fg);
        pen += g->GetWidth();
    }
}

void tarv_bitmap::GetTextExtent(const tarv_font& font, const char* text, int* width, int* height)
{
    font.GetTextExtent(text, width, height);
}
