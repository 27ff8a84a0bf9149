#include "ui/controls/UiList.h"

#include "ui/controls/ControlImages.h"
#include "ui/controls/UiScrollBar.h"
#include "ui/core/UiHost.h"

#include "assets/Layout.h"
#include "gfx/Painter.h"
#include "gfx/Shapes.h"
#include "gfx/TextPainter.h"

#include <algorithm>
#include <cstdlib>

namespace quorvo::ui {

namespace {

constexpr int checkSize = assets::layout::markFrameSize;
constexpr gfx::Argb gridColour = 0x33000000;

FloatRect toRectF(const IntRect& r)
{
    return {static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.width),
            static_cast<float>(r.height)};
}

gfx::StringAlignment alignmentFlag(ListAlignment alignment)
{
    switch (alignment) {
    case ListAlignment::Centre:
        return gfx::StringAlignment::Center;
    case ListAlignment::Far:
        return gfx::StringAlignment::Far;
    case ListAlignment::Near:
        break;
    }
    return gfx::StringAlignment::Near;
}

int fontHeightOf(const gfx::Font& font)
{
    gfx::Surface scratch = gfx::Surface::create(1, 1);
    gfx::Painter painter(scratch);
    return static_cast<int>(gfx::fontHeight(painter, font) + 0.5f);
}

}  // namespace

UiList::UiList(FloatRect rect, ListOptions options)
    : UiControl(rect, ControlKind::List)
    , m_options(std::move(options))
    , m_cellFormat(gfx::StringFormatFlags::NoWrap | gfx::StringFormatFlags::MeasureTrailingSpaces)
{
    if (m_options.mode != ListViewMode::Report) {
        m_options.headerHidden = true;
        m_options.checkBoxes = false;
    }
    m_cellFormat.trimming(gfx::StringTrimming::EllipsisCharacter);
    m_cellFormat.hotkeyPrefix(gfx::HotkeyPrefix::None);
    m_model.setSingleSelection(m_options.singleSelection);
    m_model.onChange = [this](const ListChange& change) { modelChanged(change); };
    m_fontHeight = fontHeightOf(font());
    relayout();
}

UiList::~UiList()
{
    m_model.onChange = nullptr;
}

const gfx::Font& UiList::font() const
{
    return m_options.font.isNull() ? gfx::defaultFont() : m_options.font;
}

unsigned UiList::gridLines() const
{
    if (m_options.gridLines)
        return *m_options.gridLines;
    return m_options.mode == ListViewMode::Report ? (gridlines::RowLines | gridlines::ColumnLines) : 0u;
}

int UiList::insertColumn(int position, const Text& title, int width, ListAlignment alignment, int headerImage)
{
    return m_model.insertColumn(position, title, width, alignment, headerImage);
}

void UiList::setHeaderImages(ListImageStrip strip)
{
    m_headerImages = std::move(strip);
    relayout();
    update();
}

void UiList::setRowImages(ListImageStrip strip)
{
    m_rowImages = std::move(strip);
    relayout();
    update();
}

void UiList::createEvent(Event&)
{
    m_verticalBar = &add<UiScrollBar>(FloatRect {}, ScrollOrientation::Vertical);
    m_horizontalBar = &add<UiScrollBar>(FloatRect {}, ScrollOrientation::Horizontal);
    m_horizontalBar->setLineStep(5);
    m_verticalBar->onScroll = [this](int position) { setVerticalPosition(position); };
    m_horizontalBar->onScroll = [this](int position) { setHorizontalPosition(position); };
    relayout();
}

void UiList::relayout()
{
    ListLayoutInput input;
    input.client = {static_cast<int>(width()), static_cast<int>(height())};
    input.mode = m_options.mode;
    input.fontHeight = m_fontHeight;
    input.headerHidden = m_options.headerHidden;
    input.headerIconHeight = m_headerImages.image ? m_headerImages.iconHeight : 0;
    input.rowIconHeight = m_rowImages.image ? m_rowImages.iconHeight : 0;
    input.totalColumnWidth = m_model.totalColumnWidth();
    input.rowCount = m_model.rowCount();
    m_layout = computeListLayout(input);
    clampScroll();
    updateScrollBars();
    invalidateRows();
    m_headerCacheValid = false;
}

