#include "Catalogue.h"

#include "Artwork.h"
#include "Glyphs.h"
#include "ImageCodec.h"
#include "Sounds.h"

namespace quorvo::art {

namespace {

// Quality that keeps the grain of the background without visible blocks.
constexpr int backgroundQuality = 90;

GeneratedAsset png(std::string name, const Canvas& canvas)
{
    return {std::move(name), AssetKind::Png, encodePng(canvas, true)};
}

GeneratedAsset framework(std::string name, const Canvas& canvas)
{
    return {std::move(name) + ".png.nosig", AssetKind::PngWithoutSignature, encodePng(canvas, false)};
}

}  // namespace

std::vector<GeneratedAsset> generateAll()
{
    std::vector<GeneratedAsset> assets;
    assets.push_back({"background.jpg", AssetKind::Jpeg, encodeJpeg(background(), backgroundQuality)});

    assets.push_back(png("tab_search.png", tabIcon(glyphs::tabSearch)));
    assets.push_back(png("tab_download.png", tabIcon(glyphs::tabDownload)));
    assets.push_back(png("tab_settings.png", tabIcon(glyphs::tabSettings)));

    assets.push_back(png("button_add.png", buttonStrip(glyphs::plus)));
    assets.push_back(png("button_start.png", buttonStrip(glyphs::start)));
    assets.push_back(png("button_pause.png", buttonStrip(glyphs::pause)));
    assets.push_back(png("button_delete.png", buttonStrip(glyphs::trash)));
    assets.push_back(png("button_open_folder.png", buttonStrip(glyphs::folder)));
    assets.push_back(png("button_copy_to.png", buttonStrip(glyphs::copyTo, 28)));
    assets.push_back(png("button_play.png", buttonStrip(glyphs::speaker)));
    assets.push_back(png("button_search.png", buttonStrip(glyphs::magnifier)));
    assets.push_back(png("menu_author.png", menuIcon()));

    for (const int size : {16, 24, 32, 48, 64, 128})
        assets.push_back(png("icon_" + std::to_string(size) + ".png", programIcon(size)));

    assets.push_back(framework("tab_strip", tabStrip()));
    assets.push_back(framework("check_box", checkBoxStrip()));
    assets.push_back(framework("radio", radioStrip()));
    assets.push_back(framework("caption_buttons", captionButtons()));
    assets.push_back(framework("msgbox_icons", messageBoxIcons()));
    assets.push_back(framework("msgbox_decoration", messageBoxDecoration()));
    assets.push_back(framework("combo_frame", comboFrame()));
    assets.push_back(framework("combo_arrow", comboArrow()));

    assets.push_back({"completion_1.wav", AssetKind::Wave, sound::firstCompletionSound()});
    assets.push_back({"completion_2.wav", AssetKind::Wave, sound::secondCompletionSound()});
    return assets;
}

}  // namespace quorvo::art
