#include "platform/Canvas.h"

#include "platform/TextPlacement.h"
#include "platform/windows/GdiPlus.h"
#include "platform/windows/ImageImpl.h"
#include "platform/windows/WideText.h"

#include <cmath>
#include <vector>

namespace platform {

// The pixels live in our own rows, so that fills, straight lines and bitmap
// copies are exact and the window copies them out as they are. GDI+ draws the
// antialiased parts (slanted lines, curves, text) into the same rows.
struct Canvas::Impl {
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    std::unique_ptr<Gdiplus::Graphics> graphics;
    PixelRect clip;
};

namespace {

std::uint32_t word(Rgb c)
{
    return (static_cast<std::uint32_t>(c.r) << 16) | (static_cast<std::uint32_t>(c.g) << 8) | c.b;
}

Gdiplus::Color gdiColor(Rgb c)
{
    return Gdiplus::Color(255, c.r, c.g, c.b);
}

PixelRect intersect(const PixelRect& a, const PixelRect& b)
{
    PixelRect r;
    r.left = std::max(a.left, b.left);
    r.top = std::max(a.top, b.top);
    r.right = std::min(a.right, b.right);
    r.bottom = std::min(a.bottom, b.bottom);
    return r;
}

// The rows a straight line of this width covers across its centre row (or
// column) c: as many as the width, centred the way a pixel-centre rule places them.
void crossSpan(int c, int width, int& first, int& last)
{
    const int w = std::max(1, width);
    first = c - w / 2;
    last = first + w - 1;
}

// Faces that stand in for the ones the editor names when a system lacks them
// (as Wine does): metric-compatible and CJK-capable faces, then Wine's own sans.
std::vector<std::wstring> faceCandidates(const std::string& face)
{
    std::vector<std::wstring> faces {widen(face)};
    if (face == "Arial")
        faces.insert(faces.end(), {L"Liberation Sans", L"DejaVu Sans"});
    else if (face == "MS UI Gothic" || face == "MS P Gothic")
        faces.insert(faces.end(), {L"IPAPGothic", L"Noto Sans CJK JP"});
    else if (face == "MS Gothic")
        faces.insert(faces.end(), {L"IPAGothic", L"Noto Sans CJK JP"});
    else if (face == "MS P Mincho")
        faces.insert(faces.end(), {L"IPAPMincho"});
    else if (face == "MS Mincho")
        faces.insert(faces.end(), {L"IPAMincho"});
    faces.insert(faces.end(), {L"Tahoma", L"Liberation Sans"});
    return faces;
}

// A font of the style's face (or the first stand-in the system has) and its
// ascent and descent in pixels.
struct PixelFont {
    std::unique_ptr<Gdiplus::FontFamily> family;
    std::unique_ptr<Gdiplus::Font> font;
    float ascent = 0.f;
    float descent = 0.f;

    explicit PixelFont(const TextStyle& style)
    {
        int gdiStyle = Gdiplus::FontStyleRegular;
        if (style.bold)
            gdiStyle |= Gdiplus::FontStyleBold;
        if (style.italic)
            gdiStyle |= Gdiplus::FontStyleItalic;
        for (const std::wstring& face : faceCandidates(style.face)) {
            auto candidate = std::make_unique<Gdiplus::FontFamily>(face.c_str());
            if (candidate->GetLastStatus() != Gdiplus::Ok || !candidate->IsStyleAvailable(gdiStyle))
                continue;
            family = std::move(candidate);
            break;
        }
        if (!family)
            return;
        const float size = static_cast<float>(std::max(1, style.sizePx));
        font = std::make_unique<Gdiplus::Font>(family.get(), size, gdiStyle, Gdiplus::UnitPixel);
        if (font->GetLastStatus() != Gdiplus::Ok) {
            font.reset();
            return;
        }
        const float em = family->GetEmHeight(gdiStyle);
        ascent = size * family->GetCellAscent(gdiStyle) / em;
        descent = size * family->GetCellDescent(gdiStyle) / em;
    }
    bool valid() const { return font != nullptr; }
};

// Single line, no wrapping, no prefix processing, measured without padding.
std::unique_ptr<Gdiplus::StringFormat> lineFormat()
{
    auto format = std::make_unique<Gdiplus::StringFormat>(Gdiplus::StringFormat::GenericTypographic());
    format->SetFormatFlags(format->GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap
                           | Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
    format->SetHotkeyPrefix(Gdiplus::HotkeyPrefixNone);
    return format;
}

float advanceOf(Gdiplus::Graphics& graphics, const std::wstring& text, const PixelFont& font)
{
    const std::unique_ptr<Gdiplus::StringFormat> format = lineFormat();
    Gdiplus::RectF bounds;
    graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), font.font.get(), Gdiplus::PointF(0, 0),
                           format.get(), &bounds);
    return bounds.Width;
}

} // namespace