void UiList::invalidateRows()
{
    m_rowCacheValid = false;
    m_dirtyRows.clear();
}

void UiList::clampScroll()
{
    m_scrollY = std::clamp(m_scrollY, -m_layout.maxScrollY(), 0);
    m_scrollX = std::clamp(m_scrollX, -m_layout.maxScrollX(), 0);
}

void UiList::updateScrollBars()
{
    if (m_verticalBar == nullptr || m_horizontalBar == nullptr)
        return;
    const FloatPoint origin {left(), top()};
    const auto place = [&](UiScrollBar& bar, const IntRect& r, bool shown, int maximum, int page, int position) {
        bar.setRect({origin.x + static_cast<float>(r.x), origin.y + static_cast<float>(r.y),
                     static_cast<float>(r.width), static_cast<float>(r.height)});
        bar.setMaximum(maximum);
        bar.setPageSize(page);
        bar.setPosition(position);
        bar.setVisible(shown);
    };
    place(*m_verticalBar, m_layout.verticalBarRect, m_layout.verticalBar, m_layout.maxScrollY(),
          m_layout.itemArea.height, -m_scrollY);
    m_verticalBar->setLineStep(std::max(m_layout.rowHeight, 1));
    place(*m_horizontalBar, m_layout.horizontalBarRect, m_layout.horizontalBar, m_layout.maxScrollX(),
          m_layout.itemArea.width, -m_scrollX);
}

void UiList::modelChanged(const ListChange& change)
{
    switch (change.kind) {
    case ListChangeKind::RowChanged:
        if (isRowVisible(change.row)) {
            m_dirtyRows.push_back(change.row);
            update();
        }
        break;
    case ListChangeKind::RowsInserted:
    case ListChangeKind::RowsRemoved: {
        m_layout.contentHeight = listContentHeight(m_layout, m_options.mode, m_model.rowCount());
        const bool verticalBar = m_layout.contentHeight > m_layout.itemArea.height;
        if (verticalBar != m_layout.verticalBar) {
            relayout();
        } else {
            clampScroll();
            updateScrollBars();
        }
        // Rows after the change moved: repaint when any of them is on screen.
        if (change.row <= lastVisibleRow() + 1) {
            invalidateRows();
            update();
        }
        followPointer();
        break;
    }
    case ListChangeKind::Reset:
        m_scrollX = 0;
        m_scrollY = 0;
        relayout();
        update();
        followPointer();
        break;
    case ListChangeKind::ColumnsChanged:
        relayout();
        m_headerCacheValid = false;
        update();
        break;
    }
}

void UiList::setHorizontalPosition(int position)
{
    const int scroll = std::clamp(-position, -m_layout.maxScrollX(), 0);
    if (scroll == m_scrollX)
        return;
    m_scrollX = scroll;
    if (m_horizontalBar)
        m_horizontalBar->setPosition(-m_scrollX);
    invalidateRows();
    m_headerCacheValid = false;
    update();
    followPointer();
}

void UiList::setVerticalPosition(int position)
{
    const int scroll = std::clamp(-position, -m_layout.maxScrollY(), 0);
    if (scroll == m_scrollY)
        return;
    m_scrollY = scroll;
    if (m_verticalBar)
        m_verticalBar->setPosition(-m_scrollY);
    update();
    followPointer();
}

void UiList::ensureVisible(int row)
{
    if (!m_model.isValid(row))
        return;
    const IntRect r = rowRect(row);
    const int top = r.y + m_scrollY;
    if (top >= 0 && top + r.height <= m_layout.itemArea.height)
        return;
    // The row ends up on the view's last line.
    setVerticalPosition(std::clamp(r.bottom() - m_layout.itemArea.height, 0, m_layout.maxScrollY()));
}

IntRect UiList::rowRect(int row) const
{
    if (m_options.mode == ListViewMode::Icons) {
        const int perLine = std::max(m_layout.itemsPerLine, 1);
        return {(row - 1) % perLine * m_layout.itemWidth, (row - 1) / perLine * m_layout.rowHeight, m_layout.itemWidth,
                m_layout.rowHeight};
    }
    return {0, (row - 1) * m_layout.rowHeight, m_layout.contentWidth, m_layout.rowHeight};
}

