#include "ui/controls/ControlImages.h"

#include "assets/Assets.h"

namespace quorvo::ui {

gfx::Image loadEmbeddedImage(std::string_view name)
{
    const auto bytes = assets::find(name);
    if (bytes.empty())
        return {};
    return gfx::loadImage(assets::asStringView(bytes), assets::lacksPngSignature(name));
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

const gfx::Image& captionButtonStrip()
{
    static const gfx::Image image = loadEmbeddedImage("caption_buttons.png.nosig");
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
