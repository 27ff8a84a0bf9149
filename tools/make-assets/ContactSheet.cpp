#include "ContactSheet.h"

#include "Canvas.h"
#include "ImageCodec.h"
#include "MsAdpcm.h"
#include "Palette.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <span>
#include <string_view>

namespace quorvo::art {

namespace {

constexpr int scale = 3;
constexpr int gap = 12;
constexpr int labelWidth = 190;
constexpr const char* labelFont = "WenQuanYi Micro Hei";

// Sheet text comes from an installed font; the sheet is never committed.
void label(cairo_t* cr, double x, double y, std::string_view text, double size, Colour colour)
{
    cairo_select_font_face(cr, labelFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    setColour(cr, colour);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, std::string(text).c_str());
}

void checkerboard(cairo_t* cr, double x, double y, double w, double h)
{
    SavedState saved(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    for (int row = 0; row * 6 < h; ++row)
        for (int column = 0; column * 6 < w; ++column) {
            const bool dark = (row + column) % 2 != 0;
            cairo_set_source_rgb(cr, dark ? 0.78 : 0.93, dark ? 0.78 : 0.93, dark ? 0.78 : 0.93);
            cairo_rectangle(cr, x + column * 6, y + row * 6, 6, 6);
            cairo_fill(cr);
        }
}

// The picture under the image where it is used: the background itself, or
// the light panels drawn over it.
void backdrop(cairo_t* cr, const Canvas& background, double x, double y, double w, double h, bool panel, int zoom)
{
    SavedState saved(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, zoom, zoom);
    // Top of the picture for white art, the bottom band for panel art.
    cairo_set_source_surface(cr, background.surface(), -110, panel ? -600 : -40);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    if (panel) {
        cairo_set_source_rgba(cr, 1, 1, 1, 153 / 255.0);
        cairo_paint(cr);
    }
}

void drawZoomed(cairo_t* cr, const Canvas& image, double x, double y, int zoom)
{
    SavedState saved(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, zoom, zoom);
    cairo_set_source_surface(cr, image.surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
}

// Draws part of an image, like the framework's source-rectangle drawing.
void drawPart(cairo_t* cr, const Canvas& image, double sx, double sy, double w, double h, double x, double y)
{
    SavedState saved(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_set_source_surface(cr, image.surface(), x - sx, y - sy);
    cairo_paint(cr);
}

// Stretches a frame as a nine-grid around its fixed corners.
void drawNineGrid(cairo_t* cr, const Canvas& image, double sx, double sw, double sh, double border, double x, double y,
                  double w, double h)
{
    const double srcX[] = {0, border, sw - border, sw};
    const double srcY[] = {0, border, sh - border, sh};
    const double dstX[] = {x, x + border, x + w - border, x + w};
    const double dstY[] = {y, y + border, y + h - border, y + h};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            SavedState saved(cr);
            const double dw = dstX[column + 1] - dstX[column];
            const double dh = dstY[row + 1] - dstY[row];
            const double cw = srcX[column + 1] - srcX[column];
            const double ch = srcY[row + 1] - srcY[row];
            cairo_rectangle(cr, dstX[column], dstY[row], dw, dh);
            cairo_clip(cr);
            cairo_translate(cr, dstX[column], dstY[row]);
            cairo_scale(cr, dw / cw, dh / ch);
            cairo_set_source_surface(cr, image.surface(), -(sx + srcX[column]), -srcY[row]);
            cairo_paint(cr);
        }
}

struct Decoded {
    std::string name;
    Canvas canvas;
    bool panel;
};

class Mockup {
public:
    Mockup(cairo_t* cr, const std::map<std::string, const Canvas*>& images, double x, double y)
        : m_cr(cr), m_images(images), m_x(x), m_y(y)
    {
    }

    const Canvas& image(const std::string& name) const { return *m_images.at(name); }

    void window(int selectedTab)
    {
        cairo_t* cr = m_cr;
        SavedState saved(cr);
        cairo_translate(cr, m_x, m_y);
        cairo_rectangle(cr, 0, 0, 410, 650);
        cairo_clip(cr);
        cairo_set_source_surface(cr, image("background.jpg").surface(), 0, 0);
        cairo_paint(cr);
        // The panels the program draws over the picture.
        fill(5, 86, 400, 30, palette::white.withAlpha(153 / 255.0));
        cairo_rectangle(cr, 5.5, 86.5, 399, 29);
        setColour(cr, palette::white.withAlpha(102 / 255.0));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 116, 0, 601);
        cairo_pattern_add_color_stop_rgba(gradient, 0, 1, 1, 1, 204 / 255.0);
        cairo_pattern_add_color_stop_rgba(gradient, 1, 1, 1, 1, 235 / 255.0);
        cairo_rectangle(cr, 5, 116, 400, 485);
        cairo_set_source(cr, gradient);
        cairo_fill(cr);
        cairo_pattern_destroy(gradient);
        setColour(cr, palette::white.withAlpha(190 / 255.0));
        strokeLine(cr, 6, 116.5, 404, 116.5, 1);
        setColour(cr, Colour::rgb(128, 0, 0, 71 / 255.0));
        strokeLine(cr, 6, 599.5, 404, 599.5, 1);
        fill(5, 600, 400, 50, palette::white.withAlpha(153 / 255.0));

        label(cr, 28, 24, "Quorvo无损音乐下载器", 13, palette::white);
        const Canvas& caption = image("caption_buttons.png.nosig");
        drawPart(cr, caption, 0, 0, 39, 19, 359, 7);         // close
        drawPart(cr, caption, 0, 3 * 19, 28, 19, 331, 7);    // minimise
        drawPart(cr, caption, 28, 4 * 19, 28, 19, 303, 7);   // menu, hovered

        const char* icons[] = {"tab_search.png", "tab_download.png", "tab_settings.png"};
        const char* captions[] = {"搜索", "下载", "设置"};
        for (int i = 0; i < 3; ++i) {
            const double x = 115 + i * 60;
            if (i == selectedTab)
                drawPart(cr, image("tab_strip.png.nosig"), 120, 0, 60, 45, x, 41);
            else if (i == (selectedTab + 1) % 3)
                drawPart(cr, image("tab_strip.png.nosig"), 60, 0, 60, 45, x, 41);
            drawPart(cr, image(icons[i]), 0, 0, 26, 26, x + 17, 42);
            shadowedText(x + 18, 81, captions[i], 12);
        }
    }

    void searchPage()
    {
        SavedState saved(m_cr);
        cairo_translate(m_cr, m_x, m_y);
        label(m_cr, 14, 107, "巴赫 大提琴", 12, Colour::rgb(128, 0, 0, 168 / 255.0));
        button("button_search.png", 1, 378, 92);
        const char* rows[] = {"G大调第一号大提琴组曲  巴赫  马友友     flac", "D小调第二号大提琴组曲  巴赫  马友友     flac",
                              "C大调第三号大提琴组曲  巴赫  罗斯特罗波维奇  flac", "降E大调第四号组曲     巴赫  卡萨尔斯    320"};
        for (int i = 0; i < 4; ++i) {
            const double y = 120 + i * 24;
            if (i == 1)
                fill(6, y, 398, 24, Colour::rgb(48, 134, 198, 0.12));
            drawPart(m_cr, image("check_box.png.nosig"), i % 2 == 0 ? 34 : 0, 0, 17, 17, 8, y + 3.5);
            label(m_cr, 28, y + 16, rows[i], 12, Colour::rgb(128, 0, 0, (i == 1 ? 210 : 190) / 255.0));
        }
        shadowedText(15, 627, "全选", 12);
        shadowedText(50, 627, "反选", 12);
        button("button_add.png", 0, 90, 610);
        label(m_cr, 140, 627, "已添加 2 首歌曲到下载列表", 12, palette::white);
    }

    void downloadPage()
    {
        SavedState saved(m_cr);
        cairo_translate(m_cr, m_x, m_y);
        button("button_start.png", 1, 15, 91);
        button("button_pause.png", 3, 40, 91);
        button("button_delete.png", 3, 65, 91);
        button("button_open_folder.png", 0, 340, 91);
        drawPart(m_cr, image("button_copy_to.png"), 0, 0, 28, 20, 365, 91);
        const char* rows[] = {"巴赫 - G大调第一号大提琴组曲   下载完毕", "巴赫 - D小调第二号大提琴组曲   37%",
                              "巴赫 - C大调第三号大提琴组曲   等待下载"};
        for (int i = 0; i < 3; ++i) {
            const double y = 120 + i * 24;
            drawPart(m_cr, image("check_box.png.nosig"), 0, 0, 17, 17, 8, y + 3.5);
            label(m_cr, 28, y + 16, rows[i], 12, Colour::rgb(128, 0, 0, 190 / 255.0));
        }
        shadowedText(15, 627, "下载速度:812 KB/s", 12);
    }

    void settingsPage()
    {
        SavedState saved(m_cr);
        cairo_translate(m_cr, m_x, m_y);
        const Colour captionColour = palette::black.withAlpha(153 / 255.0);
        label(m_cr, 25, 153, "歌曲保存目录", 12, captionColour);
        label(m_cr, 49, 181, "保存格式", 12, captionColour);
        label(m_cr, 37, 236, "任务提示音", 12, captionColour);
        label(m_cr, 49, 304, "搜索设置", 12, captionColour);
        label(m_cr, 49, 360, "下载限速", 12, captionColour);
        fill(110, 136, 260, 24, palette::black.withAlpha(10 / 255.0));
        cairo_rectangle(m_cr, 110.5, 136.5, 259, 23);
        setColour(m_cr, Colour::rgb(0, 96, 192, 51 / 255.0));
        cairo_set_line_width(m_cr, 1);
        cairo_stroke(m_cr);
        label(m_cr, 116, 153, "/home/user/Quorvo/Download/", 12, palette::black.withAlpha(190 / 255.0));
        button("button_open_folder.png", 0, 346, 138);
        drawNineGrid(m_cr, image("combo_frame.png.nosig"), 0, 20, 26, 5, 109, 166, 90, 24);
        drawPart(m_cr, image("combo_arrow.png.nosig"), 0, 0, 15, 12, 109 + 90 - 17, 172);
        label(m_cr, 116, 183, "歌手-歌曲", 12, palette::black.withAlpha(190 / 255.0));
        mark("check_box.png.nosig", 34, 103, 190, "下载歌词");
        mark("radio.png.nosig", 51, 103, 219, "旋风提示音");
        button("button_play.png", 1, 195, 220);
        mark("radio.png.nosig", 0, 103, 239, "迅雷提示音");
        button("button_play.png", 0, 195, 240);
        mark("radio.png.nosig", 17, 103, 259, "(无)");
        mark("check_box.png.nosig", 34, 103, 287, "搜索结果排除已存在歌曲");
        mark("check_box.png.nosig", 0, 103, 309, "添加下载时从搜索列表里删除对应歌曲");
        // The drop-down, opened, and a message box over the page.
        drawNineGrid(m_cr, image("combo_frame.png.nosig"), 20, 20, 26, 5, 230, 166, 90, 24);
        drawPart(m_cr, image("combo_arrow.png.nosig"), 15, 0, 15, 12, 230 + 90 - 17, 172);
        label(m_cr, 237, 183, "歌曲-歌手", 12, palette::black.withAlpha(190 / 255.0));
        messageBox(45, 400);
    }

private:
    void fill(double x, double y, double w, double h, Colour colour)
    {
        cairo_rectangle(m_cr, x, y, w, h);
        setColour(m_cr, colour);
        cairo_fill(m_cr);
    }

    void shadowedText(double x, double y, const char* text, double size)
    {
        label(m_cr, x + 1, y + 1, text, size, palette::black.withAlpha(0.32));
        label(m_cr, x, y, text, size, palette::white);
    }

    void button(const std::string& name, int frame, double x, double y)
    {
        drawPart(m_cr, image(name), frame * 20, 0, 20, 20, x, y);
    }

    void mark(const std::string& name, double frameX, double x, double y, const char* text)
    {
        drawPart(m_cr, image(name), frameX, 0, 17, 17, x + 4, y + 4);
        label(m_cr, x + 24, y + 17, text, 12, palette::black.withAlpha(153 / 255.0));
    }

    void messageBox(double x, double y)
    {
        cairo_t* cr = m_cr;
        SavedState saved(cr);
        cairo_translate(cr, x, y);
        cairo_rectangle(cr, 0, 0, 320, 150);
        cairo_clip(cr);
        cairo_set_source_surface(cr, image("background.jpg").surface(), 0, 0);
        cairo_paint(cr);
        label(cr, 12, 22, "提示：", 12, palette::white);
        drawPart(cr, image("caption_buttons.png.nosig"), 0, 0, 39, 19, 320 - 12 - 39, 7);
        const Canvas& decoration = image("msgbox_decoration.png.nosig");
        drawNineGrid(cr, decoration, 0, 24, 24, 8, 12, 32, 296, 74);
        drawNineGrid(cr, decoration, 24, 24, 24, 8, 6, 110, 308, 34);
        drawPart(cr, image("msgbox_icons.png.nosig"), 40, 0, 40, 40, 30, 40);
        label(cr, 85, 58, "该操作将删除勾选歌曲及歌词文件", 12, palette::black.withAlpha(0.8));
        label(cr, 85, 76, "确认删除?", 12, palette::black.withAlpha(0.8));
        for (int i = 0; i < 2; ++i) {
            roundedRectangle(cr, 170.5 + i * 72, 116.5, 64, 22, 3);
            setColour(cr, palette::white.withAlpha(0.7));
            cairo_fill_preserve(cr);
            setColour(cr, palette::ink.withAlpha(0.5));
            cairo_stroke(cr);
            label(cr, 190 + i * 72, 132, i == 0 ? "确定" : "取消", 12, palette::black.withAlpha(0.8));
        }
    }

    cairo_t* m_cr;
    const std::map<std::string, const Canvas*>& m_images;
    double m_x;
    double m_y;
};

// Whether an image lives on the light panels rather than on the picture.
bool usedOnPanel(std::string_view name)
{
    return !(name.starts_with("tab_") || name.starts_with("caption_") || name.starts_with("icon_"));
}

void waveform(cairo_t* cr, std::span<const double> samples, double x, double y, double w, double h)
{

    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source_rgb(cr, 0.16, 0.13, 0.13);
    cairo_fill(cr);
    const size_t n = samples.size();
    for (int column = 0; column < static_cast<int>(w); ++column) {
        const size_t from = n * static_cast<size_t>(column) / static_cast<size_t>(w);
        const size_t to = std::max(from + 1, n * static_cast<size_t>(column + 1) / static_cast<size_t>(w));
        double low = 0;
        double high = 0;
        for (size_t i = from; i < to && i < n; ++i) {
            low = std::min(low, samples[i]);
            high = std::max(high, samples[i]);
        }
        cairo_rectangle(cr, x + column, y + h / 2 - high * h / 2, 1, std::max(1.0, (high - low) * h / 2));
    }
    setColour(cr, palette::accentLight);
    cairo_fill(cr);
}

uint32_t read32(std::string_view bytes, size_t at)
{
    return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

// Finds a chunk's body in a RIFF WAVE image.
std::string_view chunk(std::string_view wave, std::string_view id)
{
    for (size_t at = 12; at + 8 <= wave.size();) {
        const uint32_t size = read32(wave, at + 4);
        if (wave.substr(at, 4) == id)
            return wave.substr(at + 8, size);
        at += 8 + size + (size % 2);
    }
    return {};
}

}  // namespace

bool writeContactSheet(const std::vector<GeneratedAsset>& assets, const std::string& path)
{
    std::vector<Decoded> images;
    std::map<std::string, const Canvas*> byName;
    const GeneratedAsset* sounds[2] = {nullptr, nullptr};
    for (const auto& asset : assets) {
        if (asset.kind == AssetKind::Wave) {
            sounds[asset.name == "completion_1.wav" ? 0 : 1] = &asset;
            continue;
        }
        Canvas canvas = asset.kind == AssetKind::Jpeg ? decodeJpeg(asset.bytes) : decodePng(asset.bytes);
        images.push_back({asset.name, std::move(canvas), usedOnPanel(asset.name)});
    }
    for (const auto& image : images)
        byName[image.name] = &image.canvas;
    const Canvas& background = *byName.at("background.jpg");

    // Rows: name, 1x on both backdrops, 3x on the checkerboard and on the backdrop.
    struct Row {
        const Decoded* image;
        int height;
    };
    std::vector<Row> rows;
    int listHeight = 0;
    for (const auto& image : images) {
        if (image.name == "background.jpg")
            continue;
        const int h = std::max(image.canvas.height() * scale, 40) + gap;
        rows.push_back({&image, h});
        listHeight += h;
    }
    int columnWidth = 0;
    for (const auto& row : rows) {
        const int w = row.image->canvas.width();
        columnWidth = std::max(columnWidth, labelWidth + std::max(w + 8, 60) + 2 * gap + 2 * w * scale + 2 * gap);
    }
    const int sheetWidth = std::max(4 * (410 + 3 * gap), 2 * columnWidth + gap);
    const int mockupHeight = 650 + 2 * gap + 30;
    const int columnHeight = (listHeight + 1) / 2 + 150;
    const int sheetHeight = mockupHeight + columnHeight + 260;

    Canvas sheet(sheetWidth, sheetHeight);
    cairo_t* cr = sheet.cr();
    cairo_set_source_rgb(cr, 0.97, 0.96, 0.95);
    cairo_paint(cr);

    // The three pages, with the real pictures where the program puts them.
    const char* pageNames[] = {"search page", "download page", "settings page (combo open, message box)"};
    for (int page = 0; page < 3; ++page) {
        const double x = gap + page * (410 + 3 * gap);
        label(cr, x, 22, pageNames[page], 14, palette::black.withAlpha(0.8));
        Mockup mockup(cr, byName, x, 30);
        mockup.window(page);
        if (page == 0)
            mockup.searchPage();
        else if (page == 1)
            mockup.downloadPage();
        else
            mockup.settingsPage();
    }
    // The raw background beside them.
    const double rawX = gap + 3 * (410 + 3 * gap);
    label(cr, rawX, 22, "background.jpg 410 x 650, as stored", 14, palette::black.withAlpha(0.8));
    cairo_set_source_surface(cr, background.surface(), rawX, 30);
    cairo_paint(cr);

    // Every other image, in two columns.
    double x = gap;
    double y = mockupHeight;
    for (const auto& row : rows) {
        if (y + row.height > mockupHeight + columnHeight && x == gap) {
            x = gap + columnWidth;
            y = mockupHeight;
        }
        const Canvas& image = row.image->canvas;
        const int w = image.width();
        const int h = image.height();
        label(cr, x, y + 14, row.image->name, 13, palette::black.withAlpha(0.85));
        label(cr, x, y + 30, std::to_string(w) + " x " + std::to_string(h), 12, palette::black.withAlpha(0.55));
        double cx = x + labelWidth;
        backdrop(cr, background, cx, y, w + 8, h + 8, row.image->panel, 1);
        drawZoomed(cr, image, cx + 4, y + 4, 1);
        checkerboard(cr, cx, y + h + 12, w + 8, h + 8);
        drawZoomed(cr, image, cx + 4, y + h + 16, 1);
        cx += std::max(w + 8, 60) + gap;
        checkerboard(cr, cx, y, w * scale, h * scale);
        drawZoomed(cr, image, cx, y, scale);
        cx += w * scale + gap;
        backdrop(cr, background, cx, y, w * scale, h * scale, row.image->panel, scale);
        drawZoomed(cr, image, cx, y, scale);
        y += row.height;
    }

    // The sounds.
    double soundY = mockupHeight + columnHeight + 20;
    for (int i = 0; i < 2; ++i) {
        if (sounds[i] == nullptr)
            continue;
        std::string_view wave = sounds[i]->bytes;
        std::string_view data = chunk(wave, "data");
        std::vector<double> samples;
        std::string description;
        if (i == 0) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
            const std::vector<int16_t> decoded = sound::decodeMsAdpcm({bytes, data.size()}, 2, 1024);
            for (size_t s = 0; s < decoded.size(); s += 2)
                samples.push_back((decoded[s] + decoded[s + 1]) / 65536.0);
            description = "Microsoft ADPCM, 2 channels, 22050 Hz";
        } else {
            for (const char c : data)
                samples.push_back((static_cast<uint8_t>(c) - 128) / 128.0);
            description = "PCM 8-bit, 1 channel, 22050 Hz";
        }
        label(cr, gap, soundY + 16, sounds[i]->name + "  " + std::to_string(wave.size()) + " bytes  " + description + "  " +
                                        std::to_string(samples.size() * 1000 / 22050) + " ms",
              13, palette::black.withAlpha(0.85));
        waveform(cr, samples, gap, soundY + 24, 1200, 80);
        soundY += 120;
    }

    cairo_surface_flush(sheet.surface());
    return cairo_surface_write_to_png(sheet.surface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace quorvo::art