Canvas::Canvas(int width, int height) : width_(std::max(0, width)), height_(std::max(0, height))
{
    if (width_ == 0 || height_ == 0 || !startGdiPlus())
        return;
    auto impl = std::make_unique<Impl>();
    impl->pixels.assign(static_cast<std::size_t>(width_) * height_, 0u);
    impl->bitmap = std::make_unique<Gdiplus::Bitmap>(width_, height_, width_ * 4, PixelFormat32bppRGB,
                                                     reinterpret_cast<BYTE*>(impl->pixels.data()));
    if (impl->bitmap->GetLastStatus() != Gdiplus::Ok)
        return;
    impl->graphics.reset(Gdiplus::Graphics::FromImage(impl->bitmap.get()));
    if (!impl->graphics || impl->graphics->GetLastStatus() != Gdiplus::Ok)
        return;
    // Pixel centres at whole coordinates (GDI+'s own default): a point (x, y)
    // is the centre of pixel (x, y).
    impl->graphics->SetPixelOffsetMode(Gdiplus::PixelOffsetModeNone);
    impl->graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    impl->graphics->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    impl->clip = PixelRect {0, 0, width_, height_};
    impl_ = std::move(impl);
}

Canvas::~Canvas()
{
    // The drawing state goes before the bitmap it draws on.
    if (impl_)
        impl_->graphics.reset();
}

bool Canvas::valid() const
{
    return impl_ != nullptr;
}

const std::uint32_t* Canvas::pixelRow(int y) const
{
    if (!impl_ || y < 0 || y >= height_)
        return nullptr;
    impl_->graphics->Flush(Gdiplus::FlushIntentionSync);
    return impl_->pixels.data() + static_cast<std::size_t>(y) * width_;
}

void Canvas::setClip(const PixelRect& rect)
{
    if (!impl_)
        return;
    impl_->clip = intersect(rect, PixelRect {0, 0, width_, height_});
    impl_->graphics->SetClip(Gdiplus::Rect(rect.left, rect.top, std::max(0, rect.width()), std::max(0, rect.height())));
}

void Canvas::resetClip()
{
    if (!impl_)
        return;
    impl_->clip = PixelRect {0, 0, width_, height_};
    impl_->graphics->ResetClip();
}

void Canvas::fillRect(const PixelRect& rect, Rgb color)
{
    if (!impl_)
        return;
    const PixelRect area = intersect(rect, impl_->clip);
    if (area.empty())
        return;
    impl_->graphics->Flush(Gdiplus::FlushIntentionSync);
    const std::uint32_t value = word(color);
    for (int y = area.top; y < area.bottom; ++y) {
        std::uint32_t* row = impl_->pixels.data() + static_cast<std::size_t>(y) * width_;
        std::fill(row + area.left, row + area.right, value);
    }
}

