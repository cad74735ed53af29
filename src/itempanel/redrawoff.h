#pragma once

namespace zr {

/// Turns the redrawing of a panel or of its model off for the guard's
/// lifetime, batching their changes into one reset, and back to what it was
/// however the scope ends.
template<typename Panel>
class RedrawOff
{
public:
    explicit RedrawOff(Panel *panel) : m_panel(panel), m_was(panel->redraw()) { m_panel->setRedraw(false); }
    ~RedrawOff() { m_panel->setRedraw(m_was); }
    RedrawOff(const RedrawOff &) = delete;
    RedrawOff &operator=(const RedrawOff &) = delete;

private:
    Panel *m_panel;
    bool m_was;
};

} // namespace zr
