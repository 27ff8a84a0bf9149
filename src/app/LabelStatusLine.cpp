#include "app/LabelStatusLine.h"

#include "gfx/Color.h"

namespace quorvo::app {

void LabelStatusLine::showStatusMessage(const Text& text, download::MessageColour colour)
{
    const gfx::Argb opaque = gfx::argb(254, colour.red, colour.green, colour.blue);
    m_label.setCaption(text);
    m_label.setGradient(gfx::GradientMode::Horizontal, opaque, opaque);
    m_label.setBorderColour(opaque);
    m_label.setAlpha(255);
    m_label.setVisible(true);
}

void LabelStatusLine::setStatusAlpha(int alpha)
{
    m_label.setAlpha(alpha);
}

void LabelStatusLine::hideStatusLine()
{
    m_label.setVisible(false);
}

}  // namespace quorvo::app
