#include "app/SettingsPage.h"

#include "app/Captions.h"
#include "app/PageLook.h"
#include "app/sound/CompletionSoundPlayback.h"
#include "ui/controls/UiCheckBox.h"
#include "ui/controls/UiComboBox.h"
#include "ui/controls/UiRadioButton.h"
#include "ui/controls/UiSpinButton.h"
#include "ui/core/UiPanel.h"

namespace quorvo::app {

using gfx::argb;
namespace where = look::settings;

SettingsPage::SettingsPage(const PageContext& context, ui::UiPanel& panel)
    : m_host(context.host)
    , m_settings(context.services.settings())
    , m_prompts(context.prompts)
    , m_post(context.post)
    , m_bindings(context.services.config(), m_settings)
    , m_self(std::make_shared<SettingsPage*>(this))
{
    const SettingsValues values = m_settings.values();
    const ui::ButtonOptions markLook = look::markLook();
    addCaptions(panel);

    m_folderBox = &panel.add<ui::UiEdit>(
        where::folderBox, values.saveDirectory,
        look::editLook(argb(190, 0, 0, 0), argb(10, 0, 0, 0), argb(51, 0, 96, 192), ui::EditInputMode::ReadOnly));
    look::addImageButton(*m_folderBox, where::browse, "button_open_folder.png", caption::browseTip).onClick
        = [this] { browseFolder(); };

    auto& scheme = panel.add<ui::UiComboBox>(where::namingScheme);
    scheme.addItem(Text(caption::schemeArtistSong));
    scheme.addItem(Text(caption::schemeSongArtist));
    scheme.addItem(Text(caption::schemeSong));
    scheme.addItem(Text(caption::schemeFolders));
    scheme.setAlpha(where::namingSchemeAlpha);
    if (scheme.isValidIndex(static_cast<int>(values.namingItem)))
        scheme.setCurrentIndex(static_cast<int>(values.namingItem));
    scheme.onSelectionChanged = [this](int item) { m_bindings.namingSchemeSelected(item); };

    auto& lyrics = panel.add<ui::UiCheckBox>(where::lyrics, Text(caption::lyricsBox), markLook);
    lyrics.setChecked(values.lyrics);
    lyrics.onCheckedChanged = [this](bool ticked) { m_bindings.lyricsChanged(ticked); };
    auto& embedLyrics = panel.add<ui::UiCheckBox>(where::embedLyrics, Text(caption::embedLyricsBox), markLook);
    embedLyrics.setChecked(values.embedLyrics);
    embedLyrics.onCheckedChanged = [this](bool ticked) { m_bindings.embedLyricsChanged(ticked); };

    // (无), 旋风, 迅雷: `wav` 0, 1, 2, built in the order they show.
    std::array<ui::UiRadioButton*, 3> sounds {};
    sounds[1] = &panel.add<ui::UiRadioButton>(where::soundWhirlwind, Text(caption::soundWhirlwind), 0, markLook);
    look::addImageButton(panel, where::play1, "button_play.png", caption::playTip).onClick
        = [] { playCompletionSound(int64_t {1}); };
    sounds[2] = &panel.add<ui::UiRadioButton>(where::soundThunder, Text(caption::soundThunder), 0, markLook);
    look::addImageButton(panel, where::play2, "button_play.png", caption::playTip).onClick
        = [] { playCompletionSound(int64_t {2}); };
    sounds[0] = &panel.add<ui::UiRadioButton>(where::soundNone, Text(caption::soundNone), 0, markLook);
    if (values.sound >= 0 && values.sound <= 2)
        sounds[static_cast<std::size_t>(values.sound)]->setChecked(true);
    for (int sound = 0; sound < 3; ++sound) {
        sounds[static_cast<std::size_t>(sound)]->onCheckedChanged = [this, sound](bool checked) {
            if (checked)
                m_bindings.soundSelected(sound);
        };
    }

    auto& bypass = panel.add<ui::UiCheckBox>(where::bypass, Text(caption::bypassBox), markLook);
    bypass.setChecked(values.bypass);
    bypass.onCheckedChanged = [this](bool ticked) { m_bindings.bypassChanged(ticked); };
    auto& removeAdded = panel.add<ui::UiCheckBox>(where::removeAdded, Text(caption::removeAddedBox), markLook);
    removeAdded.setChecked(values.removeAdded);
    removeAdded.onCheckedChanged = [this](bool ticked) { m_bindings.removeAddedChanged(ticked); };

    m_speedBox = &panel.add<ui::UiEdit>(where::speedBox, values.speed,
                                        look::editLook(look::settingsText, ui::EditOptions {}.background,
                                                       argb(51, 0, 96, 192), ui::EditInputMode::Decimal));
    m_speedBox->onTextChanged = [this] { m_bindings.speedTextChanged(m_speedBox->editText()); };
    for (const int step : {1, -1}) {
        auto& spin = m_speedBox->add<ui::UiSpinButton>(step > 0 ? where::speedUp : where::speedDown,
                                                       step > 0 ? ui::SpinDirection::Up : ui::SpinDirection::Down);
        spin.onClick = [this, step] {
            const Text next = spinSpeed(m_speedBox->editText(), step);
            if (next != m_speedBox->editText()) {
                m_speedBox->setEditText(next);
                m_bindings.speedTextChanged(next);
            }
        };
    }
    panel.add<ui::UiLabel>(where::speedUnit, Text(caption::speedUnit), look::labelLook(look::settingsText));

    look::addLink(panel, where::versionLink, caption::versionLink).onClick
        = [&opener = context.opener, authorPage = context.authorPage] { opener.open(authorPage); };
}

SettingsPage::~SettingsPage()
{
    m_prompts.cancelFolderChoices();
    if (m_folderChooser.joinable())
        m_folderChooser.join();
}

void SettingsPage::addCaptions(ui::UiPanel& panel)
{
    // The captions of the rows, one line each of the grid, blank lines keeping
    // the rows apart. Each line is its own label centred on its grid line: the
    // installed CJK fonts are taller than 14 pixels a line, and one multi-line
    // label would drift off the lower rows.
    std::string_view captions = caption::settingsCaptions;
    for (float top = where::captionTop; !captions.empty(); top += where::captionLine) {
        const std::size_t end = captions.find("\r\n");
        const std::string_view line = captions.substr(0, end);
        captions = end == std::string_view::npos ? std::string_view() : captions.substr(end + 2);
        if (line.empty())
            continue;
        ui::LabelOptions options = look::labelLook(look::settingsText);
        options.lineAlignment = gfx::StringAlignment::Center;
        panel.add<ui::UiLabel>(FloatRect {where::captionLeft, top - 4, 100, where::captionLine + 8}, Text(line),
                               options);
    }
}

void SettingsPage::browseFolder()
{
    if (m_choosingFolder)
        return;
    m_choosingFolder = true;
    if (m_folderChooser.joinable())
        m_folderChooser.join();
    m_folderChooser
        = std::thread([this, weak = std::weak_ptr<SettingsPage*>(m_self), start = m_settings.saveDirectory()] {
              const FolderAnswer answer = m_prompts.chooseFolderOnDesktop(Text(caption::folderTitle), start);
              m_post([weak, answer] {
                  if (const auto self = weak.lock())
                      (*self)->folderAnswered(answer);
              });
          });
}

void SettingsPage::folderAnswered(const FolderAnswer& answer)
{
    std::optional<Text> chosen;
    if (answer.choice == FolderChoice::NoChooser)
        chosen = m_prompts.pickFolder(m_host, Text(caption::folderTitle), m_settings.saveDirectory());
    else if (answer.choice == FolderChoice::Chosen)
        chosen = answer.folder;
    m_choosingFolder = false;
    if (chosen && !chosen->empty())
        m_folderBox->setEditText(m_bindings.folderChosen(*chosen));
}

}  // namespace quorvo::app
