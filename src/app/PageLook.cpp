#include "app/PageLook.h"

#include "app/Captions.h"
#include "assets/Assets.h"
#include "gfx/Shapes.h"

namespace quorvo::app::look {

using gfx::argb;

ui::HostOptions windowOptions()
{
    ui::HostOptions options;
    options.title = Text(caption::windowTitle);
    options.width = 410;
    options.height = 650;
    options.backgroundImage = assetBytes("background.jpg");
    options.backgroundColour = 6060765;
    options.captionFlags = ui::caption::Close | ui::caption::Minimise | ui::caption::Menu;
    options.layerAlpha = 190;
    options.imageMode = 0;
    options.frameStyle = 0;
    return options;
}

void paintWindowBackground(gfx::Painter& painter, IntSize size)
{
    const auto w = static_cast<float>(size.width);
    const auto h = static_cast<float>(size.height);
    gfx::fillRect(painter, {5, 86, w - 10, 30}, argb(153, 255, 255, 255));
    gfx::drawFrame(painter, {5, 86, w - 10, 30}, gfx::frame::Solid, argb(102, 255, 255, 255));
    gfx::fillGradient(painter, {5, 116, w - 10, 485}, argb(204, 255, 255, 255), argb(235, 255, 255, 255));
    gfx::drawLine(painter, argb(190, 255, 255, 255), 6, 116, w - 6, 116);
    gfx::drawLine(painter, argb(71, 128, 0, 0), 6, h - 51, w - 6, h - 51);
    gfx::fillGradient(painter, {5, h - 50, w - 10, 50}, argb(153, 255, 255, 255), argb(153, 255, 255, 255));
}

ui::TabStackLook tabStackLook()
{
    ui::TabStackLook stack;
    stack.firstTab = {115, 41, 60, 45};
    stack.pageRect = {5, 86, 400, 565};
    stack.tabOptions.textColour = white;
    stack.tabOptions.appearance = 4;
    stack.tabSecondColour = argb(81, 0, 0, 0);
    return stack;
}

Bytes assetBytes(std::string_view name)
{
    return Bytes(assets::asStringView(assets::find(name)));
}

ui::LabelOptions labelLook(gfx::Argb text)
{
    ui::LabelOptions options;
    options.textColour = text;
    return options;
}

ui::LabelOptions glowLook(gfx::Argb glow)
{
    ui::LabelOptions options = labelLook(white);
    options.textEffect = gfx::TextEffect::Glow;
    options.effectColour = glow;
    return options;
}

ui::LabelOptions barLook(gfx::Argb fill)
{
    ui::LabelOptions options = labelLook(white);
    options.gradient = gfx::GradientMode::Horizontal;
    options.gradientStart = fill;
    options.gradientEnd = fill;
    options.visible = false;
    return options;
}

ui::LabelOptions statusLineLook()
{
    ui::LabelOptions options = barLook(argb(0, 0, 255, 0));
    options.alignment = gfx::StringAlignment::Center;
    options.lineAlignment = gfx::StringAlignment::Center;
    return options;
}

ui::EditOptions editLook(gfx::Argb text, gfx::Argb background, gfx::Argb border, ui::EditInputMode mode)
{
    ui::EditOptions options;
    options.inputMode = mode;
    options.textColour = text;
    options.background = background;
    options.borderColour = border;
    return options;
}

ui::ButtonOptions markLook()
{
    ui::ButtonOptions options;
    options.textColour = settingsText;
    return options;
}

ui::ListOptions listLook(gfx::Argb text, gfx::Argb hot, gfx::Argb selected)
{
    ui::ListOptions options;
    options.headerHidden = true;
    options.gridLines = 0u;
    options.singleSelection = true;
    options.checkBoxes = true;
    options.textColour = text;
    options.hotTextColour = hot;
    options.selectedTextColour = selected;
    options.background = argb(0, 255, 255, 255);
    options.borderColour = 0;
    return options;
}

void addColumns(ui::UiList& list, std::span<const ListColumn> columns)
{
    int position = 1;
    for (const ListColumn& column : columns)
        list.insertColumn(position++, Text(column.caption), column.width);
    list.insertColumn(position++, "id", 0);
    list.insertColumn(position, "lrc", 0);
}

ui::UiLink& addLink(ui::UiControl& parent, FloatRect rect, std::string_view text)
{
    auto& link = parent.add<ui::UiLink>(rect, Text(text), glowLook(argb(102, 0, 0, 0)));
    link.setHoverColour(white);
    link.setVisitedColour(white);
    link.setCursor(ui::Cursor::Hand);
    return link;
}

ui::UiImageButton& addImageButton(ui::UiControl& parent, FloatRect rect, std::string_view strip, std::string_view tip)
{
    ui::ImageStrip frames;
    frames.image = assetBytes(strip);
    frames.frameCount = 4;
    auto& button = parent.add<ui::UiImageButton>(rect, frames);
    button.setText(Text(tip));
    button.setCursor(ui::Cursor::Hand);
    return button;
}

}  // namespace quorvo::app::look