int UiList::firstVisibleRow() const
{
    if (m_layout.rowHeight <= 0 || m_model.rowCount() == 0)
        return 1;
    const int line = -m_scrollY / m_layout.rowHeight;
    const int perLine = m_options.mode == ListViewMode::Icons ? std::max(m_layout.itemsPerLine, 1) : 1;
    return line * perLine + 1;
}

int UiList::lastVisibleRow() const
{
    if (m_layout.rowHeight <= 0)
        return 0;
    const int bottom = -m_scrollY + m_layout.itemArea.height;
    const int lines = (bottom + m_layout.rowHeight - 1) / m_layout.rowHeight;
    const int perLine = m_options.mode == ListViewMode::Icons ? std::max(m_layout.itemsPerLine, 1) : 1;
    return std::min(lines * perLine, m_model.rowCount());
}

bool UiList::isRowVisible(int row) const
{
    return m_model.isValid(row) && row >= firstVisibleRow() && row <= lastVisibleRow();
}

IntPoint UiList::toLocal(IntPoint windowPoint) const
{
    return {windowPoint.x - static_cast<int>(left()), windowPoint.y - static_cast<int>(top())};
}

ListHit UiList::hitTest(IntPoint windowPoint) const
{
    const IntPoint local = toLocal(windowPoint);
    if (!m_layout.itemArea.contains(local))
        return {};
    const IntPoint content {local.x - m_layout.itemArea.x - m_scrollX, local.y - m_layout.itemArea.y - m_scrollY};
    ListHit hit;
    for (int row = firstVisibleRow(); row <= lastVisibleRow(); ++row) {
        if (rowRect(row).contains(content)) {
            hit.row = row;
            break;
        }
    }
    if (hit.row == 0)
        return {};
    hit.column = 1;
    if (m_options.mode == ListViewMode::Report) {
        int start = 0;
        for (int column = 1; column <= m_model.columnCount(); ++column) {
            const int width = m_model.columnWidth(column);
            if (content.x >= start && content.x <= start + width) {
                hit.column = column;
                break;
            }
            start += width;
        }
    }
    return hit;
}

IntRect UiList::checkRect(int row) const
{
    if (!m_options.checkBoxes || !m_model.isValid(row))
        return {};
    const ListRow* data = m_model.row(row);
    const IntRect r = rowRect(row);
    const int x = m_layout.itemArea.x + m_scrollX + r.x + 1 + data->indent * m_rowImages.iconWidth;
    const int y = m_layout.itemArea.y + m_scrollY + r.y + (r.height - checkSize) / 2;
    return {static_cast<int>(left()) + x, static_cast<int>(top()) + y, checkSize, checkSize};
}

// ---- input ----

// The hover mark belongs to the row under the pointer: when rows move under
// a resting pointer (scrolled, inserted, deleted) it moves to the row there.
void UiList::followPointer()
{
    if (m_options.hoverSelection)
        return;
    m_model.setHotRow(m_pointer ? hitTest(*m_pointer).row : 0);
}

void UiList::mouseMoveEvent(MouseEvent& event)
{
    m_pointer = event.position();
    const ListHit hit = hitTest(event.position());
    if (m_options.hoverSelection) {
        if (hit.row != 0 && m_model.hoverSelect(hit.row) && onItemPressed)
            onItemPressed(hit.row, 0);
        return;
    }
    m_model.setHotRow(hit.row);
}

void UiList::mouseLeaveEvent(HoverEvent&)
{
    m_pointer.reset();
    if (!m_options.hoverSelection)
        m_model.setHotRow(0);
}

void UiList::mouseDownEvent(MouseEvent& event)
{
    press(event, false);
}

void UiList::rightMouseDownEvent(MouseEvent& event)
{
    press(event, true);
}

void UiList::press(MouseEvent& event, bool right)
{
    const ListHit hit = hitTest(event.position());
    if (hit.row == 0)
        return;
    if (m_options.checkBoxes && checkRect(hit.row).contains(event.position())) {
        const bool checked = !m_model.isChecked(hit.row);
        m_model.setChecked(hit.row, checked);
        if (onCheckChanged)
            onCheckChanged(hit.row, checked);
        return;
    }
    const Modifiers modifiers = event.modifiers();
    const bool rowsOnly
        = m_model.press(hit.row, SelectionModifiers {.control = modifiers.control, .shift = modifiers.shift}, right);
    if (!rowsOnly) {
        invalidateRows();
        update();
    }
    m_rightPressed = right;
    if (onItemPressed)
        onItemPressed(hit.row, hit.column);
}

