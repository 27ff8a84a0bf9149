#include "ui/controls/MessageBoxLayout.h"

#include <string_view>

namespace quorvo::ui {

namespace {

constexpr std::string_view captionOk = "\xC8\xB7\xC8\xCF";           // 确认
constexpr std::string_view captionCancel = "\xC8\xA1\xCF\xFB";       // 取消
constexpr std::string_view captionAbort = "\xB7\xC5\xC6\xFA";        // 放弃
constexpr std::string_view captionRetry = "\xD6\xD8\xCA\xD4";        // 重试
constexpr std::string_view captionIgnore = "\xBA\xF6\xC2\xD4";       // 忽略
constexpr std::string_view captionYes = "\xCA\xC7\x28\x26\x59\x29";  // 是(&Y)
constexpr std::string_view captionNo = "\xB7\xF1\x28\x26\x4E\x29";   // 否(&N)

struct SetEntry {
    std::string_view caption;
    MessageBoxResult code;
};

// Right to left, as the box numbers its buttons.
std::vector<SetEntry> setEntries(MessageBoxButtons set)
{
    using R = MessageBoxResult;
    switch (set) {
    case MessageBoxButtons::Ok:
        return {{captionOk, R::Ok}};
    case MessageBoxButtons::OkCancel:
        return {{captionCancel, R::Cancel}, {captionOk, R::Ok}};
    case MessageBoxButtons::AbortRetryIgnore:
        return {{captionIgnore, R::Ignore}, {captionRetry, R::Retry}, {captionAbort, R::Abort}};
    case MessageBoxButtons::YesNoCancel:
        return {{captionCancel, R::Cancel}, {captionNo, R::No}, {captionYes, R::Yes}};
    case MessageBoxButtons::YesNo:
        return {{captionNo, R::No}, {captionYes, R::Yes}};
    case MessageBoxButtons::RetryCancel:
        return {{captionCancel, R::Cancel}, {captionRetry, R::Retry}};
    }
    // An unknown set shows the plain OK box.
    return {{captionOk, R::Ok}};
}

constexpr float marginWithIcon = 120.0f;
constexpr float marginWithoutIcon = 60.0f;
constexpr float verticalMargin = 100.0f;
constexpr float singleLineHeight = 30.0f;
constexpr float singleLineShift = 4.0f;

int centred(int start, int referenceLength, int length)
{
    return start + (referenceLength - length) / 2;
}

}  // namespace

std::vector<MessageBoxButton> messageBoxButtons(MessageBoxButtons set, std::span<const Text> customCaptions)
{
    std::vector<MessageBoxButton> buttons;
    const std::vector<SetEntry> entries = setEntries(set);
    buttons.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const bool custom = i < customCaptions.size();
        buttons.push_back({custom ? customCaptions[i] : Text(entries[i].caption), entries[i].code});
    }
    return buttons;
}

std::optional<int> messageIconCell(int icon)
{
    switch (icon) {
    case 0:
        return std::nullopt;
    case 16:
        return 0;
    case 48:
        return 40;
    case 32:
        return 80;
    case 64:
        return 120;
    case 128:
        return 160;
    default:
        return 0;
    }
}

IntRect messageBoxButtonRect(IntSize boxSize, int index)
{
    const int position = index + 1;
    return {boxSize.width - 75 * position - 8, boxSize.height - 35, messageBoxButtonSize.width,
            messageBoxButtonSize.height};
}

MessageBoxGeometry layoutMessageBox(FloatSize measured, bool hasIcon, const IntRect& reference, int buttonCount)
{
    MessageBoxGeometry geometry;
    IntSize size = messageBoxSize;
    FloatRect area = hasIcon ? FloatRect {85, 43, 200, 50} : FloatRect {30, 43, 260, 50};
    const float margin = hasIcon ? marginWithIcon : marginWithoutIcon;

    if (measured.width > area.width) {
        size.width = static_cast<int>(measured.width + margin);
        area.width = measured.width + 10.0f;
    }
    if (measured.height > area.height) {
        size.height = static_cast<int>(measured.height + verticalMargin);
        area.height = measured.height + 5.0f;
    }
    if (measured.height < singleLineHeight)
        area.y += singleLineShift;

    geometry.box = {centred(reference.x, reference.width, size.width),
                    centred(reference.y, reference.height, size.height), size.width, size.height};
    geometry.textArea = area;
    for (int i = 0; i < buttonCount; ++i)
        geometry.buttons.push_back(messageBoxButtonRect(size, i));
    return geometry;
}

}  // namespace quorvo::ui
