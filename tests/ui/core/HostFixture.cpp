#include "HostFixture.h"

#include "gfx/Painter.h"

namespace quorvo::ui::test {

void Probe::paintEvent(PaintEvent& event)
{
    if (fill != 0) {
        event.painter().clear(fill);
    }
}

}  // namespace quorvo::ui::test