void Canvas::strokeLine(int x0, int y0, int x1, int y1, const Stroke& stroke)
{
    if (!impl_ || (x0 == x1 && y0 == y1))
        return;
    if (x0 != x1 && y0 != y1) {
        Gdiplus::Pen pen(gdiColor(stroke.color), static_cast<Gdiplus::REAL>(std::max(1, stroke.width)));
        if (stroke.dotted)
            pen.SetDashStyle(Gdiplus::DashStyleDot);
        impl_->graphics->DrawLine(&pen, x0, y0, x1, y1);
        return;
    }
    // Straight lines: from the start pixel up to, not including, the end pixel,
    // dots counted from the start.
    impl_->graphics->Flush(Gdiplus::FlushIntentionSync);
    const bool horizontal = y0 == y1;
    const int length = horizontal ? std::abs(x1 - x0) : std::abs(y1 - y0);
    const int step = horizontal ? (x1 > x0 ? 1 : -1) : (y1 > y0 ? 1 : -1);
    int first = 0, last = 0;
    crossSpan(horizontal ? y0 : x0, stroke.width, first, last);
    const std::uint32_t value = word(stroke.color);
    const PixelRect& clip = impl_->clip;
    for (int k = 0; k < length; ++k) {
        if (stroke.dotted && (k & 1))
            continue;
        const int along = (horizontal ? x0 : y0) + k * step;
        for (int across = first; across <= last; ++across) {
            const int x = horizontal ? along : across;
            const int y = horizontal ? across : along;
            if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
                impl_->pixels[static_cast<std::size_t>(y) * width_ + x] = value;
        }
    }
}

void Canvas::strokePolyline(const PixelPoint* points, int count, const Stroke& stroke)
{
    if (!impl_ || !points || count < 2)
        return;
    std::vector<Gdiplus::PointF> path(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        path[static_cast<std::size_t>(i)] = Gdiplus::PointF(static_cast<Gdiplus::REAL>(points[i].x),
                                                            static_cast<Gdiplus::REAL>(points[i].y));
    Gdiplus::Pen pen(gdiColor(stroke.color), static_cast<Gdiplus::REAL>(std::max(1, stroke.width)));
    pen.SetLineJoin(Gdiplus::LineJoinBevel);
    if (stroke.dotted)
        pen.SetDashStyle(Gdiplus::DashStyleDot);
    impl_->graphics->DrawLines(&pen, path.data(), count);
}

void Canvas::strokeRect(const PixelRect& rect, const Stroke& stroke)
{
    if (!impl_ || rect.empty())
        return;
    impl_->graphics->Flush(Gdiplus::FlushIntentionSync);
    const std::uint32_t value = word(stroke.color);
    const PixelRect& clip = impl_->clip;
    int k = 0; // dots are counted clockwise from the top left corner
    auto put = [&](int x, int y) {
        const bool on = !stroke.dotted || (k & 1) == 0;
        ++k;
        if (on && x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
            impl_->pixels[static_cast<std::size_t>(y) * width_ + x] = value;
    };
    // Rings as wide as the line, from the outer edge inwards.
    const int w = std::max(1, stroke.width);
    for (int i = 0; i < w && 2 * i < rect.width() && 2 * i < rect.height(); ++i) {
        const int l = rect.left + i, t = rect.top + i, r = rect.right - 1 - i, b = rect.bottom - 1 - i;
        if (l == r && t == b) {
            put(l, t);
            continue;
        }
        for (int x = l; x < r; ++x)
            put(x, t);
        for (int y = t; y < b; ++y)
            put(r, y);
        for (int x = r; x > l; --x)
            put(x, b);
        for (int y = b; y > t; --y)
            put(l, y);
    }
}

void Canvas::drawText(const std::string& utf8, const PixelRect& box, const TextStyle& style, Rgb color,
                      TextAlign align, const Rgb* background)
{
    if (!impl_ || utf8.empty() || box.empty())
        return;
    const PixelFont font(style);
    if (!font.valid())
        return;
    Gdiplus::Graphics& graphics = *impl_->graphics;
    const std::wstring text = widen(utf8);
    const int advance = static_cast<int>(std::lround(advanceOf(graphics, text, font)));
    const int cell = static_cast<int>(std::lround(font.ascent + font.descent));
    const int ascent = static_cast<int>(std::lround(font.ascent));
    const TextPlacement place = placeText(box, advance, ascent, cell, align);
    const int x = place.x;
    const int top = place.top;
    const int baseline = place.baseline;

    const PixelRect savedClip = impl_->clip;
    const Gdiplus::GraphicsState state = graphics.Save();
    impl_->clip = intersect(savedClip, box);
    graphics.SetClip(Gdiplus::Rect(box.left, box.top, box.width(), box.height()), Gdiplus::CombineModeIntersect);
    if (background)
        fillRect(PixelRect {x, top, x + advance, top + cell}, *background);
    const std::unique_ptr<Gdiplus::StringFormat> format = lineFormat();
    Gdiplus::SolidBrush brush(gdiColor(color));
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), font.font.get(),
                        Gdiplus::PointF(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(baseline) - font.ascent),
                        format.get(), &brush);
    if (style.underline)
        fillRect(PixelRect {x, baseline + 1, x + advance, baseline + 2}, color);
    graphics.Restore(state);
    impl_->clip = savedClip;
}

