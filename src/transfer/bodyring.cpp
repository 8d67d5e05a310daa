#include "bodyring.h"

#include <algorithm>
#include <cstring>
#include <utility>

BodyRing::BodyRing(qint64 capacity)
    : m_storage(size_t(capacity))
{ }

bool BodyRing::write(const char *data, qint64 size)
{
    if (m_used + size > capacity()) {
        if (m_used > 0) {
            m_paused = true;
            return false;
        }
        m_storage.resize(size_t(size));
        m_start = 0;
    }
    const qint64 end = (m_start + m_used) % capacity();
    const qint64 first = std::min(size, capacity() - end);
    std::memcpy(m_storage.data() + end, data, size_t(first));
    std::memcpy(m_storage.data(), data + first, size_t(size - first));
    m_used += size;
    return true;
}

QByteArrayView BodyRing::take(qint64 size)
{
    release();
    const qint64 taken = std::min(size, m_used);
    if (m_start + taken <= capacity()) {
        m_handedOut = taken;
        return QByteArrayView(m_storage.data() + m_start, taken);
    }
    m_wrapped.resize(taken);
    copyOut(m_wrapped.data(), taken);
    return m_wrapped;
}

void BodyRing::release()
{
    consume(std::exchange(m_handedOut, 0));
}

void BodyRing::growFor(qint64 size)
{
    release();
    if (size <= capacity())
        return;
    std::vector<char> larger(size_t(size + capacity() / 2));
    const qint64 used = m_used;
    copyOut(larger.data(), used);
    m_storage.swap(larger);
    m_start = 0;
    m_used = used;
}

void BodyRing::clear()
{
    m_start = 0;
    m_used = 0;
    m_handedOut = 0;
}

void BodyRing::copyOut(char *to, qint64 size)
{
    const qint64 first = std::min(size, capacity() - m_start);
    std::memcpy(to, m_storage.data() + m_start, size_t(first));
    std::memcpy(to + first, m_storage.data(), size_t(size - first));
    consume(size);
}

void BodyRing::consume(qint64 size)
{
    m_used -= size;
    m_start += size;
    if (m_start >= capacity())
        m_start -= capacity();
    // An empty ring starts again at its beginning, so that chunks of a size that divides the ring
    // never wrap around its end.
    if (m_used == 0)
        m_start = 0;
}
