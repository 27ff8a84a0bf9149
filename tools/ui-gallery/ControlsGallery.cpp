#include "ControlsGallery.h"

#include "ui/controls/UiCaptionButtons.h"
#include "ui/controls/UiCheckBox.h"
#include "ui/controls/UiImageButton.h"
#include "ui/controls/UiLabel.h"
#include "ui/controls/UiLink.h"
#include "ui/controls/UiMessageBox.h"
#include "ui/controls/UiRadioButton.h"
#include "ui/controls/UiScrollBar.h"
#include "ui/controls/UiTabButton.h"
#include "ui/core/UiHost.h"

#include "assets/Assets.h"
#include "gfx/Painter.h"
#include "platform/window/EventLoop.h"
#include "platform/window/SyntheticInput.h"

#include <chrono>
#include <functional>

namespace quorvo::ui::gallery {

namespace {

namespace synthetic = platform::synthetic;

enum class Look { Normal, Hover, Pressed, Disabled, Focused, Checked };
constexpr Look allLooks[] = {Look::Normal, Look::Hover, Look::Pressed, Look::Disabled, Look::Focused, Look::Checked};

constexpr int cellWidth = 130;
constexpr int cellHeight = 60;

Bytes asset(std::string_view name)
{
    return Bytes(assets::asStringView(assets::find(name)));
}

const gfx::Argb white = gfx::argb(254, 255, 255, 255);

void pump(UiFramework& framework)
{
    for (int i = 0; i < 4; ++i)
        framework.processPending();
}

// One host per picture: the background picture, one control, one state.
class Cell {
public:
    Cell(UiFramework& framework, int width = cellWidth, int height = cellHeight, unsigned captionFlags = 0)
        : m_framework(framework)
        , m_host(framework, options(width, height, captionFlags))
    {
        m_host.show();
        pump(framework);
    }

    UiHost& host() { return m_host; }

    void apply(UiControl& control, Look look)
    {
        pump(m_framework);
        const int x = int(control.left() + control.width() / 2);
        const int y = int(control.top() + control.height() / 2);
        switch (look) {
        case Look::Hover:
            synthetic::mouseMove(m_framework.loop(), m_host.window(), x, y);
            break;
        case Look::Pressed:
            synthetic::mouseMove(m_framework.loop(), m_host.window(), x, y);
            synthetic::mouseButton(m_framework.loop(), m_host.window(), synthetic::MouseButton::Left, true, x, y);
            break;
        case Look::Disabled:
            control.setEnabled(false);
            break;
        case Look::Focused:
            control.setFocus(true);
            break;
        case Look::Normal:
        case Look::Checked:
            break;
        }
        pump(m_framework);
        // State changes cross-fade: the picture is taken once they have ended.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (control.isTransitionRunning() && std::chrono::steady_clock::now() < end)
            m_framework.processPending();
    }

    gfx::Surface picture()
    {
        m_host.repaintAll();
        return m_host.backBuffer().copy();
    }

private:
    static HostOptions options(int width, int height, unsigned captionFlags)
    {
        HostOptions options;
        options.width = width;
        options.height = height;
        options.position = IntPoint {0, 0};
        options.captionFlags = captionFlags;
        options.backgroundImage = asset("background.jpg");
        options.backgroundColour = 6060765;
        options.frameStyle = 0;
        return options;
    }