void UiList::mouseUpEvent(MouseEvent& event)
{
    release(event, false);
}

void UiList::rightMouseUpEvent(MouseEvent& event)
{
    release(event, true);
}

void UiList::release(MouseEvent& event, bool right)
{
    const ListHit hit = hitTest(event.position());
    if (hit.row == 0 || hit.row != m_model.currentRow())
        return;
    if (right && onItemRightClicked)
        onItemRightClicked(hit.row);
    else if (!right && onItemClicked)
        onItemClicked(hit.row);
}

void UiList::wheelEvent(WheelEvent& event)
{
    if (!m_layout.verticalBar) {
        event.ignore();
        return;
    }
    const int step = (m_options.mode == ListViewMode::Report ? 3 : 1) * m_layout.rowHeight;
    setVerticalPosition(-m_scrollY + (event.delta() < 1 ? step : -step));
}

void UiList::keyDownEvent(KeyEvent& event)
{
    // The keys a list view answers: arrows, Home/End and the page keys move
    // the current row (Shift extends a multiple selection), Space ticks the
    // current row where rows have check boxes. Ctrl+key and the rest go back
    // to the host (Tab, Enter).
    if (event.modifiers().control) {
        event.ignore();
        return;
    }
    const int rows = m_model.rowCount();
    const int current = m_model.currentRow();
    const int page = std::max(1, m_layout.itemArea.height / std::max(m_layout.rowHeight, 1));
    const int perLine = m_options.mode == ListViewMode::Icons ? std::max(m_layout.itemsPerLine, 1) : 1;
    int target = 0;
    switch (event.key()) {
    case Key::Up:
        target = current - perLine;
        break;
    case Key::Down:
        target = current + perLine;
        break;
    case Key::Left:
    case Key::Right:
        if (perLine == 1) {
            const int step = m_options.mode == ListViewMode::Report ? 30 : 0;
            setHorizontalPosition(-m_scrollX + (event.key() == Key::Left ? -step : step));
            return;
        }
        target = current + (event.key() == Key::Left ? -1 : 1);
        break;
    case Key::Home:
        target = 1;
        break;
    case Key::End:
        target = rows;
        break;
    case Key::PageUp:
        target = current - page * perLine;
        break;
    case Key::PageDown:
        target = current + page * perLine;
        break;
    case Key::Space:
        if (!m_options.checkBoxes || !m_model.isValid(current)) {
            event.ignore();
            return;
        }
        {
            const bool checked = !m_model.isChecked(current);
            m_model.setChecked(current, checked);
            if (onCheckChanged)
                onCheckChanged(current, checked);
        }
        return;
    default:
        event.ignore();
        return;
    }
    if (rows == 0)
        return;
    if (current == 0 && event.key() != Key::End)
        target = 1;
    moveCurrentRow(std::clamp(target, 1, rows), event.modifiers().shift);
}

void UiList::moveCurrentRow(int row, bool extend)
{
    if (row == m_model.currentRow() && m_model.isSelected(row))
        return;
    const bool rowsOnly = m_model.press(row, SelectionModifiers {.control = false, .shift = extend}, false);
    if (!rowsOnly) {
        invalidateRows();
        update();
    }
    // Into view by the shortest way: to the top edge from above, the bottom from below.
    const IntRect r = rowRect(row);
    if (r.y + m_scrollY < 0)
        setVerticalPosition(r.y);
    else if (r.bottom() + m_scrollY > m_layout.itemArea.height)
        setVerticalPosition(r.bottom() - m_layout.itemArea.height);
    if (onItemPressed)
        onItemPressed(row, 0);
}

void UiList::focusInEvent(FocusEvent&)
{
    if (isRowVisible(m_model.currentRow())) {
        m_dirtyRows.push_back(m_model.currentRow());
        update();
    }
}

