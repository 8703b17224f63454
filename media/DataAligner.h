#pragma once

#include "app/bc_ret.h"

#include <QtGlobal>

#include <algorithm>
#include <vector>

// Gathers bytes into whole blocks for its target, which gets `writeBlock(data,
// size, errors)` calls of exactly the block size, and a shorter one at flush().
template<class T>
class DataAligner
{
public:
    DataAligner(T *target, int blockSize)
        : m_target(target)
        , m_block(size_t(qMax(1, blockSize)))
    {
    }

    void write(const uchar *data, int size, bc_ret &errors)
    {
        while (errors.ok() && size > 0) {
            const int room = int(m_block.size()) - m_fill;
            const int n = qMin(room, size);
            std::copy(data, data + n, m_block.data() + m_fill);
            m_fill += n;
            data += n;
            size -= n;
            if (m_fill == int(m_block.size())) {
                m_target->writeBlock(m_block.data(), m_fill, errors);
                m_fill = 0;
            }
        }
    }

    // Hands on what is left of a block.
    void flush(bc_ret &errors)
    {
        if (m_fill == 0)
            return;
        m_target->writeBlock(m_block.data(), m_fill, errors);
        m_fill = 0;
    }

    int blockSize() const { return int(m_block.size()); }
    int fill() const { return m_fill; }

private:
    T *m_target;
    std::vector<uchar> m_block;
    int m_fill = 0;
};