    UiFramework& m_framework;
    UiHost m_host;
};

using Maker = std::function<UiControl&(UiHost&, Look)>;

struct Row {
    std::string name;
    Maker make;
};

std::vector<Row> rows()
{
    std::vector<Row> list;
    list.push_back({"image-button", [](UiHost& host, Look) -> UiControl& {
                        ImageStrip strip;
                        strip.image = asset("button_start.png");
                        return host.add<UiImageButton>(FloatRect {55, 20, 20, 20}, strip);
                    }});
    list.push_back({"tab-button", [](UiHost& host, Look look) -> UiControl& {
                        ButtonOptions options;
                        options.textColour = white;
                        options.appearance = 4;
                        auto& tab = host.add<UiTabButton>(FloatRect {35, 8, 60, 45}, "\xCB\xD1\xCB\xF7",  // 搜索
                                                          asset("tab_search.png"), options, gfx::argb(81, 0, 0, 0));
                        if (look == Look::Checked)
                            tab.select();
                        return tab;
                    }});
    list.push_back({"check-box", [](UiHost& host, Look look) -> UiControl& {
                        ButtonOptions options;
                        options.textColour = white;
                        auto& box = host.add<UiCheckBox>(FloatRect {10, 17, 110, 25}, "\xD7\xD4\xB6\xAF",  // 自动
                                                         options);
                        box.setChecked(look == Look::Checked);
                        return box;
                    }});
    list.push_back({"radio-button", [](UiHost& host, Look look) -> UiControl& {
                        ButtonOptions options;
                        options.textColour = white;
                        auto& radio = host.add<UiRadioButton>(FloatRect {10, 17, 110, 25}, "\xC9\xF9\xD2\xF4",  // 声音
                                                              1, options);
                        radio.setChecked(look == Look::Checked);
                        return radio;
                    }});
    list.push_back({"link", [](UiHost& host, Look look) -> UiControl& {
                        LabelOptions options;
                        options.textColour = white;
                        options.textEffect = gfx::TextEffect::Glow;
                        options.effectColour = gfx::argb(102, 0, 0, 0);
                        auto& link = host.add<UiLink>(FloatRect {40, 18, 50, 25}, "\xC8\xAB\xD1\xA1",  // 全选
                                                      options);
                        link.setHoverColour(white);
                        link.setVisitedColour(white);
                        link.setOpener([](std::string_view) { return true; });
                        (void)look;
                        return link;
                    }});
    list.push_back({"label", [](UiHost& host, Look) -> UiControl& {
                        LabelOptions options;
                        options.textColour = white;
                        options.gradient = gfx::GradientMode::Horizontal;
                        options.gradientStart = gfx::argb(31, 0, 255, 0);
                        options.gradientEnd = gfx::argb(120, 0, 255, 0);
                        options.borderColour = gfx::argb(90, 255, 255, 255);
                        options.alignment = gfx::StringAlignment::Center;
                        options.lineAlignment = gfx::StringAlignment::Center;
                        options.textEffect = gfx::TextEffect::Outline;
                        return host.add<UiLabel>(FloatRect {10, 15, 110, 30}, "128 KB/s", options);
                    }});
    list.push_back({"scroll-bar", [](UiHost& host, Look) -> UiControl& {
                        auto& bar = host.add<UiScrollBar>(FloatRect {10, 25, 110, 10});
                        bar.setPosition(40);
                        return bar;
                    }});
    list.push_back({"scroll-bar-vertical", [](UiHost& host, Look) -> UiControl& {
                        auto& bar = host.add<UiScrollBar>(FloatRect {60, 2, 10, 56}, ScrollOrientation::Vertical);
                        bar.setPosition(70);
                        return bar;
                    }});
    return list;
}

gfx::Surface captionRow(UiFramework& framework, Look look)
{
    Cell cell(framework, cellWidth, 35, caption::Close | caption::Minimise | caption::Menu);
    for (UiControl* button : cell.host().captionButtons()) {
        if (look == Look::Disabled)
            button->setEnabled(false);
    }
    if (look == Look::Hover || look == Look::Pressed) {
        for (UiControl* button : cell.host().captionButtons()) {
            if (dynamic_cast<UiCaptionButtons*>(button)->buttonKind() == CaptionButtonKind::Minimise)
                cell.apply(*button, look);
        }
    }
    return cell.picture();
}

gfx::Surface messageBoxPicture(UiFramework& framework, const UiHost* owner, const Text& text, MessageBoxButtons set,
                               int icon)
{
    gfx::Surface picture;
    MessageBoxOptions options;
    options.buttons = set;
    options.icon = icon;
    options.beep = false;
    options.onCreated = [&](UiHost& box, int, int) {
        box.repaintAll();
        picture = box.backBuffer().copy();
        box.requestClose();
    };
    messageBox(framework, owner, text, options);
    return picture;
}

}  // namespace

std::vector<GalleryPicture> renderControlsGallery(UiFramework& framework)
{
    installCaptionButtons(framework);
    std::vector<GalleryPicture> pictures;
    const std::vector<Row> list = rows();
    const int columns = int(std::size(allLooks));

    gfx::Surface sheet = gfx::Surface::create(cellWidth * columns, cellHeight * int(list.size() + 1));
    gfx::Painter sheetPainter(sheet);
    for (std::size_t r = 0; r < list.size(); ++r) {
        for (int c = 0; c < columns; ++c) {
            Cell cell(framework);
            UiControl& control = list[r].make(cell.host(), allLooks[c]);
            cell.apply(control, allLooks[c]);
            gfx::Surface picture = cell.picture();
            sheetPainter.drawSurface(picture, float(c * cellWidth), float(int(r) * cellHeight));
            // The golden-image tests compare the checked mark and the selected tab.
            if (allLooks[c] == Look::Checked
                && (list[r].name == "check-box" || list[r].name == "radio-button" || list[r].name == "tab-button"))
                pictures.push_back({list[r].name + ".png", std::move(picture)});
        }
    }
    for (int c = 0; c < 4; ++c) {
        gfx::Surface row = captionRow(framework, allLooks[c]);
        sheetPainter.drawSurface(row, float(c * cellWidth), float(int(list.size()) * cellHeight));
    }
    pictures.push_back({"controls.png", std::move(sheet)});

    // The boxes borrow the main window's look.
    Cell owner(framework, 410, 650, caption::Close | caption::Minimise | caption::Menu);
    const Text question
        = "\xB8\xC3\xB2\xD9\xD7\xF7\xBD\xAB\xC9\xBE\xB3\xFD\xB9\xB4\xD1\xA1\xB8\xE8\xC7\xFA\xBC\xB0"
          "\xB8\xE8\xB4\xCA\xCE\xC4\xBC\xFE\r\n\xC8\xB7\xC8\xCF\xC9\xBE\xB3\xFD?";  // 该操作将删除勾选歌曲及歌词文件
                                                                                    // 确认删除?
    pictures.push_back(
        {"message-box.png", messageBoxPicture(framework, &owner.host(), question, MessageBoxButtons::OkCancel, 48)});
    for (int set = 0; set <= 5; ++set) {
        for (const int icon : {0, 64}) {
            pictures.push_back({"message-box-set" + std::to_string(set) + (icon ? "-icon" : "") + ".png",
                                messageBoxPicture(framework, &owner.host(), question, MessageBoxButtons(set), icon)});
        }
    }
    Text longText = "\xB8\xE8\xC7\xFA\xCE\xB4\xCF\xC2\xD4\xD8\xCD\xEA\xB1\xCF,";  // 歌曲未下载完毕,
    for (int i = 0; i < 4; ++i)
        longText += " a rather long line that widens the box";
    longText += "\r\nsecond line\r\nthird line\r\nfourth line";
    pictures.push_back({"message-box-long.png",
                        messageBoxPicture(framework, &owner.host(), longText, MessageBoxButtons::YesNoCancel, 32)});
    return pictures;
}

}  // namespace quorvo::ui::gallery