void UiList::focusOutEvent(FocusEvent&)
{
    if (isRowVisible(m_model.currentRow())) {
        m_dirtyRows.push_back(m_model.currentRow());
        update();
    }
}

void UiList::resizeEvent(ResizeEvent&)
{
    relayout();
}

void UiList::alphaChangedEvent(ValueEvent& event)
{
    if (m_verticalBar)
        m_verticalBar->setAlpha(event.value());
    if (m_horizontalBar)
        m_horizontalBar->setAlpha(event.value());
}

// ---- painting ----

gfx::Argb UiList::hostBackground(int alpha) const
{
    const std::uint32_t rgb = host() ? host()->backgroundColour() : 0x00FFFFFFu;
    return gfx::toArgb(rgb, alpha);
}

void UiList::paintEvent(PaintEvent& event)
{
    gfx::Painter& painter = event.painter();
    const IntRect whole {0, 0, static_cast<int>(width()), static_cast<int>(height())};
    gfx::fillRect(painter, toRectF(whole), m_options.background);
    if (m_layout.headerHeight > 0) {
        refreshHeaderCache();
        if (m_headerCache)
            painter.drawSurface(m_headerCache, 0.0f, 0.0f);
    }
    refreshRowCache();
    if (m_rowCache)
        painter.drawSurface(m_rowCache, static_cast<float>(m_layout.itemArea.x),
                            static_cast<float>(m_layout.itemArea.y));

    if (m_options.mode == ListViewMode::Report && (gridLines() & gridlines::ColumnLines) != 0) {
        gfx::PainterStateSaver saver(painter);
        painter.clipRect(toRectF(m_layout.itemArea));
        int x = m_layout.itemArea.x + m_scrollX;
        const int bottom = m_layout.itemArea.y + std::min(m_layout.itemArea.height, m_layout.contentHeight + m_scrollY);
        for (int column = 1; column <= m_model.columnCount(); ++column) {
            const int columnWidth = m_model.columnWidth(column);
            if (columnWidth == 0)
                continue;
            x += columnWidth;
            gfx::drawLine(painter, gridColour, static_cast<float>(x - 1), static_cast<float>(m_layout.itemArea.y),
                          static_cast<float>(x - 1), static_cast<float>(bottom - 1));
        }
    }
    if (m_options.borderColour != 0)
        gfx::drawFrame(painter, toRectF(whole), m_options.borderColour);
}

void UiList::refreshHeaderCache()
{
    const IntRect& header = m_layout.header;
    if (m_headerCacheValid && m_headerCache && m_headerCache.width() == header.width
        && m_headerCache.height() == header.height && m_headerCache.scale() == deviceScale())
        return;
    m_headerCache = gfx::Surface::create(std::max(header.width, 1), std::max(header.height, 1), deviceScale());
    if (!m_headerCache)
        return;
    gfx::Painter painter(m_headerCache);
    drawHeader(painter);
    m_headerCacheValid = true;
}

// Clears the band [top, bottom) of the row cache and draws the rows that
// meet it. Reads the row count now: rows may have gone since the last layout.
void UiList::redrawRowsIn(gfx::Painter& painter, int top, int bottom)
{
    gfx::PainterStateSaver saver(painter);
    painter.clipRect(FloatRect {0.0f, static_cast<float>(top), static_cast<float>(m_rowCache.width()),
                                static_cast<float>(bottom - top)});
    painter.clear(0);
    const int last = std::min(lastVisibleRow(), m_model.rowCount());
    for (int row = firstVisibleRow(); row <= last; ++row) {
        const IntRect r = rowRect(row);
        const int y = r.y + m_scrollY;
        if (y + r.height <= top || y >= bottom)
            continue;
        drawRow(painter, row, {0, 0});
    }
}

