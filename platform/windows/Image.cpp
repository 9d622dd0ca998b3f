#include "platform/Image.h"

#include "platform/windows/GdiPlus.h"
#include "platform/windows/ImageImpl.h"

#include <shlwapi.h>

#include <cstring>
#include <memory>

namespace platform {

Image::Image() = default;
Image::~Image() = default;
Image::Image(Image&& other) noexcept = default;
Image& Image::operator=(Image&& other) noexcept = default;

Image Image::fromPng(const unsigned char* data, std::size_t size)
{
    Image image;
    if (!data || size == 0 || size > 0x7fffffffu || !startGdiPlus())
        return image;
    IStream* stream = SHCreateMemStream(data, static_cast<UINT>(size));
    if (!stream)
        return image;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream));
    stream->Release();
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok)
        return image;
    const int width = static_cast<int>(bitmap->GetWidth());
    const int height = static_cast<int>(bitmap->GetHeight());
    if (width <= 0 || height <= 0)
        return image;
    auto impl = std::make_unique<Impl>();
    impl->width = width;
    impl->height = height;
    impl->argb.resize(static_cast<std::size_t>(width) * height);
    // Decoded straight into our own rows as unpremultiplied ARGB.
    Gdiplus::BitmapData rows {};
    rows.Width = static_cast<UINT>(width);
    rows.Height = static_cast<UINT>(height);
    rows.Stride = width * 4;
    rows.PixelFormat = PixelFormat32bppARGB;
    rows.Scan0 = impl->argb.data();
    Gdiplus::Rect all(0, 0, width, height);
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                         PixelFormat32bppARGB, &rows)
        != Gdiplus::Ok)
        return image;
    bitmap->UnlockBits(&rows);
    image.impl_ = std::move(impl);
    return image;
}

Image Image::fromArgb(int width, int height, const std::uint32_t* pixels)
{
    Image image;
    if (width <= 0 || height <= 0 || !pixels)
        return image;
    auto impl = std::make_unique<Impl>();
    impl->width = width;
    impl->height = height;
    impl->argb.assign(pixels, pixels + static_cast<std::size_t>(width) * height);
    image.impl_ = std::move(impl);
    return image;
}

bool Image::valid() const
{
    return impl_ != nullptr;
}

int Image::width() const
{
    return impl_ ? impl_->width : 0;
}

int Image::height() const
{
    return impl_ ? impl_->height : 0;
}

std::uint32_t Image::pixel(int x, int y) const
{
    if (!impl_ || x < 0 || y < 0 || x >= impl_->width || y >= impl_->height)
        return 0;
    const std::uint32_t p = impl_->argb[static_cast<std::size_t>(y) * impl_->width + x];
    // Fully transparent pixels carry no colour (as a premultiplied store would give them).
    return (p >> 24) == 0 ? 0 : p;
}

} // namespace platform
