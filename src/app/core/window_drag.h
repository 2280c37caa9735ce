#pragma once

#include <QPoint>

namespace shutterhand {

// The frameless main window is moved by dragging its top strip (the first 20 pixels of the skin).
// The window asks this tracker what to do with each mouse event; a drag that moved the window
// reports so once, on release, which raises ApplicationMove.
class WindowDrag {
public:
    static constexpr int GripHeight = 20;

    // A press anywhere in the grip strip starts a drag; true when it did.
    bool press(QPoint posInSkin);
    // While dragging: how far to move the window (the pointer's offset from where it was pressed).
    QPoint move(QPoint posInSkin);
    // For platforms that move the window themselves (Wayland): note that a move happened.
    void markMoved() { m_moved = true; }
    // Ends the drag; true when the window was moved during it.
    bool release();

    bool dragging() const { return m_dragging; }

private:
    bool m_dragging = false;
    bool m_moved = false;
    QPoint m_start;
};

}  // namespace shutterhand