void UiList::refreshRowCache()
{
    const IntSize size {std::max(m_layout.itemArea.width, 1), std::max(m_layout.itemArea.height, 1)};
    if (!m_rowCache || m_rowCache.width() != size.width || m_rowCache.height() != size.height
        || m_rowCache.scale() != deviceScale()) {
        m_rowCache = gfx::Surface::create(size.width, size.height, deviceScale());
        m_rowCacheValid = false;
    }
    if (!m_rowCache)
        return;
    const int shift = m_scrollY - m_cacheScrollY;
    if (m_rowCacheValid && shift != 0 && std::abs(shift) < size.height && m_options.mode != ListViewMode::Icons) {
        // The shifted picture goes into the spare surface, which then takes the cache's place.
        if (!m_rowSpare || m_rowSpare.width() != size.width || m_rowSpare.height() != size.height
            || m_rowSpare.scale() != m_rowCache.scale())
            m_rowSpare = gfx::Surface::create(size.width, size.height, m_rowCache.scale());
        if (m_rowSpare) {
            {
                gfx::Painter painter(m_rowSpare);
                painter.clear(0);
                painter.drawSurface(m_rowCache, 0.0f, static_cast<float>(shift));
            }
            std::swap(m_rowCache, m_rowSpare);
            gfx::Painter painter(m_rowCache);
            if (shift < 0)
                redrawRowsIn(painter, size.height + shift, size.height);
            else
                redrawRowsIn(painter, 0, shift);
            m_cacheScrollY = m_scrollY;
        } else {
            m_rowCacheValid = false;
        }
    } else if (shift != 0) {
        m_rowCacheValid = false;
    }
    gfx::Painter painter(m_rowCache);
    if (!m_rowCacheValid) {
        redrawRowsIn(painter, 0, size.height);
        m_rowCacheValid = true;
        m_cacheScrollY = m_scrollY;
        m_dirtyRows.clear();
        return;
    }
    std::vector<int> dirty = std::move(m_dirtyRows);
    m_dirtyRows.clear();
    std::sort(dirty.begin(), dirty.end());
    dirty.erase(std::unique(dirty.begin(), dirty.end()), dirty.end());
    for (const int row : dirty) {
        if (!isRowVisible(row))
            continue;
        const IntRect r = rowRect(row);
        redrawRowsIn(painter, r.y + m_scrollY, r.y + m_scrollY + r.height);
    }
}

void UiList::drawHeader(gfx::Painter& painter) const
{
    const IntRect header = m_layout.header;
    gfx::fillGradient(painter, toRectF(header), 0xCCFFFFFF, 0x99FFFFFF, gfx::GradientMode::Vertical);
    gfx::StringFormat format = m_cellFormat;
    int x = m_scrollX;
    for (int column = 1; column <= m_model.columnCount(); ++column) {
        const ListColumn* data = m_model.column(column);
        if (data->width == 0)
            continue;
        IntRect cell {x + 1, header.y + 1, data->width - 3, header.height - 2};
        if (data->headerImage >= 0 && m_headerImages.image) {
            const IntRect icon {cell.x, cell.y + (cell.height - m_headerImages.iconHeight) / 2,
                                m_headerImages.iconWidth, m_headerImages.iconHeight};
            gfx::drawImage(painter, m_headerImages.image, toRectF(icon),
                           FloatRect {static_cast<float>(data->headerImage * m_headerImages.iconWidth), 0.0f,
                                      static_cast<float>(m_headerImages.iconWidth),
                                      static_cast<float>(m_headerImages.iconHeight)});
            cell.x += m_headerImages.iconWidth + 2;
            cell.width -= m_headerImages.iconWidth + 2;
        }
        format.align(alignmentFlag(data->alignment));
        gfx::drawText(painter, toRectF(cell), data->title, font(), m_options.headerTextColour, format);
        x += data->width;
        gfx::drawLine(painter, gridColour, static_cast<float>(x - 1), static_cast<float>(header.y),
                      static_cast<float>(x - 1), static_cast<float>(header.bottom() - 1));
    }
    gfx::drawLine(painter, gridColour, 0.0f, static_cast<float>(header.bottom() - 1),
                  static_cast<float>(header.width - 1), static_cast<float>(header.bottom() - 1));
}