int Canvas::textWidth(const std::string& utf8, const TextStyle& style)
{
    if (!impl_ || utf8.empty())
        return 0;
    const PixelFont font(style);
    if (!font.valid())
        return 0;
    return static_cast<int>(std::lround(advanceOf(*impl_->graphics, widen(utf8), font)));
}

void Canvas::drawImage(const Image& image, int srcX, int srcY, const PixelRect& dest, unsigned char alpha)
{
    if (!impl_ || !image.valid() || dest.empty() || alpha == 0)
        return;
    // The part of dest that the clip lets through and the image covers.
    PixelRect area = intersect(dest, impl_->clip);
    area = intersect(area, PixelRect {dest.left - srcX, dest.top - srcY, dest.left - srcX + image.width(),
                                      dest.top - srcY + image.height()});
    if (area.empty())
        return;
    impl_->graphics->Flush(Gdiplus::FlushIntentionSync);
    const Image::Impl& source = *image.impl_;
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint32_t* from =
            source.argb.data() + static_cast<std::size_t>(y - dest.top + srcY) * source.width + (srcX - dest.left);
        std::uint32_t* to = impl_->pixels.data() + static_cast<std::size_t>(y) * width_;
        for (int x = area.left; x < area.right; ++x) {
            const std::uint32_t p = from[x];
            const unsigned a = ((p >> 24) * alpha + 127) / 255;
            if (a == 255) {
                to[x] = p & 0xffffffu;
                continue;
            }
            if (a == 0)
                continue;
            const std::uint32_t q = to[x];
            auto mix = [a](unsigned s, unsigned d) { return (s * a + d * (255 - a) + 127) / 255; };
            to[x] = (mix((p >> 16) & 0xff, (q >> 16) & 0xff) << 16) | (mix((p >> 8) & 0xff, (q >> 8) & 0xff) << 8)
                    | mix(p & 0xff, q & 0xff);
        }
    }
}

std::uint32_t Canvas::pixel(int x, int y) const
{
    if (!impl_ || x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    impl_->graphics->Flush(Gdiplus::FlushIntentionSync);
    return impl_->pixels[static_cast<std::size_t>(y) * width_ + x] & 0xffffffu;
}

bool Canvas::writePng(const std::string& path) const
{
    CLSID png {};
    if (!impl_ || !pngEncoder(png))
        return false;
    impl_->graphics->Flush(Gdiplus::FlushIntentionSync);
    return impl_->bitmap->Save(widen(path).c_str(), &png, nullptr) == Gdiplus::Ok;
}

} // namespace platform
