#include "app/core/window_drag.h"

namespace shutterhand {

bool WindowDrag::press(QPoint posInSkin)
{
    if (posInSkin.y() >= GripHeight)
        return false;
    m_dragging = true;
    m_start = posInSkin;
    return true;
}

QPoint WindowDrag::move(QPoint posInSkin)
{
    if (!m_dragging)
        return {};
    const QPoint delta = posInSkin - m_start;
    if (!delta.isNull())
        m_moved = true;
    return delta;
}

bool WindowDrag::release()
{
    m_dragging = false;
    const bool moved = m_moved;
    m_moved = false;
    return moved;
}

}  // namespace shutterhand
