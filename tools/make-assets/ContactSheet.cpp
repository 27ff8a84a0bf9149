#include "ContactSheet.h"

#include "Canvas.h"
#include "ImageCodec.h"
#include "MsAdpcm.h"
#include "PageMockup.h"
#include "Palette.h"
#include "SheetDrawing.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <span>
#include <string_view>

namespace quorvo::art {

namespace {

using sheet::backdrop;
using sheet::checkerboard;
using sheet::drawZoomed;
using sheet::label;

constexpr int scale = 3;
constexpr int gap = 12;
constexpr int labelWidth = 190;

struct Decoded {
    std::string name;
    Canvas canvas;
    bool panel;
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
    return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8
        | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16
        | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
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
        sheet::PageMockup mockup(cr, byName, x, 30);
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
        checkerboard(cr, cx, y + h + 12, w + 8, h + 8, row.image->panel);
        drawZoomed(cr, image, cx + 4, y + h + 16, 1);
        cx += std::max(w + 8, 60) + gap;
        checkerboard(cr, cx, y, w * scale, h * scale, row.image->panel);
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
        label(cr, gap, soundY + 16,
              sounds[i]->name + "  " + std::to_string(wave.size()) + " bytes  " + description + "  "
                  + std::to_string(samples.size() * 1000 / 22050) + " ms",
              13, palette::black.withAlpha(0.85));
        waveform(cr, samples, gap, soundY + 24, 1200, 80);
        soundY += 120;
    }

    cairo_surface_flush(sheet.surface());
    return cairo_surface_write_to_png(sheet.surface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace quorvo::art