#pragma once

// The download page's status line on a label: text in white over the
// message's colour, faded by the status toast.

#include "app/StatusToast.h"
#include "ui/controls/UiLabel.h"

namespace quorvo::app {

class LabelStatusLine final : public StatusLineView {
public:
    explicit LabelStatusLine(ui::UiLabel& label)
        : m_label(label)
    { }
    void showStatusMessage(const Text& text, download::MessageColour colour) override;
    void setStatusAlpha(int alpha) override;
    void hideStatusLine() override;

private:
    ui::UiLabel& m_label;
};

}  // namespace quorvo::app
