#include "diff/PulledText.h"

#include <algorithm>

PulledText::PulledText(Writer write)
{
    m_thread = std::thread([this, write = std::move(write)] {
        bool complete = false;
        try {
            complete = write([this](std::string_view piece) { return take(piece); });
        } catch (...) {
            // Out of memory, say: the text ends short, which the reader hears.
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_written = true;
        m_complete = complete;
        m_changed.notify_all();
    });
}

PulledText::~PulledText()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
        m_changed.notify_all();
    }
    m_thread.join();
}

bool PulledText::take(std::string_view piece)
{
    // Long pieces go in parts, so that what is held stays small.
    constexpr std::size_t kPartSize = 64 * 1024;
    for (; !piece.empty(); piece.remove_prefix(std::min(piece.size(), kPartSize))) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopped || m_pieces.empty(); });
        if (m_stopped)
            return false;
        std::string storage;
        storage.swap(m_spare);
        lock.unlock();
        storage.assign(piece.substr(0, kPartSize));
        lock.lock();
        m_pieces.push_back(std::move(storage));
        m_changed.notify_all();
    }
    return true;
}

bool PulledText::read(std::string_view& piece)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_spare.swap(m_current);
    m_changed.wait(lock, [this] { return m_written || !m_pieces.empty(); });
    if (m_pieces.empty())
        return false;
    m_current = std::move(m_pieces.front());
    m_pieces.pop_front();
    m_changed.notify_all();
    piece = m_current;
    return true;
}

TextSource PulledText::source()
{
    return [this](std::string_view& piece) { return read(piece); };
}

bool PulledText::failed() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_written && !m_complete && !m_stopped;
}
