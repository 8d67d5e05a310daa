#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// The body between the network and its reader: a bounded ring. A write that does not fit is refused,
// and the network is held back (paused) until the reader has emptied half of it; chunks are handed out
// where they lie, and one that wraps around the end is made whole first.
class BodyRing final
{
public:
    explicit BodyRing(qint64 capacity);

    // Takes the whole block, or refuses it and counts as paused. A block larger than the whole ring is
    // taken when the ring is empty, which grows it, rather than stall.
    bool write(const char *data, qint64 size);

    // Up to `size` bytes, valid until the next take(), release() or clear(); counted as used till then,
    // so that the network cannot write over them.
    QByteArrayView take(qint64 size);
    // Gives back what the last take() handed out.
    void release();
    // Room for a reader that wants more than the ring holds, which would wait for ever on a paused network.
    void growFor(qint64 size);
    // Forgets the body; the capacity stays.
    void clear();

    qint64 used() const { return m_used; }
    qint64 capacity() const { return qint64(m_storage.size()); }
    bool isPaused() const { return m_paused; }
    // Paused, and half of it is free again: the caller resumes the network and says so with resumed().
    bool isResumeDue() const { return m_paused && capacity() - m_used >= capacity() / 2; }
    void resumed() { m_paused = false; }

private:
    void copyOut(char *to, qint64 size);
    void consume(qint64 size);

    std::vector<char> m_storage;
    qint64 m_start = 0;
    qint64 m_used = 0;
    qint64 m_handedOut = 0; // of m_used, from m_start on
    bool m_paused = false;
    // A chunk that wraps around the end of the ring, made whole.
    QByteArray m_wrapped;
};