void UiList::drawRow(gfx::Painter& painter, int row, IntPoint origin) const
{
    const ListRow* data = m_model.row(row);
    if (data == nullptr)
        return;
    IntRect r = rowRect(row);
    r.x += origin.x + m_scrollX;
    r.y += origin.y + m_scrollY;

    gfx::Argb textColour = m_model.rowTextColour(row);
    if (data->state == RowState::Hot) {
        gfx::fillRect(painter, toRectF(r), m_options.hotBackground ? m_options.hotBackground : hostBackground(51));
        if (m_options.hotTextColour)
            textColour = m_options.hotTextColour;
    } else if (data->state == RowState::Selected) {
        gfx::fillRect(painter, toRectF(r),
                      m_options.selectedBackground ? m_options.selectedBackground : hostBackground(102));
        if (m_options.selectedTextColour)
            textColour = m_options.selectedTextColour;
    }

    if (m_options.mode == ListViewMode::Report)
        drawCells(painter, row, *data, r, textColour);
    else
        drawItem(painter, row, *data, r, textColour);
    if (m_options.mode != ListViewMode::Icons && (gridLines() & gridlines::RowLines) != 0) {
        const float y = static_cast<float>(r.bottom() - 1);
        gfx::drawLine(painter, gridColour, static_cast<float>(r.x), y, static_cast<float>(r.right() - 1), y);
    }
}

void UiList::drawRowIcon(gfx::Painter& painter, int index, const IntRect& at) const
{
    gfx::drawImage(painter, m_rowImages.image, toRectF(at),
                   FloatRect {static_cast<float>(index * m_rowImages.iconWidth), 0.0f,
                              static_cast<float>(m_rowImages.iconWidth), static_cast<float>(m_rowImages.iconHeight)});
}

void UiList::drawCells(gfx::Painter& painter, int row, const ListRow& data, const IntRect& r,
                       gfx::Argb textColour) const
{
    gfx::StringFormat format = m_cellFormat;
    int x = r.x;
    for (int column = 1; column <= m_model.columnCount(); ++column) {
        const int columnWidth = m_model.columnWidth(column);
        if (columnWidth == 0)
            continue;
        IntRect cell {x + 1, r.y + 1, columnWidth - 3, r.height - 2};
        x += columnWidth;
        if (column == 1) {
            const int indent = data.indent * m_rowImages.iconWidth;
            cell.x += indent;
            cell.width -= indent;
            if (m_options.checkBoxes) {
                const IntRect square {cell.x, r.y + (r.height - checkSize) / 2, checkSize, checkSize};
                const float frameX = data.checked ? 2.0f * checkSize : 0.0f;
                gfx::drawImage(painter, checkMarkStrip(), toRectF(square),
                               FloatRect {frameX, 0.0f, static_cast<float>(checkSize), static_cast<float>(checkSize)});
                cell.x += checkSize + 1;
                cell.width -= checkSize + 1;
            }
        }
        const int image = data.images[static_cast<std::size_t>(column - 1)];
        if (image >= 0 && m_rowImages.image) {
            drawRowIcon(
                painter, image,
                {cell.x, r.y + (r.height - m_rowImages.iconHeight) / 2, m_rowImages.iconWidth, m_rowImages.iconHeight});
            cell.x += m_rowImages.iconWidth + 2;
            cell.width -= m_rowImages.iconWidth + 2;
        }
        const Text text = m_model.cellText(row, column);
        if (!text.empty() && cell.width > 0) {
            format.align(alignmentFlag(m_model.column(column)->alignment));
            gfx::drawText(painter, toRectF(cell), text, font(), textColour, format);
        }
    }
}

void UiList::drawItem(gfx::Painter& painter, int row, const ListRow& data, const IntRect& r, gfx::Argb textColour) const
{
    if (data.cells.empty())
        return;
    // The grid keeps room for an icon in every item, so that the texts line up.
    const IntSize icon = m_rowImages.image ? IntSize {m_rowImages.iconWidth, m_rowImages.iconHeight} : IntSize {};
    const ListItemParts parts = listItemParts(m_options.mode, r, icon, data.indent * m_rowImages.iconWidth);
    if (data.images[0] >= 0 && m_rowImages.image)
        drawRowIcon(painter, data.images[0], parts.icon);
    const Text text = m_model.cellText(row, 1);
    if (text.empty() || parts.text.width <= 0)
        return;
    gfx::StringFormat format = m_cellFormat;
    format.align(m_options.mode == ListViewMode::Icons ? gfx::StringAlignment::Center : gfx::StringAlignment::Near);
    gfx::drawText(painter, toRectF(parts.text), text, font(), textColour, format);
}

}  // namespace quorvo::ui
