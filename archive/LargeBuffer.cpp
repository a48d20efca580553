#include "LargeBuffer.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace {

constexpr size_t HugePage = size_t(2) << 20;
constexpr size_t MappedFrom = size_t(512) << 10;  // below this, the heap serves as well

} // namespace

LargeBuffer::LargeBuffer(size_t size) : m_size(size)
{
    if (size < MappedFrom) {
        m_data = new (std::nothrow) char[size ? size : 1];
        return;
    }
    // One huge page more than asked, so that the data can start on a huge page's boundary.
    m_mapped = (size + 2 * HugePage - 1) / HugePage * HugePage;
    m_mapping = mmap(nullptr, m_mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m_mapping == MAP_FAILED) {
        m_mapping = nullptr;
        return;
    }
    const uintptr_t aligned = (reinterpret_cast<uintptr_t>(m_mapping) + HugePage - 1) / HugePage * HugePage;
    m_data = reinterpret_cast<char*>(aligned);
    madvise(m_data, (size + HugePage - 1) / HugePage * HugePage, MADV_HUGEPAGE);  // a wish; refused is fine
}

LargeBuffer::~LargeBuffer()
{
    if (m_mapping)
        munmap(m_mapping, m_mapped);
    else
        delete[] m_data;
}
