#include "app/WindowSkin.h"

#include "ui/controls/ControlImages.h"

namespace quorvo::app {

ui::UiSkin windowSkin()
{
    return ui::UiSkin {
        .windowIcon = ui::loadEmbeddedImage("icon_16.png"),
        .captionButtons = ui::loadEmbeddedImage("caption_buttons.png.nosig"),
    };
}

}  // namespace quorvo::app
