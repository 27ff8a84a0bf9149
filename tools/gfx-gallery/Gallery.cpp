#include "Gallery.h"

#include "SampleImages.h"
#include "gfx/Image.h"
#include "gfx/Shapes.h"
#include "gfx/TextPainter.h"
#include "runtime/Encoding.h"

#include <string>

namespace quorvo::gallery {

namespace {

using namespace gfx;

Text zh(std::string_view utf8)
{
    return encoding::fromUtf8(utf8);
}

class Sheet {
public:
    explicit Sheet(Painter& painter)
        : m_painter(painter)
        , m_label(createFont("DejaVu Sans", 9.0f, FontStyle::Regular))
    { }

    Painter& painter() { return m_painter; }

    void heading(float y, std::string_view title)
    {
        fillRect(m_painter, {4, y, sheetWidth - 7, 15}, 0xFF3A5F8A);
        StringFormat format(StringFormatFlags::NoWrap);
        drawText(m_painter, {8, y + 1, sheetWidth - 16, 14}, zh(title), createFont(zh("宋体"), 12.0f, FontStyle::Bold),
                 0xFFFFFFFF, format);
    }

    void label(float x, float y, float width, std::string_view text)
    {
        StringFormat format(StringFormatFlags::NoWrap);
        format.align(StringAlignment::Center);
        drawText(m_painter, {x, y, width, 12}, zh(text), m_label, 0xFF404040, format);
    }

private:
    Painter& m_painter;
    Font m_label;
};

Argb checker(int x, int y)
{
    return ((x / 4 + y / 4) % 2) != 0 ? 0xFFDDDDDD : 0xFFFFFFFF;
}

void paintBackground(Painter& painter)
{
    fillGradient(painter, {0, 0, sheetWidth + 1, sheetHeight + 1}, 0xFFF4F6F9, 0xFFDCE3EC, GradientMode::Vertical);
}

void paintFills(Sheet& sheet, float y)
{
    Painter& p = sheet.painter();
    sheet.heading(y, "fillRect · fillGradient (0 H, 1 V, 2 ↘, 3 ↙)");
    y += 19;
    fillRect(p, {8, y, 60, 30}, toArgb(0x8A5F3A));
    fillRect(p, {28, y + 8, 60, 30}, toArgb(0x2020D0, 140));
    sheet.label(8, y + 40, 80, "fillRect α254/140");
    const Argb from = 0xFFFFB000;
    const Argb to = 0xFF2050C0;
    for (int mode = 0; mode < 4; ++mode) {
        const float x = 100.0f + static_cast<float>(mode) * 77.0f;
        fillGradient(p, {x, y, 72, 38}, from, to, static_cast<GradientMode>(mode));
        sheet.label(x, y + 40, 72, "mode " + std::to_string(mode));
    }
}

void paintFrames(Sheet& sheet, float y)
{
    Painter& p = sheet.painter();
    sheet.heading(y, "drawFrame styles 1 sunken, 2 raised, 3 solid, 4 dashed, ARGB");
    y += 19;
    const std::uint32_t styles[5] = {frame::Sunken, frame::Raised, frame::Solid, frame::Dashed, 0xFFD02060};
    const char* names[5] = {"1 sunken", "2 raised", "3 solid", "4 dashed", "0xFFD02060"};
    for (int i = 0; i < 5; ++i) {
        const float x = 8.0f + static_cast<float>(i) * 80.0f;
        fillRect(p, {x, y, 73, 31}, 0xFFC8CED6);
        drawFrame(p, {x + 4, y + 4, 64, 22}, styles[i], std::nullopt, i < 2 ? 2.0f : 1.0f);
        sheet.label(x, y + 32, 72, names[i]);
    }
}

void paintLinesAndRounds(Sheet& sheet, float y)
{
    Painter& p = sheet.painter();
    sheet.heading(y, "drawLine · fill/drawRoundRect (dash 0-4) · clipToPath · drawSpotGlow");
    y += 19;
    for (int i = 0; i < 3; ++i) {
        const float offset = static_cast<float>(i) * 9.0f;
        drawLine(p, 0xFF202020, 8, y + 4 + offset, 60, y + 4 + offset, static_cast<float>(i + 1));
    }
    drawLine(p, 0xFFC02020, 8, y + 34, 60, y + 26);
    sheet.label(4, y + 40, 62, "w 1, 2, 3");
    fillRoundRect(p, {70, y, 50, 36}, 10, toArgb(0x50A050));
    sheet.label(66, y + 40, 58, "fill d=10");
    for (int dash = 0; dash < 5; ++dash) {
        const float x = 128.0f + static_cast<float>(dash) * 34.0f;
        drawRoundRect(p, {x, y, 30, 36}, 8, 0xFF303080, static_cast<DashStyle>(dash), dash == 0 ? 2.0f : 1.0f);
        sheet.label(x, y + 40, 30, std::to_string(dash));
    }
    {
        PainterStateSaver saver(p);
        p.clipPath(roundRectPath({300, y, 44, 36}, 16), CombineMode::Intersect);
        fillGradient(p, {300, y, 45, 37}, 0xFFE04040, 0xFF4040E0, GradientMode::ForwardDiagonal);
    }
    sheet.label(296, y + 40, 52, "clip");
    fillRect(p, {352, y, 51, 37}, 0xFF203040);
    drawSpotGlow(p, 377, y + 18);
    sheet.label(352, y + 40, 50, "spot glow");
}

void paintImages(Sheet& sheet, float y)
{
    Painter& p = sheet.painter();
    sheet.heading(y, "Images: PNG · no-signature PNG · JPEG · GIF frames · nine-grid (α 128)");
    y += 19;
    const std::string quadrants = samples::encodePng(32, 32, [](int x, int yy) -> Argb {
        if (yy < 16) {
            return x < 16 ? 0xFFE04040 : 0xFF40C040;
        }
        return x < 16 ? 0xFF4060E0 : 0x80FFFFFF;
    });
    const Image png = loadImage(quadrants);
    drawImage(p, png, {8, y, 40, 40});
    sheet.label(4, y + 42, 48, "whole");
    drawImage(p, png, {54, y, 40, 40}, FloatRect {0, 0, 16, 16});
    sheet.label(50, y + 42, 48, "src 16²");
    const Image noSignature = loadImage(quadrants.substr(pngSignature.size()), true);
    drawImage(p, noSignature, {100, y, 32, 32});
    sheet.label(96, y + 42, 40, noSignature ? "+sig ok" : "+sig FAIL");
    const Image jpeg
        = loadImage(samples::encodeJpeg(40, 40, [](int x, int yy) { return argb(255, x * 6, yy * 6, 160); }));
    drawImage(p, jpeg, {140, y, 40, 40});
    sheet.label(136, y + 42, 48, "JPEG");

    samples::GifFrame first {0, 0, 12, 12, std::vector<std::uint8_t>(144, 1), 10, -1, 1};
    samples::GifFrame second {4, 4, 8, 8, std::vector<std::uint8_t>(64, 2), 20, -1, 2};
    samples::GifFrame third {0, 0, 6, 6, std::vector<std::uint8_t>(36, 3), 30, -1, 1};
    Image gif = loadImage(samples::encodeGif(12, 12, {0, 0xE0A020, 0x20A0E0, 0xA020E0}, {first, second, third}), false,
                          ImageKind::Animated);
    const std::vector<int> delays = gif.delays().value_or(std::vector<int> {});
    for (int frame = 0; frame < gif.frameCount(); ++frame) {
        gif.selectFrame(frame);
        const float x = 190.0f + static_cast<float>(frame) * 30.0f;
        drawImage(p, gif, {x, y + 4, 24, 24});
        sheet.label(x - 3, y + 30, 30,
                    std::to_string(delays.size() > static_cast<std::size_t>(frame) ? delays[frame] : -1) + "cs");
    }
    sheet.label(190, y + 42, 84, "GIF 3 frames");

    const Image grid = loadImage(samples::nineBlockPng());
    for (int x = 280; x < 404; ++x) {
        for (int row = 0; row < 36; ++row) {
            fillRect(p, {static_cast<float>(x), y + static_cast<float>(row), 2, 2}, checker(x, row));
        }
    }
    drawNineGrid(p, grid, {280, y, 60, 36}, {10, 10, 10, 10});
    drawNineGrid(p, grid, {344, y, 60, 36}, {10, 10, 10, 10}, 128);
    sheet.label(280, y + 42, 60, "nine-grid");
    sheet.label(344, y + 42, 60, "alpha 128");
}

void paintFonts(Sheet& sheet, float y)
{
    Painter& p = sheet.painter();
    sheet.heading(y, "Fonts: default 宋体 12 px · styles · createFont fallback");
    y += 18;
    const StringFormat plain(StringFormatFlags::NoWrap);
    const Font& song = defaultFont();
    drawText(p, {8, y, 396, 16},
             zh("默认字体 ") + song.familyName() + zh(" 12px: 下载完毕 Quorvo Lossless 0123 ABC abc"), song, 0xFF000000,
             plain);
    y += 17;
    const struct {
        FontStyle style;
        const char* name;
    } styles[] = {{FontStyle::Bold, "粗体 Bold"},
                  {FontStyle::Italic, "斜体 Italic"},
                  {FontStyle::Underline, "下划线 Under"},
                  {FontStyle::Strikeout, "删除线 Strike"}};
    float x = 8;
    for (const auto& style : styles) {
        drawText(p, {x, y, 100, 16}, zh(style.name), createFont(zh("宋体"), 12.0f, style.style), 0xFF102040, plain);
        x += 99;
    }
    y += 17;
    const Font fallback = createFont("No Such Font", 16.0f, FontStyle::Regular);
    drawText(p, {8, y, 396, 20}, zh("createFont(\"No Such Font\", 16) → ") + fallback.familyName() + zh(" 16px 歌曲"),
             fallback, 0xFF603010, plain);
    y += 20;
    drawText(p, {8, y, 396, 18}, zh("DejaVu Sans 13px + 中文 from the same CJK face"),
             createFont("DejaVu Sans", 13.0f, FontStyle::Regular), 0xFF204020, plain);
}

void paintTextFormats(Sheet& sheet, float y)
{
    Painter& p = sheet.painter();
    sheet.heading(y, "StringFormat: align · ellipsis · hot-key · wrap · line limit · tabs");
    y += 19;
    const Font& font = defaultFont();
    const char* alignNames[3] = {"near 靠左", "centre 居中", "far 靠右"};
    for (int align = 0; align < 3; ++align) {
        const float x = 8.0f + static_cast<float>(align) * 132.0f;
        fillRect(p, {x, y, 128, 18}, 0xFFFFFFFF);
        drawFrame(p, {x, y, 127, 17}, frame::Solid);
        StringFormat format(StringFormatFlags::NoWrap);
        format.align(static_cast<StringAlignment>(align));
        drawText(p, {x + 2, y + 2, 122, 14}, zh(alignNames[align]), font, 0xFF000000, format);
    }
    y += 22;
    const Text longText = zh("很长的歌曲名称 A very long song title.flac");
    const StringTrimming trims[3]
        = {StringTrimming::Character, StringTrimming::EllipsisCharacter, StringTrimming::EllipsisPath};
    const char* trimNames[3] = {"1 char", "3 ellipsis", "5 path"};
    for (int i = 0; i < 3; ++i) {
        const float x = 8.0f + static_cast<float>(i) * 132.0f;
        fillRect(p, {x, y, 128, 18}, 0xFFFFFFFF);
        StringFormat format(StringFormatFlags::NoWrap);
        format.trimming(trims[i]);
        drawText(p, {x + 2, y + 2, 122, 14}, longText, font, 0xFF000000, format);
        sheet.label(x, y + 18, 128, trimNames[i]);
    }
    y += 32;
    const char* prefixNames[3] = {"prefix 0: &File", "1 show", "2 hide"};
    for (int mode = 0; mode < 3; ++mode) {
        const float x = 8.0f + static_cast<float>(mode) * 132.0f;
        StringFormat format(StringFormatFlags::NoWrap);
        format.hotkeyPrefix(static_cast<HotkeyPrefix>(mode));
        drawText(p, {x, y, 60, 16}, "&File", font, 0xFF000000, format);
        sheet.label(x + 56, y + 2, 70, prefixNames[mode]);
    }
    y += 18;
    fillRect(p, {8, y, 130, 40}, 0xFFFFFFFF);
    drawText(p, {10, y + 1, 126, 38}, zh("自动换行 word wrap in a narrow box keeps going"), font, 0xFF000000,
             StringFormat());
    fillRect(p, {142, y, 130, 40}, 0xFFFFFFFF);
    drawText(p, {144, y + 1, 126, 38}, zh("line limit 行数限制 shows only the lines that fit whole"), font, 0xFF000000,
             StringFormat(StringFormatFlags::LineLimit));
    StringFormat tabs(StringFormatFlags::NoWrap);
    tabs.setTabStops(0.0f, {40.0f});
    fillRect(p, {276, y, 128, 40}, 0xFFFFFFFF);
    drawText(p, {278, y + 1, 124, 38}, zh("a\tb\tc\n歌\t曲\t名"), font, 0xFF000000, tabs);
    sheet.label(8, y + 41, 130, "wrap");
    sheet.label(142, y + 41, 130, "LineLimit");
    sheet.label(276, y + 41, 128, "tab stops 40");
}

void paintEffects(Sheet& sheet, float y)
{
    Painter& p = sheet.painter();
    sheet.heading(y, "drawText effects: 3 glow · 4 outline (halo by isDark)");
    y += 19;
    const Font caption = createFont(zh("宋体"), 14.0f, FontStyle::Bold);
    const StringFormat format(StringFormatFlags::NoWrap);
    // Mid-tone backgrounds, so that both halo colours show; black and white text.
    fillGradient(p, {8, y, 197, 60}, 0xFF9AA8B8, 0xFF6E8094, GradientMode::Horizontal);
    fillGradient(p, {205, y, 199, 60}, 0xFFB8C4D0, 0xFF8898A8, GradientMode::Horizontal);
    drawText(p, {14, y + 6, 120, 25}, zh("无损下载 glow"), caption, 0xFF000000, format, TextEffect::Glow);
    drawText(p, {14, y + 32, 120, 25}, zh("无损下载 outline"), caption, 0xFF000000, format, TextEffect::Outline);
    drawText(p, {212, y + 6, 120, 25}, zh("无损下载 glow"), caption, 0xFFFFFFFF, format, TextEffect::Glow);
    drawText(p, {212, y + 32, 120, 25}, zh("无损下载 outline"), caption, 0xFFFFFFFF, format, TextEffect::Outline);
    drawText(p, {330, y + 6, 80, 25}, zh("红光"), caption, 0xFFFFFFFF, format, TextEffect::Glow, 0xE0FF3030);
    drawText(p, {330, y + 32, 80, 25}, zh("plain"), caption, 0xFFFFFFFF, format);
    sheet.label(8, y + 62, 197, "dark text → white halo α85");
    sheet.label(205, y + 62, 199, "light text → black halo α75 · red given");
}

}  // namespace

gfx::Surface drawGallery()
{
    Surface surface = Surface::create(sheetWidth, sheetHeight);
    Painter painter(surface);
    paintBackground(painter);
    Sheet sheet(painter);
    paintFills(sheet, 2);
    paintFrames(sheet, 72);
    paintLinesAndRounds(sheet, 138);
    paintImages(sheet, 212);
    paintFonts(sheet, 290);
    paintTextFormats(sheet, 384);
    paintEffects(sheet, 548);
    drawFrame(painter, {0, 0, sheetWidth, sheetHeight}, frame::Solid);
    return surface;
}

}  // namespace quorvo::gallery
