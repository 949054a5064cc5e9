#include "StatusText.h"

#include <utility>

namespace tarvix::app {

std::string StatusText::text() const
{
    std::lock_guard lock(m_mutex);
    return m_text;
}

void StatusText::setText(std::string text)
{
    {
        std::lock_guard lock(m_mutex);
        m_text = std::move(text);
        if (std::exchange(m_wakePending, true)) return;
    }
    m_wake();
}

void StatusText::woken()
{
    std::lock_guard lock(m_mutex);
    m_wakePending = false;
}

}  // namespace tarvix::app
