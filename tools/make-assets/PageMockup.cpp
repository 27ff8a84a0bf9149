#include "PageMockup.h"

#include "Palette.h"
#include "SheetDrawing.h"

namespace quorvo::art::sheet {

void PageMockup::window(int selectedTab)
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
    drawPart(cr, caption, 0, 0, 39, 19, 359, 7);        // close
    drawPart(cr, caption, 0, 3 * 19, 28, 19, 331, 7);   // minimise
    drawPart(cr, caption, 28, 4 * 19, 28, 19, 303, 7);  // menu, hovered

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

void PageMockup::searchPage()
{
    SavedState saved(m_cr);
    cairo_translate(m_cr, m_x, m_y);
    label(m_cr, 14, 107, "巴赫 大提琴", 12, Colour::rgb(128, 0, 0, 168 / 255.0));
    button("button_search.png", 1, 378, 92);
    const char* rows[]
        = {"G大调第一号大提琴组曲  巴赫  马友友     flac", "D小调第二号大提琴组曲  巴赫  马友友     flac",
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

void PageMockup::downloadPage()
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

void PageMockup::settingsPage()
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

void PageMockup::fill(double x, double y, double w, double h, Colour colour)
{
    cairo_rectangle(m_cr, x, y, w, h);
    setColour(m_cr, colour);
    cairo_fill(m_cr);
}

void PageMockup::shadowedText(double x, double y, const char* text, double size)
{
    label(m_cr, x + 1, y + 1, text, size, palette::black.withAlpha(0.32));
    label(m_cr, x, y, text, size, palette::white);
}

void PageMockup::button(const std::string& name, int frame, double x, double y)
{
    drawPart(m_cr, image(name), frame * 20, 0, 20, 20, x, y);
}

void PageMockup::mark(const std::string& name, double frameX, double x, double y, const char* text)
{
    drawPart(m_cr, image(name), frameX, 0, 17, 17, x + 4, y + 4);
    label(m_cr, x + 24, y + 17, text, 12, palette::black.withAlpha(153 / 255.0));
}

void PageMockup::messageBox(double x, double y)
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

}  // namespace quorvo::art::sheet
