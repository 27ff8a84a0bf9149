#include "ui/controls/ControlImages.h"

#include "assets/Assets.h"
#include "gfx/Painter.h"

#include <memory>

namespace quorvo::ui {

gfx::Image loadEmbeddedImage(std::string_view name)
{
    const auto bytes = assets::find(name);
    if (bytes.empty())
        return {};
    return gfx::loadImage(assets::asStringView(bytes), assets::lacksPngSignature(name));
}

gfx::Image cutOutImage(const gfx::Image& image, const FloatRect& source)
{
    gfx::Surface part = gfx::Surface::create(int(source.width), int(source.height));
    if (image.isNull() || part.isNull())
        return {};
    {
        gfx::Painter painter(part);
        gfx::drawImage(painter, image, {0, 0, source.width, source.height}, source);
    }
    auto frames = std::make_shared<gfx::Image::Frames>();
    frames->frames.push_back(std::move(part));
    frames->delays.push_back(0);
    return gfx::Image(std::move(frames));
}

const gfx::Image& checkMarkStrip()
{
    static const gfx::Image image = loadEmbeddedImage("check_box.png.nosig");
    return image;
}

const gfx::Image& radioMarkStrip()
{
    static const gfx::Image image = loadEmbeddedImage("radio.png.nosig");
    return image;
}

const gfx::Image& tabStrip()
{
    static const gfx::Image image = loadEmbeddedImage("tab_strip.png.nosig");
    return image;
}

const gfx::Image& messageIconSheet()
{
    static const gfx::Image image = loadEmbeddedImage("msgbox_icons.png.nosig");
    return image;
}

const gfx::Image& messageDecoration()
{
    static const gfx::Image image = loadEmbeddedImage("msgbox_decoration.png.nosig");
    return image;
}

}  // namespace quorvo::ui
